#include "recordingformat.h"

#include <QDateTime>
#include <QVarLengthArray>

#include <algorithm>
#include <cstdlib>
#include <forward_list>
#include <string>
#include <string_view>

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

// The fields of one row: views into the line, or into quoted for a field whose quotes were taken off.
// Rows come by the million, so nothing is copied that need not be.
using Field = std::string_view;
using Fields = QVarLengthArray<Field, RecordingFormat::COLUMN_COUNT + 2>;

// RFC 4180 fields: a field may be quoted, and a quote inside a quoted field is doubled. Our rows never need
// quotes, but a spreadsheet that saves the file again may add them. Returns what is wrong, or nothing.
QString splitFields(Field line, Fields& fields, std::forward_list<std::string>& quoted)
{
    size_t at = 0;
    while (true)
    {
        if (at < line.size() && line[at] == '"')
        {
            std::string& text = quoted.emplace_front();
            size_t i = at + 1;
            for (; i < line.size(); ++i)
            {
                if (line[i] == '"' && (i + 1 == line.size() || line[i + 1] != '"'))
                    break;
                i += line[i] == '"' ? 1 : 0;
                text += line[i];
            }
            if (i >= line.size())
                return QStringLiteral("a quoted field is not closed");
            fields.append(text);
            at = i + 1;
            if (at == line.size())
                return QString();
            if (line[at] != ',')
                return QStringLiteral("text follows a quoted field");
        }
        else
        {
            const size_t comma = line.find(',', at);
            fields.append(line.substr(at, comma == Field::npos ? Field::npos : comma - at));
            if (comma == Field::npos)
                return QString();
            at = comma;
        }
        ++at;
    }
}

// Index of text in names, -1 when it is none of them.
template <size_t N> int indexOf(const char* const (&names)[N], Field text)
{
    for (size_t i = 0; i < N; ++i)
        if (text == names[i])
            return int(i);
    return -1;
}

QString notA(const QString& what, int column, Field field)
{
    const int SHOWN = 40;
    return QStringLiteral("%1 \"%2\" is not %3")
        .arg(QLatin1String(COLUMNS[column]),
             QString::fromUtf8(field.data(), int(std::min<size_t>(field.size(), SHOWN))), what);
}

// Digits only: no sign, no blanks, no decimal point, no exponent, as the recorder writes whole numbers.
bool readWholeNumber(Field field, quint64 max, quint64& value)
{
    const size_t MAX_DIGITS = 19;
    if (field.empty() || field.size() > MAX_DIGITS)
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
bool readDecimal(Field field, quint64 max)
{
    const size_t point = field.find('.');
    quint64 whole = 0;
    quint64 fraction = 0;
    if (!readWholeNumber(field.substr(0, point), max, whole))
        return false;
    if (point == Field::npos)
        return true;
    return readWholeNumber(field.substr(point + 1), ~quint64(0), fraction) && (whole < max || fraction == 0);
}

bool isLeapYear(qint64 year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
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
// hand: it is on the path of every row.
bool readTime(Field field, qint64& ms)
{
    static const char PATTERN[] = "dddd-dd-ddTdd:dd:dd.ddd+dd:dd";
    if (field.size() != sizeof(PATTERN) - 1)
        return false;
    for (size_t i = 0; i < field.size(); ++i)
    {
        const char expected = PATTERN[i];
        const char c = field[i];
        const bool matches = expected == 'd' ? (c >= '0' && c <= '9')
                                             : (expected == '+' ? (c == '+' || c == '-') : c == expected);
        if (!matches)
            return false;
    }
    const auto number = [field](size_t at, size_t length)
    {
        qint64 value = 0;
        for (size_t i = at; i < at + length; ++i)
            value = value * 10 + (field[i] - '0');
        return value;
    };
    const qint64 year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const qint64 hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    const qint64 offsetMinutes = (number(24, 2) * 60 + number(27, 2)) * (field[23] == '-' ? -1 : 1);
    static const int DAYS_IN_MONTH[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return false;
    const qint64 daysInMonth = DAYS_IN_MONTH[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
    if (day < 1 || day > daysInMonth || hour > 23 || minute > 59 || second > 59)
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
    Fields fields;
    std::forward_list<std::string> quoted;
    errorText = splitFields(Field(line.constData(), size_t(line.size())), fields, quoted);
    if (!errorText.isEmpty())
        return false;
    if (fields.size() != columnCount)
    {
        errorText = QStringLiteral("%1 fields, the header has %2").arg(fields.size()).arg(columnCount);
        return false;
    }

    sample = MeasurementSample();
    const quint64 MAX_TIME_MS = 253402300799999; // 9999-12-31T23:59:59.999Z
    quint64 whole = 0;
    if (!readWholeNumber(fields[TIME_MS], MAX_TIME_MS, whole) || whole == 0)
    {
        errorText = notA(QStringLiteral("a time in ms since 1970"), TIME_MS, fields[TIME_MS]);
        return false;
    }
    sample.timeMs = qint64(whole);
    qint64 timeColumnMs = 0;
    if (!readTime(fields[TIME], timeColumnMs))
    {
        errorText = notA(QStringLiteral("a time like 2026-12-06T21:04:05.123+01:00"), TIME, fields[TIME]);
        return false;
    }
    if (timeColumnMs != sample.timeMs)
    {
        errorText = QStringLiteral("time %1 is not the time of time_ms %2")
                        .arg(QString::fromLatin1(fields[TIME].data(), int(fields[TIME].size())))
                        .arg(sample.timeMs);
        return false;
    }
    if (columnCount > ORIGINAL_TIME_MS && !fields[ORIGINAL_TIME_MS].empty())
    {
        if (!readWholeNumber(fields[ORIGINAL_TIME_MS], MAX_TIME_MS, whole) || whole == 0)
        {
            errorText = notA(QStringLiteral("empty or a time in ms since 1970"), ORIGINAL_TIME_MS,
                             fields[ORIGINAL_TIME_MS]);
            return false;
        }
        sample.originalTimeMs = qint64(whole);
    }

    // The sensor's fields are there together or, when it reported no object or did not answer, not at all.
    const int rawColumns[] = {RAW_DISTANCE, RAW_CONFIDENCE, PHOTON_COUNT_REFERENCE, PHOTON_COUNT_OBJECT};
    const quint64 rawMaxima[] = {65535, MAX_CONFIDENCE, 4294967295u, 4294967295u};
    quint64 raw[4] = {};
    sample.hasObject = !fields[RAW_DISTANCE].empty();
    for (int i = 0; i < 4; ++i)
    {
        const Field field = fields[rawColumns[i]];
        if (field.empty() == sample.hasObject)
        {
            errorText = QStringLiteral("raw_distance_mm, raw_confidence and the photon counts are empty only "
                                       "together, but %1 is %2")
                            .arg(QLatin1String(COLUMNS[rawColumns[i]]),
                                 field.empty() ? QStringLiteral("empty") : QStringLiteral("not empty"));
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
        quint64 max;
    } derived[] = {{MEDIAN_DISTANCE, 65535}, {SMOOTHED_CONFIDENCE, MAX_CONFIDENCE}, {MOVEMENT, 65535}};
    for (const auto& number : derived)
    {
        if (!readDecimal(fields[number.column], number.max))
        {
            errorText = notA(QStringLiteral("a number from 0 to %1").arg(number.max), number.column,
                             fields[number.column]);
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
    const NameField names[] = {{OBJECT_STATE, indexOf(STATE_NAMES, fields[OBJECT_STATE])},
                               {SCREEN_SAVER, indexOf(SCREEN_SAVER_NAMES, fields[SCREEN_SAVER])},
                               {SOURCE, indexOf(SOURCE_NAMES, fields[SOURCE])},
                               {EXCHANGE, indexOf(EXCHANGE_NAMES, fields[EXCHANGE])}};
    for (const NameField& name : names)
    {
        if (name.index < 0)
        {
            errorText = notA(QStringLiteral("a known value"), name.column, fields[name.column]);
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
