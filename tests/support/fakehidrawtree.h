#ifndef LIDORA_TESTS_FAKEHIDRAWTREE_H
#define LIDORA_TESTS_FAKEHIDRAWTREE_H

#include "HidDevice/ihidbackend.h"
#include "HidDevice/linux/hidrawbackend.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <string>

// A report descriptor of the kind the board has: one vendor-defined collection with one input and one
// output report of the given byte counts (below 256), numbered with reportId when it is not 0.
QByteArray vendorReportDescriptor(int inputBytes, int outputBytes, int reportId = 0);

// One HID interface as sysfs shows it.
struct FakeHidInterface
{
    quint16 vendorId = 0x7A3C;
    quint16 productId = 0x0C08;
    int interfaceNumber = 3;
    // false: the number is found only at the end of HID_PHYS, as for devices whose parent is no USB
    // interface.
    bool hasInterfaceAttribute = true;
    QByteArray name = "Nox Sensor Systems Lidora Board";
    QByteArray reportDescriptor = vendorReportDescriptor(64, 64);
    // Replaces the uevent the kernel would write for these values when not empty.
    QByteArray uevent = QByteArray();
};

// A private sysfs and /dev tree laid out as the kernel lays them out for hidraw nodes, with a
// HidrawBackend pointed at it and installed as the active back end for the fixture's lifetime.
//
// A node is a regular file unless a board is attached: then every open of the node gets one end of a
// SOCK_SEQPACKET socket pair and the test holds the other, so reports move as datagrams, as on a hidraw
// node. Regular-file nodes serve listings and exclusive opens (flock works on them as on device nodes).
class FakeHidrawTree
{
public:
    FakeHidrawTree();
    ~FakeHidrawTree();
    FakeHidrawTree(const FakeHidrawTree&) = delete;
    FakeHidrawTree& operator=(const FakeHidrawTree&) = delete;

    // Adds hidraw<node>; returns its interface path as the back end reports it.
    std::string addInterface(int node, const FakeHidInterface& interface = FakeHidInterface());
    // The board's end of the socket pair that opens of the node get from now on; owned by the tree. Shut
    // down, it stands for a board that was unplugged.
    int attachBoard(int node);
    // Opens of the node fail with this errno.
    void failOpen(int node, int error);

    // The seed generator copies the sysfs files from here.
    QString sysfsRoot() const;
    QString devRoot() const;

private:
    struct Node
    {
        // The socket ends of an attached board: the one the device's opens duplicate, and the board's.
        int deviceEnd = -1;
        int boardEnd = -1;
        // Opens fail with this errno when it is not 0.
        int openError = 0;
    };

    std::string nodePath(int node) const;
    int openNode(const std::string& nodePath);

    QTemporaryDir itsDir;
    NoxHid::HidrawBackend itsBackend;
    NoxHid::IHidBackend* itsPreviousBackend = nullptr;
    QMap<int, Node> itsNodes;
};

#endif
