#include "recordingformat.h"

#include <QDateTime>
#include <QList>

#include <cstdlib>
#include <utility>

namespace
{

const char* const COLUMNS[RecordingFormat::COLUMN_COUNT] = {"time",
                                                            "time_ms",
                                                            "raw_distance_mm",
                                                            "median_distance_mm",
                                                            "raw_confidence",
                                                            "smoothed_confidence",
                                                            "photon_count_reference",
                                                            "photon_count_object",
                                                            "movement",
                                                            "object_state",
                                                            "screen_saver",
                                                            "source",
                                                            "exchange"};

enum Column
{
    TIME_MS = 1,
    RAW_DISTANCE = 2,
    MEDIAN_DISTANCE = 3,
    RAW_CONFIDENCE = 4,
    SMOOTHED_CONFIDENCE = 5,
    PHOTON_COUNT_REFERENCE = 6,
    PHOTON_COUNT_OBJECT = 7,
    MOVEMENT = 8,
    OBJECT_STATE = 9,
    SCREEN_SAVER = 10,
    SOURCE = 11,
    EXCHANGE = 12
};

const char* const SOURCE_NAMES[] = {"board", "simulated board", "test script", "recording"};
const char* const SCREEN_SAVER_ON = "SCREEN_SAVER_ON";
const char* const SCREEN_SAVER_OFF = "SCREEN_SAVER_OFF";
const char* const EXCHANGE_OK = "ok";
const char* const EXCHANGE_FAILED = "failed";

const int MAX_CONFIDENCE = 63;
const int DECIMALS = 3;

// RFC 4180 fields: a field may be quoted, and a quote inside a quoted field is doubled. Our rows never need
// quotes, but a spreadsheet that saves the file again may add them.
bool splitFields(const QByteArray& line, QList<QByteArray>& fields)
{
    QByteArray field;
    bool inQuotes = false;
    for (int i = 0; i < line.size(); ++i)
    {
        const char c = line.at(i);
        if (inQuotes && c == '"' && i + 1 < line.size() && line.at(i + 1) == '"')
            field += line.at(++i);
        else if (c == '"' && (inQuotes || field.isEmpty()))
            inQuotes = !inQuotes;
        else if (c == ',' && !inQuotes)
            fields.append(std::exchange(field, QByteArray()));
        else
            field += c;
    }
    fields.append(field);
    return !inQuotes;
}

// Index of text in names, -1 when it is none of them.
template <size_t N> int indexOf(const char* const (&names)[N], const QByteArray& text)
{
    for (size_t i = 0; i < N; ++i)
        if (text == names[i])
            return int(i);
    return -1;
}

QString notA(const char* what, int column, const QByteArray& field)
{
    return QStringLiteral("%1 \"%2\" is not %3")
        .arg(QLatin1String(COLUMNS[column]), QString::fromUtf8(field.left(40)), QLatin1String(what));
}

} // namespace

QByteArray RecordingFormat::header()
{
    QByteArray text;
    for (const char* column : COLUMNS)
        text += QByteArray(column) + ',';
    text.chop(1);
    return text + "\r\n";
}

QString RecordingFormat::expectedHeader()
{
    QByteArray text = header();
    text.chop(2);
    return QString::fromLatin1(text);
}

bool RecordingFormat::isHeader(const QByteArray& line)
{
    QByteArray expected = header();
    expected.chop(2);
    return line == expected || line.startsWith(expected + ',');
}

QByteArray RecordingFormat::row(const MeasurementSample& sample, int utcOffsetSeconds)
{
    const QByteArray separator(",");
    // Always a numeric offset, also "+00:00" where Qt would write "Z", so that every row reads alike.
    const int offsetMinutes = std::abs(utcOffsetSeconds) / 60;
    QByteArray text = QDateTime::fromMSecsSinceEpoch(sample.timeMs + qint64(utcOffsetSeconds) * 1000, Qt::UTC)
                          .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))
                          .toLatin1() +
                      (utcOffsetSeconds < 0 ? '-' : '+') +
                      QByteArray::number(offsetMinutes / 60).rightJustified(2, '0') + ':' +
                      QByteArray::number(offsetMinutes % 60).rightJustified(2, '0');
    text += separator + QByteArray::number(sample.timeMs) + separator;
    if (sample.hasObject)
        text += QByteArray::number(sample.rawDistance);
    text += separator + QByteArray::number(sample.medianDistance, 'f', 0) + separator;
    if (sample.hasObject)
        text += QByteArray::number(sample.rawConfidence);
    text += separator + QByteArray::number(sample.smoothedConfidence, 'f', DECIMALS) + separator;
    if (sample.hasObject)
        text += QByteArray::number(sample.photonCountReference) + separator +
                QByteArray::number(sample.photonCountObject);
    else
        text += separator;
    text += separator + QByteArray::number(sample.movement, 'f', DECIMALS) + separator +
            objectStateName(sample.objectState) + separator +
            (sample.presenceRecent ? SCREEN_SAVER_OFF : SCREEN_SAVER_ON) + separator +
            SOURCE_NAMES[int(sample.source)] + separator +
            (sample.exchangeFailed ? EXCHANGE_FAILED : EXCHANGE_OK) + "\r\n";
    return text;
}

bool RecordingFormat::parseRow(const QByteArray& line, MeasurementSample& sample, QString& errorText)
{
    QList<QByteArray> fields;
    if (!splitFields(line, fields))
    {
        errorText = QStringLiteral("a quoted field is not closed");
        return false;
    }
    if (fields.size() < COLUMN_COUNT)
    {
        errorText = QStringLiteral("%1 fields, a row has %2").arg(fields.size()).arg(COLUMN_COUNT);
        return false;
    }

    sample = MeasurementSample();
    bool ok = false;
    sample.timeMs = fields.at(TIME_MS).toLongLong(&ok);
    if (!ok || sample.timeMs <= 0)
    {
        errorText = notA("a time in ms since 1970", TIME_MS, fields.at(TIME_MS));
        return false;
    }

    // Raw fields are empty when the sensor reported no object; the derived ones are always there.
    struct NumberField
    {
        int column;
        double max;
        bool mayBeEmpty;
    };
    const NumberField numbers[] = {{RAW_DISTANCE, 65535, true},
                                   {MEDIAN_DISTANCE, 65535, false},
                                   {RAW_CONFIDENCE, MAX_CONFIDENCE, true},
                                   {SMOOTHED_CONFIDENCE, MAX_CONFIDENCE, false},
                                   {PHOTON_COUNT_REFERENCE, 4294967295.0, true},
                                   {PHOTON_COUNT_OBJECT, 4294967295.0, true},
                                   {MOVEMENT, 65535, false}};
    double values[COLUMN_COUNT] = {};
    for (const NumberField& number : numbers)
    {
        const QByteArray& field = fields.at(number.column);
        if (field.isEmpty() && number.mayBeEmpty)
            continue;
        values[number.column] = field.toDouble(&ok);
        if (!ok || !(values[number.column] >= 0.0 && values[number.column] <= number.max))
        {
            errorText = notA(number.mayBeEmpty ? "empty or a number in range" : "a number in range",
                             number.column, field);
            return false;
        }
    }
    sample.hasObject = !fields.at(RAW_DISTANCE).isEmpty();
    sample.rawDistance = quint16(values[RAW_DISTANCE]);
    sample.rawConfidence = quint8(values[RAW_CONFIDENCE]);
    sample.photonCountReference = quint32(values[PHOTON_COUNT_REFERENCE]);
    sample.photonCountObject = quint32(values[PHOTON_COUNT_OBJECT]);

    struct NameField
    {
        int column;
        int index;
    };
    static const char* const SCREEN_SAVER_NAMES[] = {SCREEN_SAVER_ON, SCREEN_SAVER_OFF};
    static const char* const EXCHANGE_NAMES[] = {EXCHANGE_OK, EXCHANGE_FAILED};
    static const char* const STATE_NAMES[] = {objectStateName(0), objectStateName(1), objectStateName(2),
                                              objectStateName(3), objectStateName(4)};
    const NameField names[] = {{OBJECT_STATE, indexOf(STATE_NAMES, fields.at(OBJECT_STATE))},
                               {SCREEN_SAVER, indexOf(SCREEN_SAVER_NAMES, fields.at(SCREEN_SAVER))},
                               {SOURCE, indexOf(SOURCE_NAMES, fields.at(SOURCE))},
                               {EXCHANGE, indexOf(EXCHANGE_NAMES, fields.at(EXCHANGE))}};
    for (const NameField& name : names)
    {
        if (name.index < 0)
        {
            errorText = notA("a known value", name.column, fields.at(name.column));
            return false;
        }
    }
    sample.source = MeasurementSource(names[2].index);
    sample.exchangeFailed = names[3].index == 1;
    return true;
}
