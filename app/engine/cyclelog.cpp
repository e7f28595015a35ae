#include "cyclelog.h"

#include "Tools/clock.h"

bool CycleLog::open(const QString& path)
{
    itsFile.setFileName(path);
    // About an hour of cycles before the vector grows during a run.
    itsCycleTimesMs.reserve(128 * 1024);
    return itsFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
}

CycleLog::~CycleLog()
{
    if (!itsFile.isOpen())
        return;
    for (qint64 timeMs : itsCycleTimesMs)
        itsFile.write(QByteArray::number(timeMs) + '\n');
}

void CycleLog::recordCycle()
{
    itsCycleTimesMs.append(NoxCore::Tools::Clock::currentMSecsSinceEpoch());
}
