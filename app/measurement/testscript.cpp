#include "testscript.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <limits>

namespace
{

const int CONFIDENCE_RANGE = 64;

// Field values that do not convert, and negative ones, count as 0: a confidence or a wait below zero
// has no meaning, and a negative wait would make the replay skip the line after it.
quint16 toDistance(const QString& field)
{
    bool ok = false;
    const quint16 value = field.toUShort(&ok);
    return ok ? value : 0;
}

quint8 toConfidence(const QString& field)
{
    bool ok = false;
    const qint16 value = field.toShort(&ok);
    return (ok && value > 0) ? static_cast<quint8>(value % CONFIDENCE_RANGE) : 0;
}

qint64 toDuration(const QString& field)
{
    bool ok = false;
    const qint64 value = field.toLongLong(&ok);
    return (ok && value > 0) ? value : 0;
}

qint64 saturatingAdd(qint64 a, qint64 b)
{
    return (a > std::numeric_limits<qint64>::max() - b) ? std::numeric_limits<qint64>::max() : a + b;
}

} // namespace

QString TestScript::locate(const QString& workingFolder, const QString& applicationFolder)
{
    const QString local = QDir(workingFolder).filePath(QStringLiteral("test_data.txt"));
    const QString installed =
        QDir(applicationFolder).filePath(QStringLiteral(LIDORA_SCRIPT_FROM_BINDIR "/test_data.txt"));
    return (!QFile::exists(local) && QFile::exists(installed)) ? QDir::cleanPath(installed) : local;
}

bool TestScript::load(const QString& path)
{
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly | QIODevice::Text);
    load(file);
    return opened;
}

void TestScript::load(QIODevice& device)
{
    itsLines.clear();
    itsLineIndex = 0;
    itsWaitUntilMs = 0;
    itsHeldDistance = 0;
    itsHeldConfidence = 0;
    if (!device.isReadable())
        return;

    // Read in bounded pieces: a line longer than any script line is dropped piece by piece instead of
    // being collected in memory.
    QByteArray buffer(MAX_LINE_LENGTH + 2, Qt::Uninitialized);
    bool continuesLongLine = false;
    qint64 bytesRead = 0;
    while (bytesRead < MAX_FILE_BYTES)
    {
        const qint64 length = device.readLine(buffer.data(), buffer.size());
        if (length <= 0)
            break;
        bytesRead += length;
        const bool endsLine = buffer.at(length - 1) == '\n';
        const bool skip = continuesLongLine || (!endsLine && !device.atEnd());
        continuesLongLine = !endsLine;
        if (skip)
            continue;

        const QString text = QString::fromLatin1(buffer.constData(), endsLine ? length - 1 : length);
        if (text.startsWith(QLatin1String("OBJ")) || text.startsWith(QLatin1String("WAIT")))
            itsLines.append(parseLine(text));
    }
}

TestScript::Line TestScript::parseLine(const QString& text)
{
    const QStringList fields = text.split(QLatin1Char(','));
    Line line{};
    if (text.startsWith(QLatin1String("OBJ")))
    {
        line.kind = Line::Object;
        line.wellFormed = fields.size() == 3;
        if (line.wellFormed)
        {
            line.distance = toDistance(fields.at(1));
            line.confidence = toConfidence(fields.at(2));
        }
    }
    else
    {
        line.kind = Line::Wait;
        line.wellFormed = fields.size() == 2;
        if (line.wellFormed)
            line.durationMs = toDuration(fields.at(1));
    }
    return line;
}

void TestScript::replay(ObjectRecord& record, qint64 nowMs)
{
    record = ObjectRecord();
    if (itsLines.isEmpty())
        return;

    const Line& line = itsLines.at(itsLineIndex);
    if (line.kind == Line::Object && nowMs > itsWaitUntilMs && line.wellFormed)
    {
        itsHeldDistance = line.distance;
        itsHeldConfidence = line.confidence;
    }
    // A wait takes effect at once and restarts any wait still running.
    if (line.kind == Line::Wait && line.wellFormed)
    {
        itsWaitUntilMs = saturatingAdd(nowMs, line.durationMs);
        advance();
    }
    if (nowMs > itsWaitUntilMs)
        advance();

    record.distance = itsHeldDistance;
    record.distance2 = itsHeldDistance;
    record.distance3 = itsHeldDistance;
    record.confidence = itsHeldConfidence;
}

void TestScript::advance()
{
    itsLineIndex = (itsLineIndex + 1) % itsLines.size();
}
