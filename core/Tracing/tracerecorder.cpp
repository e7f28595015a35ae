#include "tracerecorder.h"

#include "Communication/telegramreader.h"
#include "tracefile.h"

namespace NoxCore
{
namespace Tracing
{

TraceRecorder::TraceRecorder(QObject* parent) : QObject(parent) {}

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
    TraceFile::writeHeader(*itsWriter);
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

bool TraceRecorder::trace(QString telegram)
{
    if (!itsFile.isOpen() || itsWriter == nullptr || !itsIsEnabled)
        return false;
    if (!TelegramFilter::matches(telegram, itsFilter))
        return true;
    return TraceFile::writeTelegram(*itsWriter, telegram) && itsFile.flush();
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
