// Telegram texts into the CommandManager, as the trace player, viewer and programmer hand them over: every
// conversion the manager offers, with the library's telegram commands registered.

#include "Communication/commandinfo.h"
#include "Communication/commandmanager.h"
#include "Communication/icomobject.h"
#include "Communication/telegramcommandset.h"

#include <cstddef>
#include <cstdint>
#include <memory>

using namespace NoxCore::Communication;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CommandManager* const manager = []
    {
        const TelegramCommandSet commands;
        CommandManager::instance()->registerCommandSet(&commands);
        return CommandManager::instance();
    }();

    const QString telegram = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    CommandManager::getTelegramType(&telegram);
    const std::unique_ptr<CommandInfo> info(manager->convertToCommandInfo(telegram));
    if (info != nullptr)
    {
        const std::unique_ptr<IComObject> fromInfo(manager->convertToComObject(info.get()));
        QString updated = telegram;
        manager->updateTelegram(&updated, info.get());
    }
    const std::unique_ptr<IComObject> object(manager->convertToComObject(telegram));
    if (object != nullptr)
        manager->convertToXml(object.get());
    return 0;
}
