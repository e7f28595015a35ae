#include "tracerecorder.h"

#include "Communication/streamflushobject.h"
#include "Communication/telegramreader.h"
#include "tracefile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace NoxCore
{
namespace Tracing
{

TraceRecorder::TraceRecorder(QObject* parent)
    : QObject(parent), itsNegativeFilter(Communication::StreamFlushObject::TRACE_PATTERN)
{
}

TraceRecorder::~TraceRecorder()
{
    close();
}

bool TraceRecorder::open(const QString& fileName)
{
    if (itsFile.isOpen())
        return false;
    itsFile.setFileName(fileName);
    if (!itsFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    itsWriter = std::make_unique<QXmlStreamWriter>(&itsFile);
    itsFailureIsReported = false;
    TraceFile::writeHeader(*itsWriter);
    // On the disk at once: a run that ends before its first telegram still leaves a file the player takes.
    if (itsWriter->hasError() || !itsFile.flush())
    {
        itsWriter.reset();
        itsFile.close();
        return false;
    }
    setEnabled(true);
    return true;
}

bool TraceRecorder::close()
{
    if (itsWriter != nullptr)
    {
        setEnabled(false);
        TraceFile::writeEnd(*itsWriter);
        itsWriter.reset();
    }
    itsIsEnabled = false;
    if (!itsFile.isOpen())
        return false;
    itsFile.close();
    return true;
}

bool TraceRecorder::isOpen() const
{
    return itsFile.isOpen();
}

bool TraceRecorder::flush()
{
    return itsFile.flush();
}

QString TraceRecorder::errorString() const
{
    return itsFile.errorString();
}

bool TraceRecorder::setEnabled(bool enabled)
{
    if (enabled == itsIsEnabled)
        return true;
    if (enabled && (!itsFile.isOpen() || itsWriter == nullptr))
        return false;
    itsIsEnabled = enabled;
    emit enabledChanged(enabled);
    return true;
}

bool TraceRecorder::isEnabled() const
{
    return itsIsEnabled;
}

void TraceRecorder::setFilter(unsigned int pattern)
{
    if (pattern == itsFilter)
        return;
    itsFilter = pattern;
    emit filterChanged(pattern);
}

unsigned int TraceRecorder::filter() const
{
    return itsFilter;
}

void TraceRecorder::setNegativeFilter(unsigned int pattern)
{
    itsNegativeFilter = pattern;
}

unsigned int TraceRecorder::negativeFilter() const
{
    return itsNegativeFilter;
}

bool TraceRecorder::trace(QString telegram)
{
    if (!itsFile.isOpen() || itsWriter == nullptr || !itsIsEnabled)
        return false;
    if (!TelegramFilter::matches(telegram, itsFilter, itsNegativeFilter))
        return true;
    errno = 0;
    const bool written = TraceFile::writeTelegram(*itsWriter, telegram);
    if (!written && !itsWriter->hasError())
        return false;
    return (written && itsFile.flush()) || reportFailedWrite(errno);
}

bool TraceRecorder::reportFailedWrite(int error)
{
    // Traced from deep inside the stream, where nobody looks at the result; a person must still learn that
    // the trace is incomplete, but once, not for each of thousands of telegrams.
    if (!itsFailureIsReported)
        std::fprintf(stderr, "Cannot write the trace %s: %s\n", qPrintable(itsFile.fileName()),
                     // A write cut short leaves the file without a reason; the system still has it.
                     error != 0 ? std::strerror(error) : qPrintable(itsFile.errorString()));
    itsFailureIsReported = true;
    return false;
}

bool TraceRecorder::writeTelegrams(const QString& fileName, const QList<QString>& telegrams)
{
    Communication::TelegramReader reader;
    for (const QString& telegram : telegrams)
    {
        if (!reader.read(telegram))
            return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QXmlStreamWriter writer(&file);
    TraceFile::writeHeader(writer);
    for (const QString& telegram : telegrams)
        TraceFile::writeTelegram(writer, telegram);
    TraceFile::writeEnd(writer);
    return !writer.hasError() && file.flush();
}

} // namespace Tracing
} // namespace NoxCore
