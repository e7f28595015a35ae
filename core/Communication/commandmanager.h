#ifndef NOXCORE_COMMUNICATION_COMMANDMANAGER_H
#define NOXCORE_COMMUNICATION_COMMANDMANAGER_H

#include "commandset.h"

#include <QString>

namespace NoxCore
{
namespace Communication
{

class CommandInfo;
class IComObject;

// Converts between com objects, telegram texts and CommandInfo property sets. Telegrams become com objects
// again through the prototypes registered here (see TelegramCommandSet), named after their command element.
//
// Every text from outside is checked by TelegramReader first: a text that is not exactly one telegram gives
// null, false or TELEGRAM_TYPE_UNKNOWN, never a half-read object.
//
// Ownership: the results of the convert and create operations belong to the caller; the manager keeps
// clones of the registered prototypes. One process-wide instance; not thread-safe (the tracing tools use it
// from the thread of the traced stream).
class CommandManager
{
public:
    static constexpr int TELEGRAM_TYPE_REQUEST = 0;
    static constexpr int TELEGRAM_TYPE_RESPONSE = 1;
    static constexpr int TELEGRAM_TYPE_UNKNOWN = 255;
    // The calling type a com object gets from a telegram whose CallingType names none of the known ones, so
    // that the player refuses to send it.
    static constexpr int UNKNOWN_CALLING_TYPE = 255;

    // Made on first use, so that objects built before main (a static command set, say) find it ready.
    static CommandManager* instance();

    CommandManager();
    CommandManager(const CommandManager&) = delete;
    CommandManager& operator=(const CommandManager&) = delete;
    virtual ~CommandManager();

    // The four Telegram attributes become properties ("Pid" and "Trace" of type "hex", "CallingType" and
    // "TelegramType" of type "text"), the parameters follow with their own type ("hex" without one). Null
    // when an attribute is missing or the text is no telegram.
    virtual CommandInfo* convertToCommandInfo(const QString& telegram);
    // A new object from the prototype named by the command element, read from the telegram by the object
    // itself, with the telegram's trace pattern and comment. Its calling type stays the prototype's unless
    // the telegram names an unknown one (then UNKNOWN_CALLING_TYPE). Null when the command is not
    // registered, the object cannot read the telegram, or CallingType or a hexadecimal Trace is missing.
    virtual IComObject* convertToComObject(const QString& telegram);
    // The request telegram of a new prototype object with info's values written over it, as an object.
    virtual IComObject* convertToComObject(const CommandInfo* info);
    // The request telegram of object (must not be null); empty when the object has no telegram form.
    virtual QString convertToXml(IComObject* object);
    // Writes info's attribute, parameter and comment values into the telegram (both must not be null).
    // False, leaving the text as it was, when the text is no telegram or its command is not info's.
    virtual bool updateTelegram(QString* telegram, const CommandInfo* info);
    // The property set of a new command of that name, with the prototype's values; null when unknown.
    virtual CommandInfo* createCommand(const QString& name);

    void registerCommand(const QString& name, IComObject* prototype);
    void registerCommandSet(const CommandSet* set);
    void unregisterCommands();

    // TELEGRAM_TYPE_REQUEST or TELEGRAM_TYPE_RESPONSE as the TelegramType attribute says, in exactly that
    // spelling; TELEGRAM_TYPE_UNKNOWN for everything else. telegram must not be null.
    static int getTelegramType(const QString* telegram);

private:
    CommandSet itsCommandSet;
};

} // namespace Communication
} // namespace NoxCore

#endif
