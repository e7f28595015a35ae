#include "fakehidrawtree.h"

#include "HidDevice/hidbackend.h"

#include <QDir>
#include <QFile>

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

QByteArray twoByteCount(int count)
{
    return QByteArray(1, char(count & 0xFF)) + char((count >> 8) & 0xFF);
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
    descriptor += QByteArray::fromHex("0902"
                                      "96") +
                  twoByteCount(inputBytes) + QByteArray::fromHex("8102");
    descriptor += QByteArray::fromHex("0903"
                                      "96") +
                  twoByteCount(outputBytes) + QByteArray::fromHex("9102");
    return descriptor + QByteArray::fromHex("c0");
}

FakeHidrawTree::FakeHidrawTree()
    : itsBackend(itsDir.filePath("sys"), itsDir.filePath("dev")), itsPreviousBackend(nullptr)
{
    QDir(itsDir.path()).mkpath("sys/class/hidraw");
    QDir(itsDir.path()).mkpath("dev");
    itsBackend.setNodeOpener([this](const std::string& nodePath) { return openNode(nodePath); });
    itsPreviousBackend = NoxHid::HidBackend::install(&itsBackend);
}

FakeHidrawTree::~FakeHidrawTree()
{
    NoxHid::HidBackend::install(itsPreviousBackend);
    for (const QPair<int, int>& ends : itsSockets)
    {
        ::close(ends.first);
        ::close(ends.second);
    }
}

std::string FakeHidrawTree::addInterface(int node, const FakeHidInterface& interface)
{
    const QString nodeName = QString("hidraw%1").arg(node);
    // Every interface sits on a USB port of its own, so node numbers and interface numbers stay independent.
    const QString port = QString("1-%1").arg(node + 1);
    const QString usbInterface = itsDir.filePath(
        QString("sys/devices/pci0000:00/usb1/%1/%1:1.%2").arg(port).arg(interface.interfaceNumber));
    const QString hidDevice = usbInterface + '/' +
                              QString("0003:%1:%2.%3")
                                  .arg(interface.vendorId, 4, 16, QChar('0'))
                                  .arg(interface.productId, 4, 16, QChar('0'))
                                  .arg(node + 1, 4, 16, QChar('0'))
                                  .toUpper();
    const QString hidrawEntry = hidDevice + "/hidraw/" + nodeName;
    QDir().mkpath(hidrawEntry);
    itsHidDevicePaths[node] = hidDevice;

    if (interface.hasInterfaceAttribute)
        writeFile(usbInterface + "/bInterfaceNumber",
                  QString("%1\n").arg(interface.interfaceNumber, 2, 16, QChar('0')).toLatin1());
    setUevent(node, QString("DRIVER=hid-generic\n"
                            "HID_ID=0003:%1:%2\n"
                            "HID_NAME=%3\n"
                            "HID_PHYS=usb-0000:00:14.0-%4/input%5\n"
                            "HID_UNIQ=\n")
                        .arg(interface.vendorId, 8, 16, QChar('0'))
                        .arg(interface.productId, 8, 16, QChar('0'))
                        .arg(QString::fromUtf8(interface.name))
                        .arg(node + 1)
                        .arg(interface.interfaceNumber)
                        .toUtf8());
    setReportDescriptor(node, interface.reportDescriptor);
    QFile::link("../..", hidrawEntry + "/device");
    QFile::link(hidrawEntry, itsDir.filePath("sys/class/hidraw/" + nodeName));
    writeFile(QString::fromStdString(nodePath(node)), QByteArray());

    std::string path = nodePath(node) + QString("#vid_%1&pid_%2")
                                            .arg(interface.vendorId, 4, 16, QChar('0'))
                                            .arg(interface.productId, 4, 16, QChar('0'))
                                            .toStdString();
    if (interface.interfaceNumber >= 0)
        path += QString("&mi_%1").arg(interface.interfaceNumber, 2, 16, QChar('0')).toStdString();
    return path;
}

void FakeHidrawTree::setUevent(int node, const QByteArray& text)
{
    writeFile(hidDevicePath(node) + "/uevent", text);
}

void FakeHidrawTree::setReportDescriptor(int node, const QByteArray& descriptor)
{
    writeFile(hidDevicePath(node) + "/report_descriptor", descriptor);
}

int FakeHidrawTree::attachBoard(int node)
{
    int ends[2];
    ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends);
    itsSockets[QString::fromStdString(nodePath(node))] = qMakePair(ends[0], ends[1]);
    return ends[1];
}

void FakeHidrawTree::failOpen(int node, int error)
{
    itsOpenErrors[QString::fromStdString(nodePath(node))] = error;
}

void FakeHidrawTree::unplug(int node)
{
    const QString path = QString::fromStdString(nodePath(node));
    QFile::remove(itsDir.filePath(QString("sys/class/hidraw/hidraw%1").arg(node)));
    QFile::remove(path);
    if (itsSockets.contains(path))
    {
        const QPair<int, int> ends = itsSockets.take(path);
        ::close(ends.first);
        ::close(ends.second);
    }
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

QString FakeHidrawTree::hidDevicePath(int node) const
{
    return itsHidDevicePaths.value(node);
}

int FakeHidrawTree::openNode(const std::string& nodePath)
{
    const QString path = QString::fromStdString(nodePath);
    if (itsOpenErrors.contains(path))
    {
        errno = itsOpenErrors.value(path);
        return -1;
    }
    if (itsSockets.contains(path))
        return ::fcntl(itsSockets.value(path).first, F_DUPFD_CLOEXEC, 0);
    return NoxHid::HidrawBackend::openDeviceNode(nodePath);
}
