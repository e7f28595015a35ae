#ifndef LIDORASIM_GADGETPORT_H
#define LIDORASIM_GADGETPORT_H

#include "simulatedhidbackend.h"

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

#include <deque>
#include <memory>

namespace LidoraSim
{

// One HID function of the USB gadget (/dev/hidgN, 64-byte reports without report ids) joined to one
// interface of the simulated board's USB. Output reports from the host go to the board's interface as the
// 65-byte reports a HidDevice writes; the input reports it answers with go back to the host one by one,
// each as soon as the function has sent the one before it. Nothing answers on its own: a silent board
// really leaves the host's reads waiting.
//
// Lives on the thread of the event loop that runs the board.
class GadgetPort : public QObject
{
    Q_OBJECT

public:
    GadgetPort(SimulatedHidBackend& usb, const char* interfacePath, const QByteArray& interfaceName,
               QObject* parent = nullptr);
    ~GadgetPort() override;

    // Opens the function's device node, which exists only while the gadget is bound to its controller;
    // false with errno set when it cannot be opened.
    bool open(const QString& nodePath);
    // Closes the node and drops the answers the host has not read yet: an unplug takes them with it.
    void close();
    // A port that stops reading takes no more output reports: the host's writes wait, as for a board
    // whose USB controller has stalled.
    void setReading(bool isReading);

signals:
    // An output report reached the board; interfaceName is "control" or "module".
    void reportTaken(const QByteArray& interfaceName, int sequence);

private slots:
    void onItsReadNotifierActivated();
    void onItsWriteNotifierActivated();

private:
    void passToBoard(const unsigned char* report, unsigned int length);
    void sendPendingReports();

    SimulatedHidBackend& itsUsb;
    const char* itsInterfacePath;
    QByteArray itsInterfaceName;
    int itsFd = -1;
    std::unique_ptr<QSocketNotifier> itsReadNotifier;
    std::unique_ptr<QSocketNotifier> itsWriteNotifier;
    std::unique_ptr<NoxHid::IHidConnection> itsConnection;
    std::deque<QByteArray> itsPendingReports;
};

} // namespace LidoraSim

#endif
