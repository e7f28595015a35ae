#ifndef LIDORA_LOGGING_H
#define LIDORA_LOGGING_H

#include <QAbstractSocket>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTextStream>

class GetCalibrationDataCommand;

// Formats the records an automation client receives and writes them to its socket: fields separated by
// ";", a "#" tag first, "\r\n" last, time stamps in ms since 1970-01-01 UTC. One writer per connected
// client; the socket is not owned. Without a socket, or once its connection has failed (which may happen
// inside a write of this very writer), the records are dropped. GUI thread only.
class Logging : public QObject
{
    Q_OBJECT

public:
    explicit Logging(QObject* parent);

    void setSocket(QAbstractSocket* socket);

    // Sends a ready-made record.
    void writeText(const QString& text);
    // Writes to the writer's own text file when that is open (the program never opens it).
    void writeFileText(const QString& text);

    // "#OBJ;" time;00000 without an object, else time;00001;confidence;distance;reference count;object count
    void writeObjects(quint8 objectCount, quint8 confidence, quint16 distance, quint32 photonCountReference,
                      quint32 photonCountObject);

    // The calibration block a client gets when it connects, as its description line and "#CAL;02" + data.
    static constexpr unsigned char AUTOMATION_CALIBRATION_BLOCK = 2;
    static QStringList calibrationLines(const GetCalibrationDataCommand& command);

    // "#VER;" serial;App0 revision;product version;driver revision;extra revision;chip revision
    static QString versionRecord(const QString& serialNumber, const QString& app0Revision,
                                 const QString& productVersion, const QString& driverRevision,
                                 const QString& extraRevision, const QString& chipRevision);
    // The refusal a command gets while there is no board to measure with.
    static QString noTargetRecord() { return QStringLiteral("#ERR;;No target system connected.\r\n"); }
    static QString objectsRecord(qint64 timeMs, quint8 objectCount, quint8 confidence, quint16 distance,
                                 quint32 photonCountReference, quint32 photonCountObject);

private:
    QFile itsFile;
    QTextStream itsFileStream;
    QPointer<QAbstractSocket> itsSocket;
};

#endif
