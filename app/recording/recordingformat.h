#ifndef LIDORA_RECORDINGFORMAT_H
#define LIDORA_RECORDINGFORMAT_H

#include "measurementsample.h"

#include <QByteArray>
#include <QString>

// The CSV form of a recording: RFC 4180, UTF-8, a header row, "." as decimal point whatever the locale,
// one row per measurement. The columns are a promise to the people who keep these files: new columns go at
// the end, none is ever reordered or renamed, and a reader accepts files with more columns than it knows.
//
//   time                    ISO 8601 local time with milliseconds and UTC offset
//   time_ms                 ms since 1970-01-01 UTC
//   raw_distance_mm         distance the sensor reported         } empty when the sensor reported no
//   median_distance_mm      median of the seven newest           } object (raw fields only) or the
//   raw_confidence          0 to 63                              } exchange failed
//   smoothed_confidence
//   photon_count_reference, photon_count_object
//   movement                smoothed change of the raw distance, mm per sample
//   object_state            STATE_NO_OBJECT, STATE_OBJECT_TOO_CLOSE, STATE_OBJECT_PRESENCE, STATE_OBJECT_FAR,
//                           STATE_STATIC
//   screen_saver            SCREEN_SAVER_ON or SCREEN_SAVER_OFF
//   source                  board, simulated board, test script or recording
//   exchange                ok, or failed when the module did not answer
class RecordingFormat
{
public:
    static constexpr int COLUMN_COUNT = 13;
    // No row of ours comes near this; a longer line is not a recording row.
    static constexpr int MAX_LINE_LENGTH = 1024;

    // The header row, with its line end.
    static QByteArray header();
    // One row with its line end; utcOffsetSeconds is the local offset the time column is written in.
    static QByteArray row(const MeasurementSample& sample, int utcOffsetSeconds);

    // Reads the raw fields, source and time of one row (without its line end) into sample; the processing
    // fills in the rest when the row is replayed. Returns false with the reason in errorText.
    static bool parseRow(const QByteArray& line, MeasurementSample& sample, QString& errorText);
    // True when the line (without its line end) is a header this program can read: ours, maybe with
    // columns added at the end by a later version.
    static bool isHeader(const QByteArray& line);
    static QString expectedHeader();
};

#endif
