#ifndef LIDORA_RECORDINGREADER_H
#define LIDORA_RECORDINGREADER_H

#include "measurementsample.h"

#include <QString>
#include <QVector>

class QIODevice;

// Reads a whole recording before anything of it is shown, so that a bad file is refused with one clear
// message naming the line, never played half-way. Accepts what RecordingFormat writes, with columns added at
// the end by later versions, and rows whose times never go backwards.
class RecordingReader
{
public:
    // A day of measurements is about 350 MB; more than this is not a recording of ours.
    static constexpr qint64 MAX_FILE_BYTES = 512LL * 1024 * 1024;

    // Returns false, with the reason in errorString() and no samples, when the file is not a recording.
    bool read(const QString& path);
    bool read(QIODevice& device, const QString& name);

    const QVector<MeasurementSample>& samples() const { return itsSamples; }
    QString errorString() const { return itsErrorString; }

private:
    bool refuse(const QString& name, qint64 lineNumber, const QString& reason);

    QVector<MeasurementSample> itsSamples;
    QString itsErrorString;
};

#endif
