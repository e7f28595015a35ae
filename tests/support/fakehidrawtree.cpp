#include "fakehidrawtree.h"

#include "HidDevice/hidbackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content);
}

QString hex(int value, int digits)
{
    return QString("%1").arg(value, digits, 16, QChar('0'));
}

} // namespace

QByteArray vendorReportDescriptor(int inputBytes, int outputBytes, int reportId)
{
    QByteArray descriptor = QByteArray::fromHex("0600ff" // usage page: vendor defined
                                                "0901"   // usage
                                                "a101"); // collection: application
    if (reportId != 0)
        descriptor += QByteArray::fromHex("85") + char(reportId);
    descriptor += QByteArray::fromHex("1500"   // logical minimum 0
                                      "2600ff" // logical maximum 255
                                      "7508"); // report size: 8 bits
    // Report counts take one byte: the board's reports are 64 bytes long.
    descriptor += QByteArray::fromHex("090295") + char(inputBytes) + QByteArray::fromHex("8102");  // input
    descriptor += QByteArray::fromHex("090395") + char(outputBytes) + QByteArray::fromHex("9102"); // output
    return descriptor + QByteArray::fromHex("c0");
}

FakeHidrawTree::FakeHidrawTree() : itsBackend(itsDir.filePath("sys"), itsDir.filePath("dev"))
{
    QDir(itsDir.path()).mkpath("sys/class/hidraw");
    QDir(itsDir.path()).mkpath("dev");
    itsBackend.setNodeOpener([this](const std::string& nodePath) { return openNode(nodePath); });
    itsPreviousBackend = NoxHid::HidBackend::install(&itsBackend);
}

FakeHidrawTree::~FakeHidrawTree()
{
    NoxHid::HidBackend::install(itsPreviousBackend);
    for (const Node& node : qAsConst(itsNodes))
        for (const int end : {node.deviceEnd, node.boardEnd})
            if (end >= 0)
                ::close(end);
}

std::string FakeHidrawTree::addInterface(int node, const FakeHidInterface& interface)
{
    const QString nodeName = QString("hidraw%1").arg(node);
    // Every interface sits on a USB port of its own, so node numbers and interface numbers stay independent.
    const QString port = QString("1-%1").arg(node + 1);
    const QString usbInterface = itsDir.filePath(
        QString("sys/devices/pci0000:00/usb1/%1/%1:1.%2").arg(port).arg(interface.interfaceNumber));
    const QString ids = hex(interface.vendorId, 4) + ':' + hex(interface.productId, 4);
    const QString hidDevice = usbInterface + "/0003:" + (ids + '.' + hex(node + 1, 4)).toUpper();
    const QString hidrawEntry = hidDevice + "/hidraw/" + nodeName;
    QDir().mkpath(hidrawEntry);

    if (interface.hasInterfaceAttribute)
        writeFile(usbInterface + "/bInterfaceNumber", (hex(interface.interfaceNumber, 2) + '\n').toLatin1());
    QByteArray uevent = interface.uevent;
    if (uevent.isEmpty())
        uevent = QString("DRIVER=hid-generic\n"
                         "HID_ID=0003:%1:%2\n"
                         "HID_NAME=%3\n"
                         "HID_PHYS=usb-0000:00:14.0-%4/input%5\n"
                         "HID_UNIQ=\n")
                     .arg(hex(interface.vendorId, 8), hex(interface.productId, 8),
                          QString::fromUtf8(interface.name), QString::number(node + 1),
                          QString::number(interface.interfaceNumber))
                     .toUtf8();
    writeFile(hidDevice + "/uevent", uevent);
    writeFile(hidDevice + "/report_descriptor", interface.reportDescriptor);
    QFile::link("../..", hidrawEntry + "/device");
    QFile::link(hidrawEntry, itsDir.filePath("sys/class/hidraw/" + nodeName));
    writeFile(QString::fromStdString(nodePath(node)), QByteArray());

    const QString path = QString::fromStdString(nodePath(node)) + "#vid_" + hex(interface.vendorId, 4) +
                         "&pid_" + hex(interface.productId, 4);
    if (interface.interfaceNumber < 0)
        return path.toStdString();
    return (path + "&mi_" + hex(interface.interfaceNumber, 2)).toStdString();
}

int FakeHidrawTree::attachBoard(int node)
{
    int ends[2];
    ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends);
    itsNodes[node].deviceEnd = ends[0];
    itsNodes[node].boardEnd = ends[1];
    return ends[1];
}

void FakeHidrawTree::failOpen(int node, int error)
{
    itsNodes[node].openError = error;
}

QString FakeHidrawTree::sysfsRoot() const
{
    return itsDir.filePath("sys");
}

QString FakeHidrawTree::devRoot() const
{
    return itsDir.filePath("dev");
}

std::string FakeHidrawTree::nodePath(int node) const
{
    return QString("%1/hidraw%2").arg(devRoot()).arg(node).toStdString();
}

int FakeHidrawTree::openNode(const std::string& nodePath)
{
    // The back end only opens nodes under the dev root, so the name is "hidraw" and the node number.
    const Node entry = itsNodes.value(QFileInfo(QString::fromStdString(nodePath)).fileName().mid(6).toInt());
    if (entry.openError != 0)
    {
        errno = entry.openError;
        return -1;
    }
    if (entry.deviceEnd >= 0)
        return ::fcntl(entry.deviceEnd, F_DUPFD_CLOEXEC, 0);
    return NoxHid::HidrawBackend::openDeviceNode(nodePath);
}
