#ifndef NOXCORE_TRACING_TRACEPLAYER_H
#define NOXCORE_TRACING_TRACEPLAYER_H

#include "Tools/delegate.h"
#include "tracefilereader.h"

#include <QFile>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace NoxCore
{
namespace Communication
{
class IComExecutor;
class IComObject;
class IComStream;
} // namespace Communication

namespace Tracing
{

// Replays the request telegrams of a trace file, or single telegram texts, on a com executor, normally the
// traced com stream. Response telegrams are skipped: the live target answers instead. Telegrams become com
// objects through the CommandManager, so their commands must be registered there (TelegramCommandSet).
//
// On a stream, request-and-response objects stay with the player until the stream has read their answers;
// then resultDelegate, when set, gets them (a slot taking "QList<NoxCore::Communication::IComObject*>*")
// and they are deleted. Before the executor goes away, give the player another one or null: the player first
// makes the old stream read the answers still due.
//
// Playing stops at the first telegram that is broken or cannot be converted; nothing of it is sent.
// Runs on the thread of the stream; no locking. The executor is not owned.
class TracePlayer : public QObject
{
    Q_OBJECT

public:
    Tools::Delegate resultDelegate;

    explicit TracePlayer(QObject* parent = nullptr, Communication::IComExecutor* executor = nullptr);
    ~TracePlayer() override;

    void setComExecutor(Communication::IComExecutor* executor);

    // False when a file is already open or this one cannot be read; otherwise whether the file declares
    // the trace version. A file of another version stays open until close().
    bool open(const QString& fileName);
    void close();
    bool isOpen() const;
    QString fileName() const;
    // Back to the first telegram; the header check's result. The file must be open.
    bool reset();
    // The file must be open. True only when the reader stands on the document's proper end, so a file that
    // breaks off (a recording killed before it was closed) never counts as played to its end.
    bool isEndOfFile() const;

    // Plays one telegram text and flushes the stream. An executor must be set.
    bool playSingleTelegram(const QString& telegram);
    // Plays the file's next telegram without flushing. *skipped (when given) tells whether the telegram was
    // left out rather than sent: a response, or a telegram that could not be played. An executor must be set
    // and a file open.
    bool playNext(bool* skipped = nullptr);
    // Plays until a telegram fails or none is left; true when the file's end was reached.
    bool playToEnd();

    // Appends every telegram text of the file to telegrams (must not be null). False, appending nothing,
    // when the file cannot be read, is not a trace file or is broken anywhere. A file that was cut short
    // gives its complete telegrams, and *cutShort (when given) tells so.
    static bool readTelegrams(const QString& fileName, QList<QString>* telegrams, bool* cutShort = nullptr);

signals:
    void playedSingleTelegram(bool succeeded);
    void playedNext(bool succeeded);
    void playedToEnd(bool succeeded);

private:
    bool readHeader();
    bool play(const QString& telegram, bool flush, bool* skipped);
    bool sendOnStream(Communication::IComStream& stream, std::unique_ptr<Communication::IComObject> object,
                      bool flush);
    void deliverPlayedObjects();
    // Lets the executor's stream read the answers still due to the played objects, then delivers them.
    void collectPlayedObjects();

    TraceFileReader itsReader;
    QFile itsFile;
    Communication::IComExecutor* itsComExecutor;
    // Request-and-response objects sent and not delivered yet; owned.
    QList<Communication::IComObject*> itsPlayedObjects;
};

} // namespace Tracing
} // namespace NoxCore

#endif
