#include "tracer.h"

#include "traceplayer.h"
#include "traceprogrammer.h"
#include "tracerecorder.h"
#include "traceviewer.h"

namespace NoxCore
{
namespace Tracing
{

Tracer::Tracer(QObject* parent)
    : QObject(parent), itsRecorder(new TraceRecorder(this)), itsViewer(new TraceViewer(this)),
      itsPlayer(new TracePlayer(this, nullptr)), itsProgrammer(new TraceProgrammer(this))
{
    itsProgrammer->setRecorder(itsRecorder);
    itsProgrammer->setPlayer(itsPlayer);
}

Tracer::~Tracer() = default;

bool Tracer::trace(QString telegram)
{
    const bool recorded = itsRecorder->trace(telegram);
    const bool viewed = itsViewer->trace(telegram);
    return recorded && viewed;
}

TraceRecorder* Tracer::recorder() const
{
    return itsRecorder;
}

TraceViewer* Tracer::viewer() const
{
    return itsViewer;
}

TracePlayer* Tracer::player() const
{
    return itsPlayer;
}

TraceProgrammer* Tracer::programmer() const
{
    return itsProgrammer;
}

void Tracer::setComExecutor(Communication::IComExecutor* executor)
{
    itsPlayer->setComExecutor(executor);
}

} // namespace Tracing
} // namespace NoxCore
