// board_vm_probe: the program's HID and serial back ends against the real kernel, run by the checks of
// scripts/board-vm inside its virtual machine (tools/boardvm/checks.py), one step per call:
//   list                  the board's interfaces as the stack lists them
//   open <filter> [hold]  opens the interface, says "opened" or "refused"; with hold keeps it until stdin
//                         ends
//   exchange              the same requests to the real board and to a simulated board in this process,
//                         each answer valid and the same byte for byte
//   unplug-read, unplug-write
//                         a transfer that blocks ("blocking" on stdout) until the board is pulled; says
//                         when it ended on the system's monotonic clock, to be set against the unplug
//   silent                an exchange with a board that does not answer, then, after "waiting" on stdout
//                         and a line on stdin, one with a board that answers again
//   replug [seconds]      an exchange, "ready", then exchanges until the board is back or the seconds
//                         (20 unless given) pass
//   serial                opens the board's serial port, exchanges on the HID interfaces and says the
//                         lines the board's console wrote for them ("console <line>")
//   watch                 until stdin ends, "board present after <ms>" when the system lists the board's
//                         interfaces and "board gone after <ms>" when it lists none of them
// Every result is one line "<name> <value>..."; the exit status is 0 unless a step could not be carried out.
#include "Communication/comstream.h"
#include "HidDevice/hidbackend.h"
#include "HidDevice/hiddevice.h"
#include "Serial/serialcomdriver.h"
#include "core/Communication/testcomobjects.h"
#include "simulatedboard.h"
#include "simulatedboardcomdriver.h"
#include "support/boardchannel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#ifdef Q_OS_WIN
#include <windows.h>
#include <winternl.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

using LidoraSim::SimulatedBoard;
using LidoraSim::SimulatedHidBackend;
using NoxCore::Communication::ComStream;
using NoxCore::Communication::IComObject;
using namespace NoxHid;

namespace
{

const unsigned int REPORT_LENGTH = 65;
const unsigned int TIMEOUT_MS = 1500;

void say(const QString& line)
{
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

// Waits for one line on stdin, or with all until stdin ends.
void waitForInput(bool all)
{
    std::string line;
    while (std::getline(std::cin, line) && all)
    {
    }
}

// Opens the first interface the stack's listing gives for the filter.
bool openInterface(HidDevice& device, const char* pathFilter)
{
    const QList<HidComDeviceInfo> found = HidComDriver::listDevices(
        SimulatedHidBackend::VENDOR_ID, SimulatedHidBackend::PRODUCT_ID, QString::fromLatin1(pathFilter));
    if (found.isEmpty())
        return false;
    HidDeviceInfo info(found.first().vendorId(), found.first().productId());
    info.setPath(found.first().path());
    device.setTimeouts(TIMEOUT_MS, TIMEOUT_MS);
    return device.open(&info) == HID_SUCCESS;
}

#ifdef Q_OS_WIN
// ObjectNameInformation, which MinGW's winternl.h leaves out of its list.
const OBJECT_INFORMATION_CLASS OBJECT_NAME_INFORMATION = OBJECT_INFORMATION_CLASS(1);

// The object's type or name (ObjectTypeInformation or OBJECT_NAME_INFORMATION); empty when not told.
QString objectText(USHORT handle, OBJECT_INFORMATION_CLASS which)
{
    alignas(8) char information[4096] = {};
    ULONG length = 0;
    if (::NtQueryObject(reinterpret_cast<HANDLE>(std::uintptr_t(handle)), which, information,
                        sizeof information, &length) != 0)
        return QString();
    // Both answers begin with the text as a UNICODE_STRING.
    const auto* text = reinterpret_cast<const UNICODE_STRING*>(information);
    return QString::fromWCharArray(text->Buffer, text->Length / 2);
}

// The files and mutexes this process holds, each as its type and name: the system's handle table, read as
// Process Explorer reads it (GetProcessHandleCount is a stub under Wine). A device's file and its guard
// mutex are among them; the system's libraries keep handles of other kinds once they first report an
// error or list devices.
QStringList deviceHandles()
{
    struct Entry
    {
        ULONG ownerProcessId;
        BYTE objectType;
        BYTE flags;
        USHORT handle;
        PVOID object;
        ULONG access;
    };
    const ULONG SYSTEM_HANDLE_INFORMATION = 16;
    std::vector<char> table(1 << 20);
    while (true)
    {
        const NTSTATUS status = ::NtQuerySystemInformation(
            SYSTEM_INFORMATION_CLASS(SYSTEM_HANDLE_INFORMATION), table.data(), ULONG(table.size()), nullptr);
        if (status == 0)
            break;
        if (status != NTSTATUS(0xC0000004L) || table.size() > (64u << 20)) // STATUS_INFO_LENGTH_MISMATCH
            return {"the handle table could not be read"};
        table.resize(table.size() * 2);
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(table.data());
    const auto* entries = reinterpret_cast<const Entry*>(table.data() + sizeof(void*));
    QStringList handles;
    for (ULONG index = 0; index < count; ++index)
    {
        if (entries[index].ownerProcessId != ::GetCurrentProcessId())
            continue;
        const QString type = objectText(entries[index].handle, ObjectTypeInformation);
        const QString name = objectText(entries[index].handle, OBJECT_NAME_INFORMATION);
        // The debugger output's mutex comes with the first warning, which a failed transfer gives.
        if ((type == "File" || type == "Mutant") && !name.endsWith("\\DBWinMutex"))
            handles << type + ' ' + name;
    }
    return handles;
}
#else
// The hidraw nodes this process holds open.
QStringList deviceHandles()
{
    QStringList nodes;
    for (const QFileInfo& entry : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files))
    {
        if (entry.symLinkTarget().startsWith("/dev/hidraw"))
            nodes << entry.symLinkTarget();
    }
    return nodes;
}
#endif

ScriptedComObject command(unsigned char protocol, const QByteArray& request, unsigned int answerLimit,
                          IComObject::CallingType callingType = IComObject::RequestAndResponse)
{
    ScriptedComObject object(protocol, unsigned(request.size()), answerLimit, callingType);
    object.request = request;
    return object;
}

// The board on both interfaces through the stack's own driver and stream.
struct BoardStreams
{
    bool open() { return control.stream.open() && module.stream.open(); }

    BoardChannel control{"mi_03"};
    BoardChannel module{"mi_04"};
};

// Milliseconds on CLOCK_MONOTONIC, the clock the checks' time.monotonic() reads too.
qint64 monotonicMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Firmware numbers on both interfaces, a register block written and read back in several reports each
// way, the module's identification: each answer as the real board gives it and as the firmware gives it
// in this process. False when one differs or is not a whole, successful answer: two refusals alike are
// no exchange.
bool exchangeAll(BoardStreams& board, bool tell)
{
    SimulatedBoard reference;
    SimulatedBoardComDriver referenceControl(reference, SimulatedBoard::Channel::Control);
    SimulatedBoardComDriver referenceModule(reference, SimulatedBoard::Channel::Module);
    ComStream referenceControlStream(&referenceControl, ComStream::theImmediateFlushPolicy);
    ComStream referenceModuleStream(&referenceModule, ComStream::theImmediateFlushPolicy);
    referenceControlStream.open();
    referenceModuleStream.open();

    QByteArray block(150, '\0');
    for (int index = 0; index < block.size(); ++index)
        block[index] = char(index * 7 + 3);
    const QByteArray slave(1, char(0x80));
    struct Step
    {
        const char* name;
        bool onControl;
        ScriptedComObject object;
    } steps[] = {
        {"control firmware number", true, command(0x67, QByteArray(), 3)},
        {"module firmware number", false, command(0x67, QByteArray(), 3)},
        {"register block written", false,
         command(0x61, slave + char(0x10) + block, 0, IComObject::FireAndForget)},
        {"register block read in 3 reports", false, command(0x61, slave + char(0x10) + char(0x81), 150)},
        {"module identification", false, command(0x08, QByteArray(), 14)},
    };
    bool allGood = true;
    for (Step& step : steps)
    {
        ScriptedComObject expected = step.object;
        ComStream& stream = (step.onControl ? board.control : board.module).stream;
        stream.execute(&step.object);
        const int error = stream.lastError();
        (step.onControl ? referenceControlStream : referenceModuleStream).execute(&expected);
        const bool matches = step.object.answer == expected.answer &&
                             step.object.valid() == expected.valid() &&
                             step.object.status() == expected.status();
        const bool answersRequest =
            step.object.callingType() == IComObject::FireAndForget ||
            (step.object.valid() && int(step.object.answer.size()) == int(step.object.deserializeSize()));
        const bool valid = error == 0 && step.object.status() == 0 && answersRequest;
        allGood = allGood && matches && valid;
        if (tell || !matches || !valid)
            say(QString("%1 %2 %3 %4 bytes %5 (error %6, status %7)")
                    .arg(matches ? "same" : "differs", valid ? "valid" : "invalid", step.name)
                    .arg(step.object.answer.size())
                    .arg(QString::fromLatin1(step.object.answer.toHex()))
                    .arg(error)
                    .arg(int(step.object.status())));
    }
    return allGood;
}

// exchangeAll(), said as "<what> all|not all in <ms> ms".
int exchangeAndSay(BoardStreams& board, const char* what, bool tell)
{
    QElapsedTimer timer;
    timer.start();
    const bool same = exchangeAll(board, tell);
    say(QString("%1 %2 in %3 ms").arg(what, same ? "all" : "not all").arg(timer.elapsed()));
    return 0;
}

int list()
{
    for (const char* filter : {"mi_03", "mi_04"})
    {
        HidDevice device;
        if (!openInterface(device, filter))
        {
            say(QString("missing %1").arg(filter));
            continue;
        }
        wchar_t product[256] = {};
        const bool hasProduct = device.getProductString(product, 255);
        const HidDeviceInfo info = device.deviceInfo();
        say(QString("interface %1 vendor %2 product %3 in %4 out %5 name %6")
                .arg(info.path())
                .arg(info.vendorId(), 4, 16, QChar('0'))
                .arg(info.productId(), 4, 16, QChar('0'))
                .arg(device.inputReportLength())
                .arg(device.outputReportLength())
                .arg(hasProduct ? QString::fromWCharArray(product) : QString("?")));
    }
    return 0;
}

int openAndHold(const char* filter, bool hold)
{
    HidDevice device;
    const bool opened = openInterface(device, filter);
    say(opened ? "opened" : "refused");
    if (opened && hold)
        waitForInput(true);
    return 0;
}

// A read on the module interface that nothing answers, or writes to a control interface that takes no
// more reports, until the board is pulled.
int unplugDuring(bool reading)
{
    // The system's libraries keep handles of their own once a device was first listed and opened (Wine's
    // SetupAPI its registry keys): counted from after a first open, only what the device leaves is left.
    {
        HidDevice first;
        openInterface(first, reading ? "mi_04" : "mi_03");
    }
    const QStringList handlesBefore = deviceHandles();
    HidDevice device;
    if (!openInterface(device, reading ? "mi_04" : "mi_03"))
    {
        say("refused");
        return 1;
    }
    unsigned char report[REPORT_LENGTH] = {};
    unsigned int bytesRead = 0;
    say(QString("blocking at %1").arg(monotonicMs()));
    QElapsedTimer timer;
    int result = HID_SUCCESS;
    qint64 lastMs = 0;
    do
    {
        timer.start();
        result =
            reading ? device.read(report, REPORT_LENGTH, &bytesRead) : device.write(report, REPORT_LENGTH);
        lastMs = timer.elapsed();
    } while (result == HID_SUCCESS || (!reading && result == HID_TIMED_OUT && lastMs < 100));
    const qint64 endedAt = monotonicMs();
    // The transfer fails as soon as the link is down; the kernel takes the node away a moment later.
    timer.start();
    wchar_t product[256] = {};
    while (device.getProductString(product, 255) && !timer.hasExpired(TIMEOUT_MS))
        QThread::msleep(10);
    const qint64 goneMs = timer.elapsed();
    device.close();
    QStringList handlesLeft = deviceHandles();
    for (const QString& handle : handlesBefore)
        handlesLeft.removeOne(handle);
    for (const QString& handle : handlesLeft)
        say("left " + handle);
    say(QString("result %1 after %2 ms, ended at %3, product string fails %4 ms later, handles left %5")
            .arg(result)
            .arg(lastMs)
            .arg(endedAt)
            .arg(goneMs)
            .arg(handlesLeft.size()));
    return 0;
}

// A board that does not answer, then, once stdin says so, one that answers again.
int silent(BoardStreams& board)
{
    QElapsedTimer timer;
    timer.start();
    ScriptedComObject object = command(0x67, QByteArray(), 3);
    board.module.stream.execute(&object);
    say(QString("unanswered valid %1 error %2 after %3 ms")
            .arg(object.valid())
            .arg(board.module.stream.lastError())
            .arg(timer.elapsed()));
    say("waiting");
    waitForInput(false);
    return exchangeAndSay(board, "answered again", false);
}

// The stack's way back after an unplug: the state check finds the board gone, closes, and opens again
// when the listing finds it.
int replug(BoardStreams& board, int limitMs)
{
    say("ready");
    QElapsedTimer timer;
    timer.start();
    bool gone = false;
    bool back = false;
    while (!back && timer.elapsed() < limitMs)
    {
        QThread::msleep(100);
        for (HidComDriver* driver : {&board.control.driver, &board.module.driver})
        {
            const bool present = driver->updateDeviceState() == HidComDriver::DEVICE_PRESENT;
            gone = gone || !present || !driver->isOpen();
            if (present && !driver->isOpen())
                driver->open();
        }
        back = gone && board.control.driver.isOpen() && board.module.driver.isOpen() &&
               exchangeAll(board, false);
        board.control.stream.lastError();
        board.module.stream.lastError();
    }
    say(QString("back %1 after %2 ms").arg(back ? "yes" : "no").arg(timer.elapsed()));
    return 0;
}

// Reads what the port holds, as the board's console lines, until nothing more comes for quietMs.
QStringList readConsole(NoxCom::Serial::SerialComDriver& driver, int quietMs)
{
    driver.setWaitForReadyRead(true);
    driver.setTimeout(quietMs);
    QByteArray bytes;
    char chunk[4096];
    qint64 count = 0;
    for (count = driver.readBytes(chunk, sizeof chunk); count > 0;
         count = driver.readBytes(chunk, sizeof chunk))
        bytes.append(chunk, int(count));
    // On standard error, so that a console that said nothing still tells how its reads ended.
    std::fprintf(stderr, "console: %d bytes, the last read gave %lld\n", int(bytes.size()), count);
    QStringList lines;
    for (const QByteArray& line : bytes.split('\n'))
        if (!line.trimmed().isEmpty())
            lines << QString::fromLatin1(line.trimmed());
    return lines;
}

// The board's console through the port: one line for each report the board takes.
int serial()
{
    NoxCom::Serial::SerialComDeviceInfo filter(SimulatedHidBackend::VENDOR_ID,
                                               SimulatedHidBackend::PRODUCT_ID);
    NoxCom::Serial::SerialComDriver driver(filter);
    const QList<NoxCom::Serial::SerialComDeviceInfo> ports =
        NoxCom::Serial::SerialComDriver::listDevices(&filter);
    const bool opened = driver.open();
    say(QString("serial %1 %2")
            .arg(ports.isEmpty() ? QString("none") : ports.first().port(), opened ? "opened" : "refused"));
    // Which ports the system has at all tells whether the board's was missing or not taken for the board's.
    if (ports.isEmpty())
    {
        for (const NoxCom::Serial::SerialComDeviceInfo& port :
             NoxCom::Serial::SerialComDriver::listDevices(nullptr))
            say(QString("port %1 vendor %2 product %3")
                    .arg(port.port())
                    .arg(port.vendorId(), 4, 16, QChar('0'))
                    .arg(port.productId(), 4, 16, QChar('0')));
    }
    if (!opened)
        return 0;
    // What the console said before the port was opened belongs to earlier steps.
    readConsole(driver, 300);
    BoardStreams board;
    if (!board.open())
    {
        say("refused");
        return 1;
    }
    exchangeAndSay(board, "exchanged", false);
    for (const QString& line : readConsole(driver, 1500))
        say("console " + line);
    driver.close();
    return 0;
}

// How many of the board's interfaces the system lists, and how many of the two the program uses, from their
// paths alone: a listing that opened them would hold them, and the guard that keeps them to one opener, now
// and then while the other steps open them.
struct BoardListing
{
    int all = 0;
    int used = 0;
};

BoardListing boardListing()
{
    const QString board = QString("vid_%1&pid_%2&")
                              .arg(SimulatedHidBackend::VENDOR_ID, 4, 16, QChar('0'))
                              .arg(SimulatedHidBackend::PRODUCT_ID, 4, 16, QChar('0'));
    BoardListing listing;
    for (const std::string& path : HidBackend::active().interfacePaths())
    {
        const QString name = QString::fromStdString(path);
        if (!name.contains(board, Qt::CaseInsensitive))
            continue;
        ++listing.all;
        listing.used +=
            name.contains("&mi_03", Qt::CaseInsensitive) || name.contains("&mi_04", Qt::CaseInsensitive);
    }
    return listing;
}

int watch()
{
    std::atomic<bool> inputEnded{false};
    std::thread input(
        [&inputEnded]
        {
            waitForInput(true);
            inputEnded = true;
        });
    QElapsedTimer timer;
    timer.start();
    bool present = false;
    bool told = false;
    while (!inputEnded)
    {
        // Wine takes the interfaces away one by one: the board is gone once none of them is listed.
        const BoardListing listing = boardListing();
        bool listed = present;
        if (listing.used == 2 && listing.all == 3)
            listed = true;
        else if (listing.all == 0)
            listed = false;
        if (listed != present || !told)
        {
            present = listed;
            told = true;
            say(QString("board %1 after %2 ms").arg(present ? "present" : "gone").arg(timer.elapsed()));
        }
        QThread::msleep(250);
    }
    input.join();
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    const QString step = arguments.value(0);
    if (step == "list")
        return list();
    if (step == "open")
        return openAndHold(arguments.value(1).toLatin1().constData(), arguments.value(2) == "hold");
    if (step == "unplug-read" || step == "unplug-write")
        return unplugDuring(step == "unplug-read");
    if (step == "serial")
        return serial();
    if (step == "watch")
        return watch();
    if (step == "exchange" || step == "silent" || step == "replug")
    {
        // Both interfaces open; replug starts from a board that answers as the firmware does.
        BoardStreams board;
        if (!board.open() || (step == "replug" && !exchangeAll(board, false)))
        {
            say("refused");
            return 1;
        }
        if (step == "exchange")
            return exchangeAndSay(board, "exchanged", true);
        const int limitSeconds = arguments.value(1).toInt();
        return step == "silent" ? silent(board)
                                : replug(board, (limitSeconds > 0 ? limitSeconds : 20) * 1000);
    }
    std::fprintf(stderr, "board_vm_probe: unknown step %s\n", step.toLocal8Bit().constData());
    return 2;
}
