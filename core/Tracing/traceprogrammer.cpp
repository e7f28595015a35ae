#include "traceprogrammer.h"

#include "Communication/commandmanager.h"
#include "Communication/icomobject.h"
#include "Tools/latin1literal.h"
#include "Tools/noxassert.h"
#include "commandlist.h"
#include "traceplayer.h"
#include "tracerecorder.h"

#include <cstddef>
#include <memory>

namespace NoxCore
{
namespace Tracing
{

using Communication::CommandManager;

namespace
{

constexpr QLatin1String TELEGRAM_TYPE_PROPERTY = Tools::latin1Literal("TelegramType");

bool isResponse(const CommandInfo* command)
{
    return command->getPropertyValue(TELEGRAM_TYPE_PROPERTY) == QLatin1String("Response");
}

// The request telegram that asks for what the command describes; false when it does not convert.
bool requestTelegram(const CommandInfo* command, QString& telegram)
{
    CommandManager* manager = CommandManager::instance();
    std::unique_ptr<Communication::IComObject> object(manager->convertToComObject(command));
    if (object == nullptr)
        return false;
    telegram = manager->convertToXml(object.get());
    return true;
}

} // namespace

TraceProgrammer::TraceProgrammer(QObject* parent) : QObject(parent) {}

TraceProgrammer::~TraceProgrammer()
{
    qDeleteAll(itsProgram);
}

void TraceProgrammer::setPlayer(TracePlayer* player)
{
    itsPlayer = player;
}

TracePlayer* TraceProgrammer::player() const
{
    return itsPlayer;
}

void TraceProgrammer::setRecorder(TraceRecorder* recorder)
{
    itsRecorder = recorder;
}

TraceRecorder* TraceProgrammer::recorder() const
{
    return itsRecorder;
}

CommandInfo* TraceProgrammer::createCommand(const QString& name)
{
    CommandInfo* command = CommandManager::instance()->createCommand(name);
    if (command != nullptr)
        command->setValidator(this, SLOT(validateCommand(CommandInfo*)));
    return command;
}

bool TraceProgrammer::validateCommand(CommandInfo* commandInfo)
{
    return std::unique_ptr<Communication::IComObject>(
               CommandManager::instance()->convertToComObject(commandInfo)) != nullptr;
}

bool TraceProgrammer::insertCommands(int position, const QList<CommandInfo*>& commands)
{
    NOX_ASSERT(!commands.contains(nullptr), "List of commands must not contain NULL pointers.");
    NOX_ASSERT(position >= 0, "Position out of range.");
    if (position > itsProgram.size())
        return false;
    for (int index = 0; index < commands.size(); ++index)
    {
        if (itsProgram.contains(commands.at(index)) || commands.indexOf(commands.at(index), index + 1) >= 0)
            return false;
    }
    for (int index = 0; index < commands.size(); ++index)
    {
        adopt(commands.at(index));
        itsProgram.insert(position + index, commands.at(index));
    }
    if (!commands.isEmpty())
        emit commandsInserted(commands, position);
    return true;
}

bool TraceProgrammer::insertCommand(int position, CommandInfo* command)
{
    NOX_ASSERT(command != NULL, "command is Null!");
    return insertCommands(position, {command});
}

bool TraceProgrammer::addCommand(CommandInfo* command)
{
    return insertCommand(itsProgram.size(), command);
}

bool TraceProgrammer::deleteCommands(int position, int count)
{
    NOX_ASSERT(position >= 0, "Position out of range.");
    if (count == 0)
        return true;
    if (count < 0 || position >= itsProgram.size())
        return false;
    emit commandsDeleted(position, CommandList::remove(itsProgram, position, count));
    return true;
}

bool TraceProgrammer::deleteCommand(int position)
{
    return deleteCommands(position, 1);
}

QList<CommandInfo*>* TraceProgrammer::getAllCommands()
{
    return &itsProgram;
}

QList<CommandInfo*> TraceProgrammer::exportCommands(int position, int count) const
{
    return CommandList::copies(itsProgram, position, count);
}

bool TraceProgrammer::execute(int position, int count)
{
    if (itsIsExecuting)
        return false;
    NOX_ASSERT(position >= 0, "Position out of range.");
    if (count == 0)
        return true;
    if (position >= itsProgram.size() || itsPlayer == nullptr)
        return false;
    setExecuting(true);
    // Played from copies: a slot reached through the player may edit the program meanwhile.
    const QList<CommandInfo*> commands = CommandList::copies(itsProgram, position, count);
    bool allPlayed = true;
    for (const CommandInfo* command : commands)
    {
        QString telegram;
        allPlayed =
            requestTelegram(command, telegram) && itsPlayer->playSingleTelegram(telegram) && allPlayed;
    }
    qDeleteAll(commands);
    setExecuting(false);
    return allPlayed;
}

bool TraceProgrammer::isExecuting() const
{
    return itsIsExecuting;
}

bool TraceProgrammer::saveProgram(const QString& fileName)
{
    if (itsRecorder == nullptr)
        return false;
    QList<QString> telegrams;
    for (const CommandInfo* command : qAsConst(itsProgram))
    {
        QString telegram;
        if (!requestTelegram(command, telegram))
            return false;
        telegrams.append(telegram);
    }
    return itsRecorder->writeTelegrams(fileName, telegrams);
}

bool TraceProgrammer::loadProgram(const QString& fileName)
{
    QList<QString> telegrams;
    bool cutShort = false;
    if (itsPlayer == nullptr || !TracePlayer::readTelegrams(fileName, &telegrams, &cutShort))
        return false;
    QList<CommandInfo*> loaded;
    bool failed = false;
    for (const QString& telegram : qAsConst(telegrams))
    {
        CommandInfo* command = CommandManager::instance()->convertToCommandInfo(telegram);
        if (command == nullptr)
        {
            failed = true;
            break;
        }
        if (isResponse(command))
        {
            delete command;
            continue;
        }
        loaded.append(command);
        if (!validateCommand(command))
        {
            failed = true;
            break;
        }
    }
    if (failed)
    {
        qDeleteAll(loaded);
        return false;
    }
    deleteCommands(0, itsProgram.size());
    insertCommands(0, loaded);
    if (cutShort)
        emit programCutShort(fileName);
    return true;
}

void TraceProgrammer::adopt(CommandInfo* command)
{
    // A recorded answer becomes the request that asks for it again.
    if (isResponse(command))
    {
        command->addProperty(TELEGRAM_TYPE_PROPERTY, QStringLiteral("Request"),
                             command->getPropertyType(TELEGRAM_TYPE_PROPERTY), false);
        for (const QString& outProperty : command->outPropertyNames())
            command->removeProperty(outProperty);
    }
    command->setValidator(this, SLOT(validateCommand(CommandInfo*)));
}

void TraceProgrammer::setExecuting(bool executing)
{
    itsIsExecuting = executing;
    emit executionStateChanged(executing);
}

} // namespace Tracing
} // namespace NoxCore
