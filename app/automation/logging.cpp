#include "logging.h"
#include "getcalibrationdatacommand.h"

#include "Tools/clock.h"

namespace
{

const QString RECORD_END = QStringLiteral("\r\n");

QString zeroFilled(quint64 value, int width)
{
    // A wider number keeps all its digits: the fill never shortens.
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

} // namespace

Logging::Logging(QObject* parent) : QObject(parent)
{
    itsFile.setFileName(QStringLiteral("stdout"));
    itsFileStream.setDevice(&itsFile);
}

void Logging::setSocket(QAbstractSocket* socket)
{
    itsSocket = socket;
}

void Logging::writeText(const QString& text)
{
    if (itsSocket == nullptr || itsSocket->state() != QAbstractSocket::ConnectedState)
        return;
    // Write errors are the client's business; the measurement goes on.
    itsSocket->write(text.toLocal8Bit());
    itsSocket->flush();
}

void Logging::writeFileText(const QString& text)
{
    if (!itsFile.isOpen())
        return;
    itsFileStream << text;
    itsFileStream.flush();
}

QStringList Logging::calibrationLines(const GetCalibrationDataCommand& command)
{
    return {command.description(), QStringLiteral("#CAL;02") + command.calibrationData()};
}

QString Logging::versionRecord(const QString& serialNumber, const QString& app0Revision,
                               const QString& productVersion, const QString& driverRevision,
                               const QString& extraRevision, const QString& chipRevision)
{
    return QStringList{QStringLiteral("#VER"), serialNumber,  app0Revision, productVersion,
                       driverRevision,         extraRevision, chipRevision}
               .join(QLatin1Char(';')) +
           RECORD_END;
}

QString Logging::objectsRecord(qint64 timeMs, quint8 objectCount, quint8 confidence, quint16 distance,
                               quint32 photonCountReference, quint32 photonCountObject)
{
    const QString head = QStringLiteral("#OBJ;") + QString::number(timeMs);
    if (objectCount == 0)
        return head + QStringLiteral(";00000") + RECORD_END;
    // Only the first object is reported, whatever the count.
    return head + QStringLiteral(";00001;") + zeroFilled(confidence, 5) + QLatin1Char(';') +
           zeroFilled(distance, 5) + QLatin1Char(';') + zeroFilled(photonCountReference, 9) +
           QLatin1Char(';') + zeroFilled(photonCountObject, 9) + RECORD_END;
}

void Logging::writeObjects(quint8 objectCount, quint8 confidence, quint16 distance,
                           quint32 photonCountReference, quint32 photonCountObject)
{
    const QString record = objectsRecord(NoxCore::Tools::Clock::currentMSecsSinceEpoch(), objectCount,
                                         confidence, distance, photonCountReference, photonCountObject);
    writeFileText(record);
    writeText(record);
}
