#ifndef NOXCORE_TRACING_TRACER_H
#define NOXCORE_TRACING_TRACER_H

#include "itracesink.h"

#include <QObject>

namespace NoxCore
{
namespace Communication
{
class IComExecutor;
}

namespace Tracing
{

class TracePlayer;
class TraceProgrammer;
class TraceRecorder;
class TraceViewer;

// The trace sink of a com stream: hands every telegram to a recorder (trace file) and a viewer (records in
// memory), and holds a player and a programmer that replay telegrams on the stream. The programmer saves
// through the recorder and loads and plays through the player.
//
// The tracer owns its four members. The stream and the executor are not owned: whoever sets this tracer on
// a stream takes it off again (setTracer(nullptr)) before the tracer goes, and gives the player another
// executor (or null) before the stream goes. Runs on the thread of the traced stream; no locking.
class Tracer : public QObject, public virtual ITraceSink
{
    Q_OBJECT

public:
    explicit Tracer(QObject* parent = nullptr);
    ~Tracer() override;

    // Both the recorder and the viewer get the telegram; true when both took it (or filtered it out). So
    // without an open trace file the result is false, whatever the viewer did.
    bool trace(QString telegram) override;

    TraceRecorder* recorder() const;
    TraceViewer* viewer() const;
    TracePlayer* player() const;
    TraceProgrammer* programmer() const;

    // Where telegrams are replayed: normally the traced stream.
    void setComExecutor(Communication::IComExecutor* executor);

private:
    TraceRecorder* itsRecorder;
    TraceViewer* itsViewer;
    TracePlayer* itsPlayer;
    TraceProgrammer* itsProgrammer;
};

} // namespace Tracing
} // namespace NoxCore

#endif
