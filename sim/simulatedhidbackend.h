#ifndef LIDORASIM_SIMULATEDHIDBACKEND_H
#define LIDORASIM_SIMULATEDHIDBACKEND_H

#include "simulatedboard.h"

#include "HidDevice/ihidbackend.h"

#include <QByteArray>
#include <QList>

#include <deque>
#include <functional>

namespace LidoraSim
{

// The simulated board as the HID interfaces a real one shows on the USB: control ("mi_03") and module
// ("mi_04"), vendor 0x7A3C, product 0x0C08, 65-byte reports. Output reports carry a sequence number and a
// data count in front of their data; the frames they carry go to the board's firmware, and its answer
// frames come back in input reports whose first header byte echoes the sequence number in bits 7..4.
//
// Installed as the process's HID back end (NoxHid::HidBackend::install), it lets the real HID com driver,
// streams and stack run without hardware. Also simulates what goes wrong on the USB: unplugging, a board
// that stops answering, stale answers and report counts out of range.
//
// Transfers never wait: a read with nothing to deliver times out at once. Not thread-safe; everything runs
// on the thread that owns the board.
class SimulatedHidBackend : public NoxHid::IHidBackend
{
public:
    static constexpr quint16 VENDOR_ID = 0x7A3C;
    static constexpr quint16 PRODUCT_ID = 0x0C08;
    static constexpr unsigned int REPORT_SIZE = 65;
    static constexpr unsigned int HEADER_SIZE = 3;
    static constexpr unsigned int MAX_DATA_PER_REPORT = REPORT_SIZE - 1 - HEADER_SIZE;
    static const char* const CONTROL_PATH;
    static const char* const MODULE_PATH;
    static const wchar_t* const PRODUCT_STRING;
    static constexpr int MAX_RECEIVED_FRAMES = 4096;

    enum class HidFault
    {
        None,
        // Requests are taken, answers never come: every read times out.
        NoAnswer,
        // Each answer is preceded by an input report that echoes an older sequence number.
        StaleSequence,
        // The first report of each answer announces more data than a report can carry.
        OversizedCount
    };

    explicit SimulatedHidBackend(SimulatedBoard& board);
    ~SimulatedHidBackend() override;

    std::vector<std::string> interfacePaths() override;
    std::unique_ptr<NoxHid::IHidConnection> open(const std::string& path) override;

    // Unplugging kills every open connection for good, as a real unplug does to its handles; replugging
    // brings the interfaces back for new opens.
    void unplug();
    void replug();
    bool isPlugged() const { return itsIsPlugged; }
    // Called with the new state after every unplug and replug, for a board that also has a real USB link
    // to pull (the USB gadget).
    void setPlugObserver(std::function<void(bool isPlugged)> observer)
    {
        itsPlugObserver = std::move(observer);
    }

    void setHidFault(HidFault fault) { itsHidFault = fault; }
    HidFault hidFault() const { return itsHidFault; }

    // The request frames the board received on a channel, in order, the newest MAX_RECEIVED_FRAMES of
    // them (for tests and soak checks).
    QList<QByteArray> receivedFrames(SimulatedBoard::Channel channel) const;
    void clearReceivedFrames();

    SimulatedBoard& board() { return itsBoard; }

private:
    friend class SimulatedHidConnection;

    struct Interface
    {
        const char* path;
        SimulatedBoard::Channel channel;
        bool isOpen = false;
        QByteArray assembly;
        std::deque<QByteArray> inputReports;
        QList<QByteArray> receivedFrames;
    };

    Interface* interfaceFor(const std::string& path);
    bool isAlive(int generation) const { return itsIsPlugged && generation == itsGeneration; }
    void takeOutputReport(Interface& interface, const unsigned char* report, unsigned int length);
    void queueAnswer(Interface& interface, const QByteArray& frame, unsigned char sequence);
    static QByteArray inputReport(unsigned char sequence, const QByteArray& data);

    SimulatedBoard& itsBoard;
    Interface itsControl;
    Interface itsModule;
    bool itsIsPlugged = true;
    // Counts unplugs; a connection opened before the last one is dead.
    int itsGeneration = 0;
    HidFault itsHidFault = HidFault::None;
    std::function<void(bool isPlugged)> itsPlugObserver;
};

} // namespace LidoraSim

#endif
