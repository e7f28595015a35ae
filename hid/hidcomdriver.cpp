#include "hidcomdriver.h"

#include "Communication/icomstreamformatter.h"
#include "Tools/noxassert.h"

#include <QDeadlineTimer>
#include <QScopeGuard>

#include <algorithm>
#include <cstring>

using NoxCore::Communication::IComStreamFormatter;

namespace NoxHid
{

namespace
{

// Report byte 0 is the report id; the payload (header and data) follows.
constexpr unsigned int PAYLOAD_OFFSET = 1;
// Room for the product string the presence check asks for.
constexpr unsigned int PRODUCT_STRING_CHARS = 255;

} // namespace

HidComDriver::HidComDriver(const HidComDeviceInfo& info) : itsDeviceInfo(info), itsSettings(0, 0)
{
    std::memset(itsTransmitBuffer, 0, sizeof(itsTransmitBuffer));
    std::memset(itsReceiveBuffer, 0, sizeof(itsReceiveBuffer));
    fillTransmitPayload();
    itsDevice.setTimeouts(itsReadTimeout, itsWriteTimeout);
    setFormatter(nullptr);
}

HidComDriver::~HidComDriver() = default;

void HidComDriver::setFormatter(IComStreamFormatter* formatter)
{
    if (itsDevice.isOpen())
        return;
    itsFormatter = formatter;
    const unsigned int headerSize = formatter ? formatter->getHeaderSize() : 0;
    itsTransmitDataPosition = headerSize;
    itsReceiveDataPosition = headerSize;
    itsMaxDataPerReport = int(REPORT_PAYLOAD_SIZE - headerSize);
}

void HidComDriver::setReadTimeout(int milliseconds)
{
    itsReadTimeout = milliseconds;
    itsDevice.setTimeouts(unsigned(itsReadTimeout), unsigned(itsWriteTimeout));
}

void HidComDriver::setWriteTimeout(int milliseconds)
{
    itsWriteTimeout = milliseconds;
    itsDevice.setTimeouts(unsigned(itsReadTimeout), unsigned(itsWriteTimeout));
}

void HidComDriver::setSettings(const HidDeviceSettings& settings)
{
    itsSettings = settings;
}

QList<HidComDeviceInfo> HidComDriver::listDevices(quint16 vendorId, quint16 productId,
                                                  const QString& pathFilter)
{
    const QByteArray filter = pathFilter.left(PATH_FILTER_MAX_LENGTH).toLatin1();
    QList<HidComDeviceInfo> devices;
    for (const HidDeviceInfo& found :
         HidDevice::listDevices(vendorId, productId, filter.isEmpty() ? nullptr : filter.constData()))
    {
        HidComDeviceInfo info(found.vendorId(), found.productId());
        info.setPath(found.path());
        devices.append(info);
    }
    return devices;
}

bool HidComDriver::open()
{
    HidDeviceInfo selection(itsDeviceInfo.vendorId(), itsDeviceInfo.productId());
    if (!itsDeviceInfo.isPathEmpty())
    {
        // A filter that matches nothing must not fall back to the first interface with these ids: that
        // would put the module's stream on the control interface, or the other way round.
        const QList<HidComDeviceInfo> matches = listDevices(
            itsDeviceInfo.vendorId(), itsDeviceInfo.productId(), QString::fromLatin1(itsDeviceInfo.path()));
        if (matches.isEmpty())
        {
            itsIsOpen = false;
            return false;
        }
        selection.setPath(matches.first().path());
    }
    itsIsOpen = itsDevice.open(&selection) == HID_SUCCESS;
    return itsIsOpen;
}

bool HidComDriver::close()
{
    itsIsOpen = false;
    const bool wasOpen = itsDevice.isOpen();
    if (wasOpen)
        itsDevice.close();
    return wasOpen;
}

int HidComDriver::write(const unsigned char* data, unsigned int size)
{
    NOX_ASSERT(data != NULL, "buffer is Null!");
    if (!itsIsOpen)
        return itsLastError = CHANNEL_NOT_OPEN;
    if (itsFormatter != nullptr && itsFormatter->getMaxDataSize() < size)
        return itsLastError = WRITE_TOO_LARGE;

    const int dataPerReport = transmitDataPerReport();
    unsigned int copied = 0;
    while (itsLastError == SUCCESS)
    {
        const unsigned int room = unsigned(dataPerReport - itsTransmitCount);
        const unsigned int chunk = std::min(room, size - copied);
        if (chunk == 0 && copied == size)
            return itsLastError;
        std::memcpy(itsTransmitBuffer + PAYLOAD_OFFSET + itsTransmitDataPosition + itsTransmitCount,
                    data + copied, chunk);
        itsTransmitCount += int(chunk);
        copied += chunk;
        // A full report goes out at once; the last, partly filled one waits for flush() or more data.
        if (itsTransmitCount == dataPerReport)
        {
            if (!itsIsOpen)
                return itsLastError = CHANNEL_NOT_OPEN;
            sendReport();
        }
    }
    return itsLastError;
}

int HidComDriver::flush()
{
    if (!itsIsOpen)
        return itsLastError = CHANNEL_NOT_OPEN;
    if (itsLastError != SUCCESS)
        return itsLastError;
    if (itsTransmitCount > 0)
        sendReport();
    return itsLastError;
}

void HidComDriver::sendReport()
{
    itsSequence = quint8((itsSequence + 1) % SEQUENCE_MODULUS);
    if (itsFormatter != nullptr)
        itsFormatter->formatHeader(itsTransmitBuffer + PAYLOAD_OFFSET, itsSequence, quint8(itsTransmitCount),
                                   0);
    itsTransmitCount = 0;
    itsTransmitBuffer[0] = itsSettings.outputReportId();
    const unsigned int length = itsSettings.outputReportId() == 0 ? REPORT_SIZE : REPORT_SIZE - 1;
    if (writeReport(itsTransmitBuffer, length, 0))
    {
        itsLastError = SUCCESS;
    }
    else
    {
        itsLastError = TRANSMIT_FAILED;
        // A refused report from a board that is gone is an unplug, not a transfer error.
        if (updateDeviceState() != DEVICE_PRESENT)
        {
            close();
            itsLastError = CHANNEL_NOT_OPEN;
        }
    }
    fillTransmitPayload();
}

void HidComDriver::fillTransmitPayload()
{
    std::memset(itsTransmitBuffer + PAYLOAD_OFFSET, REPORT_FILL_BYTE, REPORT_PAYLOAD_SIZE);
}

int HidComDriver::transmitDataPerReport() const
{
    // A numbered output report goes out one byte short, so it carries one data byte less; the count in its
    // header must say so, or the board takes a byte that never came.
    return itsSettings.outputReportId() == 0 ? itsMaxDataPerReport : itsMaxDataPerReport - 1;
}

int HidComDriver::read(unsigned char* data, unsigned int size)
{
    NOX_ASSERT(data != NULL, "buffer is Null!");
    if (itsLastError != SUCCESS)
        return itsLastError;
    if (itsReceiveCount == 0 && size > 0)
    {
        if (!itsIsOpen)
            return itsLastError = CHANNEL_NOT_OPEN;
        receiveReport();
    }

    unsigned int delivered = 0;
    while (itsLastError == SUCCESS && itsReceiveCount > 0)
    {
        const unsigned int chunk = std::min(size - delivered, unsigned(itsReceiveCount));
        std::memcpy(data + delivered, itsReceiveBuffer + PAYLOAD_OFFSET + itsReceiveDataPosition, chunk);
        delivered += chunk;
        itsReceiveDataPosition += chunk;
        itsReceiveCount -= int(chunk);
        if (delivered == size)
            break;
        if (!itsIsOpen)
            return itsLastError = CHANNEL_NOT_OPEN;
        receiveReport();
    }
    // An empty report ends the answer early. The caller asked for exactly size bytes, so that is a failed
    // receive, never a success with stale bytes in the rest of its buffer.
    if (itsLastError == SUCCESS && delivered < size)
        itsLastError = RECEIVE_FAILED;
    return itsLastError;
}

void HidComDriver::receiveReport()
{
    itsReceiveCount = 0;
    // Stale answers are skipped, but a device that keeps sending them must not hold the caller for ever:
    // each wait gets only what is left of the read time-out, so a stale report that comes late does not
    // start a second full wait. The driver's own time-out is put back however the receive ends.
    const QDeadlineTimer deadline(itsReadTimeout);
    const auto restoreTimeouts =
        qScopeGuard([this] { itsDevice.setTimeouts(unsigned(itsReadTimeout), unsigned(itsWriteTimeout)); });
    do
    {
        if (!deadline.isForever())
            itsDevice.setTimeouts(unsigned(std::max<qint64>(deadline.remainingTime(), HID_TIMEOUT_MIN)),
                                  unsigned(itsWriteTimeout));
        // The device hands over a report's data without its report-id byte, numbered or not, so the header
        // always sits at the payload's start; the id is the device layer's framing, and never to be looked
        // for in the header, whose first byte is the sequence echo.
        const int bytesRead = readReport(itsReceiveBuffer + PAYLOAD_OFFSET, REPORT_SIZE, 0);
        if (bytesRead <= 0)
        {
            itsLastError = RECEIVE_FAILED;
            return;
        }
        if (itsFormatter == nullptr)
        {
            itsLastError = SUCCESS;
            return;
        }

        unsigned char sequenceEcho = 0, count = 0, status = 0;
        itsFormatter->parseHeader(itsReceiveBuffer + PAYLOAD_OFFSET, &sequenceEcho, &count, &status);
        if ((sequenceEcho >> 4) != itsSequence)
            continue;
        // The count byte comes from the device: never read past the report it arrived in.
        const unsigned int headerSize = itsFormatter->getHeaderSize();
        if (count > itsMaxDataPerReport || headerSize + count > unsigned(bytesRead))
        {
            itsLastError = RECEIVE_FAILED;
            return;
        }
        itsReceiveDataPosition = headerSize;
        itsReceiveCount = count;
        itsLastError = SUCCESS;
        return;
    } while (!deadline.hasExpired());
    itsLastError = RECEIVE_FAILED;
}

bool HidComDriver::writeReport(const unsigned char* data, unsigned int length, unsigned int)
{
    return itsDevice.write(data, length) == HID_SUCCESS;
}

int HidComDriver::readReport(unsigned char* buffer, unsigned int size, unsigned int)
{
    unsigned int bytesRead = 0;
    return itsDevice.read(buffer, size, &bytesRead) == HID_SUCCESS ? int(bytesRead) : -1;
}

int HidComDriver::updateDeviceState()
{
    if (itsDevice.isOpen() && itsIsOpen)
    {
        wchar_t productString[PRODUCT_STRING_CHARS + 1] = {};
        if (itsDevice.getProductString(productString, PRODUCT_STRING_CHARS))
            return itsDeviceState = DEVICE_PRESENT;
        close();
    }
    if (!HidDevice::listDevices(itsDeviceInfo.vendorId(), itsDeviceInfo.productId()).isEmpty())
        return itsDeviceState = DEVICE_PRESENT;
    itsDevice.close();
    return itsDeviceState = DEVICE_ABSENT;
}

void HidComDriver::resetBuffers()
{
    itsTransmitCount = 0;
    itsReceiveCount = 0;
}

void HidComDriver::abortTransfer()
{
    // Every transfer ends within its time-out; there is nothing to abort early.
}

} // namespace NoxHid
