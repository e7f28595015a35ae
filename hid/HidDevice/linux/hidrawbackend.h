#ifndef NOXHID_HIDDEVICE_LINUX_HIDRAWBACKEND_H
#define NOXHID_HIDDEVICE_LINUX_HIDRAWBACKEND_H

#include "HidDevice/ihidbackend.h"

#include <QSet>
#include <QString>

#include <functional>
#include <mutex>

namespace NoxHid
{

// The Linux back end: HID interfaces are the kernel's hidraw nodes.
//
// Enumeration walks class/hidraw under the sysfs root in node number order and reads, for each node, the
// uevent file of its HID device (ids, name) and the USB interface number (bInterfaceNumber of the parent
// USB interface, else the "inputN" end of HID_PHYS). A path names the node and carries the ids and the
// interface number the way the stack's path filters expect them, e.g.
//   /dev/hidraw2#vid_7a3c&pid_0c08&mi_03
// Opening a path opens its node with open(O_RDWR) and takes flock(LOCK_EX | LOCK_NB): hidraw itself lets
// any number of processes open a node, each open file gets its own copy of every input report (a queue of
// 64), and the board would take the output reports of two programs as one interleaved stream. Both roots
// are given at construction, so that tests run on a fake tree.
class HidrawBackend : public virtual IHidBackend
{
public:
    static const char* const SYSFS_ROOT;
    static const char* const DEV_ROOT;

    // Opens a device node for reading and writing; a file descriptor, or -1 with errno set.
    using NodeOpener = std::function<int(const std::string& nodePath)>;

    HidrawBackend(const QString& sysfsRoot, const QString& devRoot);
    ~HidrawBackend() override;

    // Replaces how nodes are opened (tests hand out sockets); an empty opener restores openDeviceNode.
    void setNodeOpener(NodeOpener opener);
    static int openDeviceNode(const std::string& nodePath);

    std::vector<std::string> interfacePaths() override;
    std::unique_ptr<IHidConnection> open(const std::string& path) override;

private:
    struct NodeDescription;

    bool describe(const QString& nodeName, NodeDescription* description) const;
    QByteArray reportDescriptor(const NodeDescription& description, int fd) const;
    // Says once per path why it cannot be opened when the reason is missing permission, because that is
    // what a user without the udev rule runs into and nothing else would tell them.
    void reportOpenFailure(const std::string& path, int error);

    QString itsSysfsRoot;
    QString itsDevRoot;
    NodeOpener itsNodeOpener;
    std::mutex itsReportedPathsMutex;
    QSet<QString> itsReportedPaths;
};

} // namespace NoxHid

#endif
