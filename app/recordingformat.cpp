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
                                                            "exchange",
                                                            "original_time_ms"};

enum Column
{
    TIME = 0,
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
    EXCHANGE = 12,
    ORIGINAL_TIME_MS = 13
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

QString notA(const QString& what, int column, const QByteArray& field)
{
    return QStringLiteral("%1 \"%2\" is not %3")
        .arg(QLatin1String(COLUMNS[column]), QString::fromUtf8(field.left(40)), what);
}

// Digits only: no sign, no blanks, no decimal point, no exponent, as the recorder writes whole numbers.
bool readWholeNumber(const QByteArray& field, quint64 max, quint64& value)
{
    const int MAX_DIGITS = 19;
    if (field.isEmpty() || field.size() > MAX_DIGITS)
        return false;
    value = 0;
    for (char c : field)
    {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + quint64(c - '0');
    }
    return value <= max;
}

// Digits with an optional fraction, as the recorder writes the processing's numbers.
bool readDecimal(const QByteArray& field, double max, double& value)
{
    const int point = field.indexOf('.');
    const QByteArray whole = point < 0 ? field : field.left(point);
    const QByteArray fraction = point < 0 ? QByteArray("0") : field.mid(point + 1);
    quint64 unused = 0;
    if (!readWholeNumber(whole, ~quint64(0), unused) || !readWholeNumber(fraction, ~quint64(0), unused))
        return false;
    value = field.toDouble();
    return value <= max;
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
qint64 daysSinceEpoch(qint64 year, qint64 month, qint64 day)
{
    year -= month <= 2 ? 1 : 0;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The time column as the recorder writes it, 2026-12-06T21:04:05.123+01:00, in ms since 1970 UTC. Parsed by
// hand: a day of rows is millions of them, and this is on the path of every one.
bool readTime(const QByteArray& field, qint64& ms)
{
    static const char PATTERN[] = "dddd-dd-ddTdd:dd:dd.ddd+dd:dd";
    if (field.size() != int(sizeof(PATTERN)) - 1)
        return false;
    for (int i = 0; i < field.size(); ++i)
    {
        const char expected = PATTERN[i];
        const char c = field.at(i);
        const bool matches = expected == 'd' ? (c >= '0' && c <= '9')
                                             : (expected == '+' ? (c == '+' || c == '-') : c == expected);
        if (!matches)
            return false;
    }
    const auto number = [&field](int at, int length) { return field.mid(at, length).toLongLong(); };
    const qint64 year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const qint64 hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    const qint64 offsetMinutes = (number(24, 2) * 60 + number(27, 2)) * (field.at(23) == '-' ? -1 : 1);
    const int daysInMonth = QDate(int(year), int(month), 1).daysInMonth();
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth || hour > 23 || minute > 59 || second > 59)
        return false;
    const qint64 localSeconds = daysSinceEpoch(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    ms = (localSeconds - offsetMinutes * 60) * 1000 + number(20, 3);
    return true;
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

int RecordingFormat::headerColumnCount(const QByteArray& line)
{
    QByteArray ours = header();
    ours.chop(2);
    if (line == ours)
        return COLUMN_COUNT;
    if (line.startsWith(ours + ','))
        return line.count(',') + 1;
    const QByteArray first = ours.left(ours.indexOf(QByteArray(",") + COLUMNS[FIRST_COLUMN_COUNT]));
    return line == first ? FIRST_COLUMN_COUNT : 0;
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
            (sample.exchangeFailed ? EXCHANGE_FAILED : EXCHANGE_OK) + separator;
    if (sample.originalTimeMs > 0)
        text += QByteArray::number(sample.originalTimeMs);
    return text + "\r\n";
    return text;
}

bool RecordingFormat::parseRow(const QByteArray& line, int columnCount, MeasurementSample& sample,
                               QString& errorText)
{
    QList<QByteArray> fields;
    if (!splitFields(line, fields))
    {
        errorText = QStringLiteral("a quoted field is not closed");
        return false;
    }
    if (fields.size() != columnCount)
    {
        errorText = QStringLiteral("%1 fields, the header has %2").arg(fields.size()).arg(columnCount);
        return false;
    }

    sample = MeasurementSample();
    const qint64 MAX_TIME_MS = 253402300799999; // 9999-12-31T23:59:59.999Z
    quint64 whole = 0;
    if (!readWholeNumber(fields.at(TIME_MS), MAX_TIME_MS, whole) || whole == 0)
    {
        errorText = notA(QStringLiteral("a time in ms since 1970"), TIME_MS, fields.at(TIME_MS));
        return false;
    }
    sample.timeMs = qint64(whole);
    qint64 timeColumnMs = 0;
    if (!readTime(fields.at(TIME), timeColumnMs))
    {
        errorText = notA(QStringLiteral("a time like 2026-12-06T21:04:05.123+01:00"), TIME, fields.at(TIME));
        return false;
    }
    if (timeColumnMs != sample.timeMs)
    {
        errorText = QStringLiteral("time %1 is not the time of time_ms %2")
                        .arg(QString::fromLatin1(fields.at(TIME)))
                        .arg(sample.timeMs);
        return false;
    }
    if (columnCount > ORIGINAL_TIME_MS && !fields.at(ORIGINAL_TIME_MS).isEmpty())
    {
        if (!readWholeNumber(fields.at(ORIGINAL_TIME_MS), MAX_TIME_MS, whole) || whole == 0)
        {
            errorText = notA(QStringLiteral("empty or a time in ms since 1970"), ORIGINAL_TIME_MS,
                             fields.at(ORIGINAL_TIME_MS));
            return false;
        }
        sample.originalTimeMs = qint64(whole);
    }

    // The sensor's fields are there together or, when it reported no object or did not answer, not at all.
    const int rawColumns[] = {RAW_DISTANCE, RAW_CONFIDENCE, PHOTON_COUNT_REFERENCE, PHOTON_COUNT_OBJECT};
    const quint64 rawMaxima[] = {65535, MAX_CONFIDENCE, 4294967295u, 4294967295u};
    quint64 raw[4] = {};
    sample.hasObject = !fields.at(RAW_DISTANCE).isEmpty();
    for (int i = 0; i < 4; ++i)
    {
        const QByteArray& field = fields.at(rawColumns[i]);
        if (field.isEmpty() != !sample.hasObject)
        {
            errorText = QStringLiteral("raw_distance_mm, raw_confidence and the photon counts are empty only "
                                       "together, but %1 is %2")
                            .arg(QLatin1String(COLUMNS[rawColumns[i]]),
                                 field.isEmpty() ? QStringLiteral("empty") : QStringLiteral("not empty"));
            return false;
        }
        if (sample.hasObject && !readWholeNumber(field, rawMaxima[i], raw[i]))
        {
            errorText = notA(QStringLiteral("empty or a whole number from 0 to %1").arg(rawMaxima[i]),
                             rawColumns[i], field);
            return false;
        }
    }
    sample.rawDistance = quint16(raw[0]);
    sample.rawConfidence = quint8(raw[1]);
    sample.photonCountReference = quint32(raw[2]);
    sample.photonCountObject = quint32(raw[3]);

    // What the processing made of the row; it computes them anew when the row is replayed.
    const struct
    {
        int column;
        double max;
    } derived[] = {{MEDIAN_DISTANCE, 65535}, {SMOOTHED_CONFIDENCE, MAX_CONFIDENCE}, {MOVEMENT, 65535}};
    for (const auto& number : derived)
    {
        double value = 0.0;
        if (!readDecimal(fields.at(number.column), number.max, value))
        {
            errorText = notA(QStringLiteral("a number from 0 to %1").arg(number.max), number.column,
                             fields.at(number.column));
            return false;
        }
    }

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
            errorText = notA(QStringLiteral("a known value"), name.column, fields.at(name.column));
            return false;
        }
    }
    sample.source = MeasurementSource(names[2].index);
    sample.exchangeFailed = names[3].index == 1;
    // A module that did not answer reported nothing.
    if (sample.exchangeFailed && sample.hasObject)
    {
        errorText = QStringLiteral("a failed exchange has no raw_distance_mm");
        return false;
    }
    return true;
}
