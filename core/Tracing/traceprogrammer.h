#ifndef NOXCORE_TRACING_TRACEPROGRAMMER_H
#define NOXCORE_TRACING_TRACEPROGRAMMER_H

#include "Communication/commandinfo.h"

#include <QList>
#include <QObject>
#include <QString>

namespace NoxCore
{
namespace Tracing
{

class TracePlayer;
class TraceRecorder;

// The validator's argument is spelt "CommandInfo*" in the slot's signature, as CommandInfo calls it.
using Communication::CommandInfo;

// An editable list of commands (a program) that is saved to and loaded from trace files and executed on
// the traced stream through the player. Commands enter the program as requests: a recorded answer becomes
// the request that asks for it again, without the values the target delivered. Every command in the
// program checks its edits against validateCommand.
//
// Runs on the thread of the traced stream and of the view; no locking. The program owns its commands; the
// player and the recorder are not owned.
class TraceProgrammer : public QObject
{
    Q_OBJECT

public:
    explicit TraceProgrammer(QObject* parent = nullptr);
    ~TraceProgrammer() override;

    void setPlayer(TracePlayer* player);
    TracePlayer* player() const;
    void setRecorder(TraceRecorder* recorder);
    TraceRecorder* recorder() const;

    // A new command of the named type (null when unknown), owned by the caller until it is inserted.
    CommandInfo* createCommand(const QString& name);

    // Takes the commands (none may be null) into the program in the given order from position on. False,
    // taking nothing, for a position beyond the end and for a command the program already holds or that
    // is given twice (it would be deleted twice); a negative position is a programming error.
    bool insertCommands(int position, const QList<CommandInfo*>& commands);
    bool insertCommand(int position, CommandInfo* command);
    bool addCommand(CommandInfo* command);
    // Up to count commands from position on. False, deleting nothing, for a negative count and for a position
    // at or beyond the end; a negative position is a programming error.
    bool deleteCommands(int position, int count);
    bool deleteCommand(int position);
    QList<CommandInfo*>* getAllCommands();
    // Copies, owned by the caller, as the viewer's exportCommands.
    QList<CommandInfo*> exportCommands(int position, int count) const;

    // Plays up to count commands from position on, each as a request telegram that is flushed at once. Runs
    // the whole range even when one fails; false then, without a player, for a position at or beyond the end,
    // and while an execution is running.
    bool execute(int position, int count);
    bool isExecuting() const;
    // Writes every command as a request telegram; nothing is written when one does not convert.
    bool saveProgram(const QString& fileName);
    // Replaces the program by the requests of the file (its responses are skipped); the program stays as it
    // was when the file cannot be read or one of its telegrams is broken or does not validate. A file that
    // was cut short (a recording killed before it was closed) loads its complete telegrams and is announced
    // by programCutShort.
    bool loadProgram(const QString& fileName);

signals:
    void commandsInserted(QList<NoxCore::Communication::CommandInfo*> infos, int position);
    void commandsDeleted(int position, int count);
    void executionStateChanged(bool isExecuting);
    // The program just loaded from fileName ends where its file was cut short.
    void programCutShort(const QString& fileName);

public slots:
    // True when the command converts into a com object.
    bool validateCommand(CommandInfo* commandInfo);

private:
    void adopt(CommandInfo* command);
    void setExecuting(bool executing);

    QList<CommandInfo*> itsProgram;
    TracePlayer* itsPlayer = nullptr;
    TraceRecorder* itsRecorder = nullptr;
    bool itsIsExecuting = false;
};

} // namespace Tracing
} // namespace NoxCore

#endif
