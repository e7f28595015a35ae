#include "hidrawbackend.h"

#include "hidrawconnection.h"
#include "hidreportdescriptor.h"
#include "hiduevent.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace NoxHid
{

namespace
{

const char* const NODE_PREFIX = "hidraw";
// sysfs attribute files hold one page; more than that is not an attribute.
const qint64 MAX_ATTRIBUTE_SIZE = 4096;

QByteArray readSysfsFile(const QString& path, qint64 maxSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(maxSize);
}

// The number after "hidraw", or -1 for names that are not hidraw nodes.
int nodeNumber(const QString& nodeName)
{
    if (!nodeName.startsWith(NODE_PREFIX))
        return -1;
    bool isNumber = false;
    const int number = nodeName.mid(int(std::strlen(NODE_PREFIX))).toInt(&isNumber);
    return isNumber && number >= 0 ? number : -1;
}

} // namespace

struct HidrawBackend::NodeDescription
{
    QString hidDevicePath;
    quint16 vendorId = 0;
    quint16 productId = 0;
    QByteArray name;
    std::string path;
};

const char* const HidrawBackend::SYSFS_ROOT = "/sys";
const char* const HidrawBackend::DEV_ROOT = "/dev";

HidrawBackend::HidrawBackend(const QString& sysfsRoot, const QString& devRoot)
    : itsSysfsRoot(sysfsRoot), itsDevRoot(devRoot), itsNodeOpener(openDeviceNode)
{
}

HidrawBackend::~HidrawBackend() = default;

void HidrawBackend::setNodeOpener(NodeOpener opener)
{
    itsNodeOpener = opener ? std::move(opener) : NodeOpener(openDeviceNode);
}

int HidrawBackend::openDeviceNode(const std::string& nodePath)
{
    return ::open(nodePath.c_str(), O_RDWR | O_CLOEXEC);
}

std::vector<std::string> HidrawBackend::interfacePaths()
{
    QStringList nodeNames = QDir(itsSysfsRoot + "/class/hidraw")
                                .entryList(QStringList() << QString(NODE_PREFIX) + "*",
                                           QDir::Dirs | QDir::System | QDir::NoDotAndDotDot);
    nodeNames.erase(std::remove_if(nodeNames.begin(), nodeNames.end(),
                                   [](const QString& name) { return nodeNumber(name) < 0; }),
                    nodeNames.end());
    // Node numbers, not names, give the stable order: hidraw10 comes after hidraw9.
    std::sort(nodeNames.begin(), nodeNames.end(),
              [](const QString& left, const QString& right) { return nodeNumber(left) < nodeNumber(right); });

    std::vector<std::string> paths;
    for (const QString& nodeName : nodeNames)
    {
        NodeDescription description;
        if (describe(nodeName, &description))
            paths.push_back(description.path);
    }
    return paths;
}

std::unique_ptr<IHidConnection> HidrawBackend::open(const std::string& path)
{
    const std::string nodePath = path.substr(0, path.find('#'));
    const QString nodeName = QFileInfo(QString::fromStdString(nodePath)).fileName();
    if (nodePath != (itsDevRoot + '/' + nodeName).toStdString())
        return nullptr;
    NodeDescription description;
    if (!describe(nodeName, &description))
        return nullptr;
    // Node numbers are handed out again after an unplug: a listed path whose node now belongs to another
    // interface must not open that one.
    if (nodePath != path && path != description.path)
        return nullptr;

    const int fd = itsNodeOpener(nodePath);
    if (fd < 0)
    {
        reportOpenFailure(path, errno);
        return nullptr;
    }
    HidReportDescriptor descriptor;
    const QByteArray descriptorBytes = reportDescriptor(description, fd);
    const int flags = ::fcntl(fd, F_GETFL);
    // Non-blocking, so that a read after poll() never waits longer than the time-out, whatever the node
    // (or a stand-in for it) does between the two.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0 ||
        !descriptor.parse(reinterpret_cast<const unsigned char*>(descriptorBytes.constData()),
                          std::size_t(descriptorBytes.size())))
    {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<HidrawConnection>(fd, description.vendorId, description.productId, descriptor,
                                              description.name);
}

bool HidrawBackend::describe(const QString& nodeName, NodeDescription* description) const
{
    const int number = nodeNumber(nodeName);
    // The node's "device" link leads to its HID device; that device's parent is the USB interface.
    const QString hidDevicePath =
        QFileInfo(itsSysfsRoot + "/class/hidraw/" + nodeName + "/device").canonicalFilePath();
    if (number < 0 || hidDevicePath.isEmpty())
        return false;
    const HidUevent uevent(readSysfsFile(hidDevicePath + "/uevent", MAX_ATTRIBUTE_SIZE));
    if (!uevent.hasIds())
        return false;

    quint32 interfaceNumber = 0;
    const QByteArray interfaceAttribute =
        readSysfsFile(QFileInfo(hidDevicePath).path() + "/bInterfaceNumber", MAX_ATTRIBUTE_SIZE).trimmed();
    bool hasInterfaceNumber = HidUevent::parseHex(interfaceAttribute, 0xFF, &interfaceNumber);
    if (!hasInterfaceNumber && uevent.interfaceNumber() != HidUevent::NO_INTERFACE_NUMBER)
    {
        interfaceNumber = quint32(uevent.interfaceNumber());
        hasInterfaceNumber = true;
    }

    QString path = QString("%1/%2#vid_%3&pid_%4")
                       .arg(itsDevRoot, nodeName)
                       .arg(uevent.vendorId(), 4, 16, QChar('0'))
                       .arg(uevent.productId(), 4, 16, QChar('0'));
    if (hasInterfaceNumber)
        path += QString("&mi_%1").arg(interfaceNumber, 2, 16, QChar('0'));

    description->hidDevicePath = hidDevicePath;
    description->vendorId = uevent.vendorId();
    description->productId = uevent.productId();
    description->name = uevent.name();
    description->path = path.toStdString();
    return true;
}

QByteArray HidrawBackend::reportDescriptor(const NodeDescription& description, int fd) const
{
    // One byte more than a descriptor may have, so that an overlong one is seen as such.
    const QByteArray fromSysfs =
        readSysfsFile(description.hidDevicePath + "/report_descriptor", HidReportDescriptor::MAX_SIZE + 1);
    if (!fromSysfs.isEmpty())
        return fromSysfs;
    // Kernels without the sysfs file still answer on the node.
    int size = 0;
    hidraw_report_descriptor descriptor = {};
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0 || size > HID_MAX_DESCRIPTOR_SIZE)
        return QByteArray();
    descriptor.size = quint32(size);
    if (::ioctl(fd, HIDIOCGRDESC, &descriptor) < 0)
        return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(descriptor.value), size);
}

void HidrawBackend::reportOpenFailure(const std::string& path, int error)
{
    if (error != EACCES && error != EPERM)
        return;
    const QString text = QString::fromStdString(path);
    {
        std::lock_guard<std::mutex> lock(itsReportedPathsMutex);
        if (itsReportedPaths.contains(text))
            return;
        itsReportedPaths.insert(text);
    }
    qWarning().noquote() << QString("Cannot open HID interface %1: %2. The udev rule 70-lidora.rules gives "
                                    "the logged-in user access to the Lidora board.")
                                .arg(text, QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace NoxHid
