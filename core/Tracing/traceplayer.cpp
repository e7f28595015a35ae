#include "traceplayer.h"

#include "Communication/commandmanager.h"
#include "Communication/icomexecutor.h"
#include "Communication/icomobject.h"
#include "Communication/icomstream.h"
#include "Communication/iexecutable.h"
#include "Tools/noxassert.h"

#include <cstddef>
#include <memory>

namespace NoxCore
{
namespace Tracing
{

using Communication::CommandManager;
using Communication::IComObject;

TracePlayer::TracePlayer(QObject* parent, Communication::IComExecutor* executor)
    : QObject(parent), itsComExecutor(executor)
{
}

TracePlayer::~TracePlayer()
{
    // Whoever set the delegate may already be gone.
    resultDelegate.reset();
    collectPlayedObjects();
}

void TracePlayer::setComExecutor(Communication::IComExecutor* executor)
{
    collectPlayedObjects();
    itsComExecutor = executor;
}

bool TracePlayer::open(const QString& fileName)
{
    if (itsFile.isOpen())
        return false;
    itsFile.setFileName(fileName);
    if (!itsFile.open(QIODevice::ReadOnly))
        return false;
    itsReader.setDevice(&itsFile);
    return readHeader();
}

void TracePlayer::close()
{
    itsReader.setDevice(nullptr);
    itsFile.close();
    itsFile.setFileName(QString());
}

bool TracePlayer::isOpen() const
{
    return itsFile.isOpen();
}

QString TracePlayer::fileName() const
{
    return itsFile.fileName();
}

bool TracePlayer::reset()
{
    NOX_ASSERT(itsFile.isOpen(), "File not open.");
    itsFile.seek(0);
    itsReader.setDevice(&itsFile);
    return readHeader();
}

bool TracePlayer::isEndOfFile() const
{
    NOX_ASSERT(itsFile.isOpen(), "File not open.");
    return itsReader.isEndOfDocument();
}

bool TracePlayer::playSingleTelegram(const QString& telegram)
{
    const bool played = play(telegram, true, nullptr);
    emit playedSingleTelegram(played);
    return played;
}

bool TracePlayer::playNext(bool* skipped)
{
    NOX_ASSERT(itsComExecutor != NULL, "ComStream is null. Please set an instance of ComStream.");
    NOX_ASSERT(itsFile.isOpen(), "File not opened.");
    if (skipped != nullptr)
        *skipped = true;
    QString telegram;
    const bool played = itsReader.readNextTelegram(telegram) && play(telegram, false, skipped);
    emit playedNext(played);
    return played;
}

bool TracePlayer::playToEnd()
{
    while (playNext())
        ;
    const bool reachedEnd = isEndOfFile();
    emit playedToEnd(reachedEnd);
    return reachedEnd;
}

bool TracePlayer::readTelegrams(const QString& fileName, QList<QString>* telegrams, bool* cutShort)
{
    NOX_ASSERT(telegrams != NULL, "telegrams is Null!");
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    TraceFileReader reader;
    reader.setDevice(&file);
    if (!reader.readHeader())
        return false;
    QList<QString> read;
    QString telegram;
    while (reader.readNextTelegram(telegram))
        read.append(telegram);
    if (reader.isBroken())
        return false;
    telegrams->append(read);
    if (cutShort != nullptr)
        *cutShort = reader.isCutShort();
    return true;
}

bool TracePlayer::readHeader()
{
    NOX_ASSERT(itsFile.isOpen(), "File not open.");
    NOX_ASSERT(itsFile.pos() == 0, "File not at position 0.");
    return itsReader.readHeader();
}

bool TracePlayer::play(const QString& telegram, bool flush, bool* skipped)
{
    NOX_ASSERT(itsComExecutor != NULL, "itsComExecutor is Null!");
    if (skipped != nullptr)
        *skipped = true;
    std::unique_ptr<IComObject> object(CommandManager::instance()->convertToComObject(telegram));
    if (object == nullptr)
        return false;
    const int telegramType = CommandManager::getTelegramType(&telegram);
    // Answers are never replayed: the live target answers the request instead.
    if (telegramType == CommandManager::TELEGRAM_TYPE_RESPONSE)
        return true;
    if (telegramType != CommandManager::TELEGRAM_TYPE_REQUEST)
        return false;
    Communication::IComStream* stream = dynamic_cast<Communication::IComStream*>(itsComExecutor);
    if (stream != nullptr && dynamic_cast<Communication::IExecutable*>(object.get()) == nullptr)
    {
        if (!sendOnStream(*stream, std::move(object), flush))
            return false;
    }
    else
        itsComExecutor->execute(object.get());
    if (skipped != nullptr)
        *skipped = false;
    return true;
}

bool TracePlayer::sendOnStream(Communication::IComStream& stream, std::unique_ptr<IComObject> object,
                               bool flush)
{
    switch (object->callingType())
    {
    case IComObject::FireAndForget:
        stream.append(object.get());
        break;
    case IComObject::RequestAndResponse:
        // The stream fills in the answer later; the object must live until then.
        stream.append(object.get());
        itsPlayedObjects.append(object.release());
        break;
    default:
        return false;
    }
    if (flush)
        stream.flush();
    if (!stream.isResultPending())
        deliverPlayedObjects();
    return true;
}

void TracePlayer::deliverPlayedObjects()
{
    if (itsPlayedObjects.isEmpty())
        return;
    // Taken out first: the delegate may play further telegrams.
    QList<IComObject*> played;
    played.swap(itsPlayedObjects);
    resultDelegate.invoke(Q_ARG(QList<NoxCore::Communication::IComObject*>*, &played));
    qDeleteAll(played);
}

void TracePlayer::collectPlayedObjects()
{
    Communication::IComStream* stream = dynamic_cast<Communication::IComStream*>(itsComExecutor);
    if (stream != nullptr && !itsPlayedObjects.isEmpty() && stream->isResultPending())
        stream->flush();
    deliverPlayedObjects();
}

} // namespace Tracing
} // namespace NoxCore
