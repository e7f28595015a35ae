#include "simulatedhidbackend.h"

#include "simulatedhidconnection.h"

#include "Communication/frameformat.h"

#include <algorithm>

using namespace NoxCore::Communication;

namespace LidoraSim
{

const char* const SimulatedHidBackend::CONTROL_PATH = "sim://lidora-board#vid_7a3c&pid_0c08&mi_03";
const char* const SimulatedHidBackend::MODULE_PATH = "sim://lidora-board#vid_7a3c&pid_0c08&mi_04";
const wchar_t* const SimulatedHidBackend::PRODUCT_STRING = L"Lidora 1D Evaluation Board (simulated)";

namespace
{

// The sequence number sits in bits 7..4 of the first header byte of an input report.
constexpr int SEQUENCE_SHIFT = 4;
constexpr unsigned int SEQUENCE_MODULUS = 15;

unsigned int announcedFrameSize(const QByteArray& assembly)
{
    const unsigned int length = (unsigned(quint8(assembly.at(FRAME_REQUEST_LENGTH_OFFSET))) << 8) |
                                quint8(assembly.at(FRAME_REQUEST_LENGTH_OFFSET + 1));
    return FRAME_HEADER_SIZE + length;
}

} // namespace

SimulatedHidBackend::SimulatedHidBackend(SimulatedBoard& board) : itsBoard(board)
{
    itsControl.path = CONTROL_PATH;
    itsControl.channel = SimulatedBoard::Channel::Control;
    itsModule.path = MODULE_PATH;
    itsModule.channel = SimulatedBoard::Channel::Module;
}

SimulatedHidBackend::~SimulatedHidBackend() = default;

std::vector<std::string> SimulatedHidBackend::interfacePaths()
{
    if (!itsIsPlugged)
        return {};
    return {CONTROL_PATH, MODULE_PATH};
}

SimulatedHidBackend::Interface* SimulatedHidBackend::interfaceFor(const std::string& path)
{
    if (path == CONTROL_PATH)
        return &itsControl;
    if (path == MODULE_PATH)
        return &itsModule;
    return nullptr;
}

std::unique_ptr<NoxHid::IHidConnection> SimulatedHidBackend::open(const std::string& path)
{
    Interface* interface = interfaceFor(path);
    if (!itsIsPlugged || interface == nullptr || interface->isOpen)
        return nullptr;
    // A fresh open starts with a clean USB pipe.
    interface->assembly.clear();
    interface->inputReports.clear();
    return std::make_unique<SimulatedHidConnection>(*this, *interface, itsGeneration);
}

void SimulatedHidBackend::unplug()
{
    itsIsPlugged = false;
    ++itsGeneration;
    for (Interface* interface : {&itsControl, &itsModule})
    {
        interface->isOpen = false;
        interface->assembly.clear();
        interface->inputReports.clear();
    }
    if (itsPlugObserver)
        itsPlugObserver(false);
}

void SimulatedHidBackend::replug()
{
    itsIsPlugged = true;
    if (itsPlugObserver)
        itsPlugObserver(true);
}

QList<QByteArray> SimulatedHidBackend::receivedFrames(SimulatedBoard::Channel channel) const
{
    return channel == SimulatedBoard::Channel::Control ? itsControl.receivedFrames : itsModule.receivedFrames;
}

void SimulatedHidBackend::clearReceivedFrames()
{
    itsControl.receivedFrames.clear();
    itsModule.receivedFrames.clear();
}

void SimulatedHidBackend::takeOutputReport(Interface& interface, const unsigned char* report,
                                           unsigned int length)
{
    // Report id, then the transport header: sequence number, data count, 0.
    if (length < 1 + HEADER_SIZE)
        return;
    const unsigned char sequence = report[1];
    // The board's USB code ignores a report that claims more data than it can carry.
    const unsigned int count = report[2];
    if (count > MAX_DATA_PER_REPORT || 1 + HEADER_SIZE + count > length)
        return;
    interface.assembly.append(reinterpret_cast<const char*>(report + 1 + HEADER_SIZE), int(count));

    // Frames follow each other in the byte stream; each is complete once its announced length is in.
    while (unsigned(interface.assembly.size()) >= FRAME_HEADER_SIZE)
    {
        const unsigned int frameSize = announcedFrameSize(interface.assembly);
        if (frameSize > FRAME_SIZE)
        {
            // Garbage: a board resynchronises by dropping what it has.
            interface.assembly.clear();
            return;
        }
        if (unsigned(interface.assembly.size()) < frameSize)
            return;
        const QByteArray frame = interface.assembly.left(int(frameSize));
        interface.assembly.remove(0, int(frameSize));
        interface.receivedFrames.append(frame);
        // Kept for tests and soak checks, not for ever: a long --simulate run would otherwise grow.
        if (interface.receivedFrames.size() > MAX_RECEIVED_FRAMES)
            interface.receivedFrames.removeFirst();
        const QByteArray answer = itsBoard.handleFrame(interface.channel, frame);
        if (!answer.isEmpty() && itsHidFault != HidFault::NoAnswer)
            queueAnswer(interface, answer, sequence);
    }
}

void SimulatedHidBackend::queueAnswer(Interface& interface, const QByteArray& frame, unsigned char sequence)
{
    if (itsHidFault == HidFault::StaleSequence)
    {
        const unsigned char stale = (sequence + SEQUENCE_MODULUS - 1) % SEQUENCE_MODULUS;
        interface.inputReports.push_back(inputReport(stale, frame.left(int(MAX_DATA_PER_REPORT))));
    }
    for (int offset = 0; offset < frame.size(); offset += int(MAX_DATA_PER_REPORT))
    {
        QByteArray report = inputReport(sequence, frame.mid(offset, int(MAX_DATA_PER_REPORT)));
        if (itsHidFault == HidFault::OversizedCount && offset == 0)
            report[2] = char(MAX_DATA_PER_REPORT + 1);
        interface.inputReports.push_back(report);
    }
}

QByteArray SimulatedHidBackend::inputReport(unsigned char sequence, const QByteArray& data)
{
    QByteArray report(int(REPORT_SIZE), '\0');
    report[1] = char(sequence << SEQUENCE_SHIFT);
    report[2] = char(data.size());
    std::copy(data.cbegin(), data.cend(), report.begin() + 1 + HEADER_SIZE);
    return report;
}

} // namespace LidoraSim
