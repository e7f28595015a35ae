#include "winserialbackend.h"

#include "winserialconnection.h"

#include "Tools/scopeexit.h"
#include "Tools/windows/overlappedfile.h"

#include <QRegularExpression>

#include <algorithm>

namespace NoxCom
{
namespace Serial
{

using NoxCore::Tools::OverlappedFile;

namespace
{

// What Windows' CDC driver keeps of bytes not yet sent; the board's commands are a few bytes each.
const quint32 OUTPUT_BUFFER_SIZE = 4096;

quint16 hexIdAfter(const QString& text, const char* key)
{
    const QRegularExpressionMatch match =
        QRegularExpression(QString("%1([0-9A-F]{4})").arg(key), QRegularExpression::CaseInsensitiveOption)
            .match(text);
    return match.hasMatch() ? match.captured(1).toUShort(nullptr, 16) : 0;
}

// COM5's 5; -1 for a name without one.
qint16 portNumber(const QString& name)
{
    qint16 number = 0;
    return SerialComDeviceInfo::portNumberFromName(name, &number) ? number : -1;
}

} // namespace

WinSerialBackend::WinSerialBackend(IWinSerialApi& api) : itsApi(api) {}

QList<SerialComDeviceInfo> WinSerialBackend::presentPorts(quint16 vendorId)
{
    // Unlike the Linux listing, SetupAPI's is quick enough to ask on every try, so the vendor is not used
    // to skip it.
    const QList<SerialComDeviceInfo> ports = classPorts();
    // Wine makes COM ports of the Linux terminal devices without devices of the Ports class; Windows
    // always lists its ports there.
    if (ports.isEmpty() && itsApi.runsOnWine())
        return winePorts(vendorId);
    return ports;
}

QList<SerialComDeviceInfo> WinSerialBackend::classPorts()
{
    QList<SerialComDeviceInfo> ports;
    const IWinSerialApi::DeviceSet set = itsApi.openPortSet();
    if (set == IWinSerialApi::INVALID)
        return ports;
    const NoxCore::Tools::ScopeExit release([this, set] { itsApi.closePortSet(set); });
    SerialComDeviceInfo port;
    bool isPort = false;
    for (quint32 index = 0; describePort(set, index, &port, &isPort); ++index)
    {
        if (isPort)
            ports.append(port);
    }
    return ports;
}

QList<SerialComDeviceInfo> WinSerialBackend::winePorts(quint16 vendorId)
{
    QStringList names = itsApi.registeredPortNames();
    // Seeing where a port leads opens its terminal for a moment, which raises and drops its control lines,
    // and a PC's own port may be the machine's console, which Wine's server then takes as its controlling
    // terminal. A port that can be a vendor's leads to a USB terminal, so with a vendor only those are
    // looked for, from the last port down: Wine numbers them after the PC's own ports.
    QStringList usbTerminals;
    if (vendorId != 0)
    {
        for (const QString& entry : itsApi.unixFolderEntries("/sys/class/tty"))
        {
            if (entry.startsWith("ttyACM") || entry.startsWith("ttyUSB"))
                usbTerminals.append(entry);
        }
        std::sort(names.begin(), names.end(),
                  [](const QString& left, const QString& right)
                  { return portNumber(left) > portNumber(right); });
    }
    QList<SerialComDeviceInfo> ports;
    for (const QString& name : names)
    {
        if (vendorId != 0 && usbTerminals.isEmpty())
            break;
        // A port whose terminal has gone (the board unplugged) leads nowhere and is not there.
        const QString terminal = itsApi.realUnixPath("\\\\.\\" + name);
        if (!terminal.startsWith("/dev/") ||
            (vendorId != 0 && !usbTerminals.removeOne(terminal.section('/', -1))))
            continue;
        ports.append(describeWinePort(name, terminal));
    }
    std::sort(ports.begin(), ports.end(),
              [](const SerialComDeviceInfo& left, const SerialComDeviceInfo& right)
              { return portNumber(left.port()) < portNumber(right.port()); });
    return ports;
}

SerialComDeviceInfo WinSerialBackend::describeWinePort(const QString& name, const QString& terminal)
{
    // In sysfs the terminal's device is the USB interface (a PC's own port has none); the USB device
    // above it carries the ids and texts that Linux lists for the port too.
    const QString usbInterface =
        itsApi.realUnixPath("/sys/class/tty/" + terminal.section('/', -1) + "/device");
    const QString usbDevice = usbInterface.isEmpty() ? QString() : usbInterface.section('/', 0, -2);
    const auto text = [this, &usbDevice](const char* file)
    { return usbDevice.isEmpty() ? QString() : itsApi.unixFileText(usbDevice + '/' + file); };
    SerialComDeviceInfo port(text("idVendor").toUShort(nullptr, 16), text("idProduct").toUShort(nullptr, 16));
    port.setPort(name);
    port.setManufacturer(text("manufacturer"));
    port.setDescription(text("product"));
    return port;
}

std::unique_ptr<ISerialConnection> WinSerialBackend::open(const QString& name, QString* failure)
{
    const std::string path = "\\\\.\\" + name.toStdString();
    std::unique_ptr<OverlappedFile> file = OverlappedFile::openExclusive(itsApi, path);
    if (!file->isValid())
    {
        *failure = file->lastErrorText() + '.';
        // Windows refuses a COM port that another program holds with "access denied".
        if (file->openError() == IWinSerialApi::ACCESS_DENIED ||
            file->openError() == IWinSerialApi::SHARING_VIOLATION)
            *failure += " Another program holds the port; close it there.";
        return nullptr;
    }
    IWinSerialApi::Line line;
    line.baudRate = BOARD_BAUD_RATE;
    line.dataBits = 8;
    line.parity = 0;
    line.stopBits = 2;
    // The buffer sizes are a wish the driver may round or ignore, so only the line setting must hold.
    itsApi.setBufferSizes(file->handle(), READ_BUFFER_SIZE, OUTPUT_BUFFER_SIZE);
    const char* failed = nullptr;
    if (!itsApi.setLine(file->handle(), line))
        failed = "SetCommState";
    else if (!itsApi.purge(file->handle()))
        failed = "PurgeComm";
    if (failed != nullptr)
    {
        *failure = OverlappedFile::describe(itsApi, path, failed, itsApi.lastError()) + '.';
        return nullptr;
    }
    return std::make_unique<WinSerialConnection>(itsApi, std::move(file));
}

void WinSerialBackend::idsFromHardwareId(const QString& hardwareId, quint16* vendorId, quint16* productId)
{
    *vendorId = hexIdAfter(hardwareId, "VID_");
    *productId = hexIdAfter(hardwareId, "PID_");
}

bool WinSerialBackend::describePort(IWinSerialApi::DeviceSet set, quint32 index, SerialComDeviceInfo* port,
                                    bool* isPort)
{
    IWinSerialApi::DeviceData data;
    if (!itsApi.enumPort(set, index, &data))
        return false;
    // The Ports class also holds printer ports, and a device without a port name has no port to open.
    QString name;
    *isPort = itsApi.portName(set, &data, &name) && name.startsWith("COM", Qt::CaseInsensitive);
    if (!*isPort)
        return true;
    quint16 vendorId = 0;
    quint16 productId = 0;
    idsFromHardwareId(property(set, &data, IWinSerialApi::Property::HardwareId), &vendorId, &productId);
    *port = SerialComDeviceInfo(vendorId, productId);
    port->setPort(name);
    port->setManufacturer(property(set, &data, IWinSerialApi::Property::Manufacturer));
    port->setDescription(property(set, &data, IWinSerialApi::Property::Description));
    return true;
}

QString WinSerialBackend::property(IWinSerialApi::DeviceSet set, IWinSerialApi::DeviceData* data,
                                   IWinSerialApi::Property which)
{
    QString value;
    return itsApi.portProperty(set, data, which, &value) ? value : QString();
}

} // namespace Serial
} // namespace NoxCom
