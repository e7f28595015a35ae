// Writes the seed corpora of the fuzz targets from real traffic: the simulated board's answers to every
// exchange (as stream bytes and as HID input reports), the telegrams and trace file of that session, the
// sysfs files a hidraw node shows, the bundled test script and typical automation commands.
//
// Usage: fuzz_seed_generator <corpus folder> <bundled test_data.txt>

#include "hidreportscript.h"
#include "moduleexchanges.h"

#include "Communication/comstream.h"
#include "Communication/comstreamformatter.h"
#include "HidDevice/hidbackend.h"
#include "Tracing/itracesink.h"
#include "Tracing/tracerecorder.h"
#include "hidcomdriver.h"
#include "simulatedboard.h"
#include "simulatedboardcomdriver.h"
#include "simulatedhidbackend.h"
#include "support/fakehidrawtree.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace NoxCore::Communication;
using LidoraSim::SimulatedBoard;
using LidoraSim::SimulatedHidBackend;

namespace
{

// Settings blocks (see ModuleExchanges): the program's own exchanges, queued ones, traced ones, and two-
// and four-byte I2C fields with longer block reads.
const QList<QByteArray> SETTINGS = {ModuleExchanges::programSettings(), QByteArray("\x01\x00", 2),
                                    QByteArray("\x02\x00", 2), QByteArray("\x00\x35", 2),
                                    QByteArray("\x03\xFA", 2)};

class SeedWriter
{
public:
    explicit SeedWriter(const QString& folder) : itsFolder(folder) {}

    // Named after the content, so that rerunning the generator adds nothing twice.
    void write(const QString& target, const QByteArray& seed)
    {
        QDir(itsFolder).mkpath(target);
        const QString name = QCryptographicHash::hash(seed, QCryptographicHash::Sha1).toHex().left(16);
        QFile file(QDir(itsFolder).filePath(target + '/' + name));
        if (!file.open(QIODevice::WriteOnly) || file.write(seed) != seed.size())
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
    }

private:
    QString itsFolder;
};

// The module channel of the simulated board, keeping every byte it hands the stream.
class RecordingBoardDriver : public SimulatedBoardComDriver
{
public:
    explicit RecordingBoardDriver(SimulatedBoard& board)
        : SimulatedBoardComDriver(board, SimulatedBoard::Channel::Module)
    {
    }
    int read(unsigned char* data, unsigned int size) override
    {
        const int result = SimulatedBoardComDriver::read(data, size);
        if (result == SUCCESS)
            delivered.append(reinterpret_cast<const char*>(data), int(size));
        return result;
    }

    QByteArray delivered;
};

class TelegramCollector : public NoxCore::Tracing::ITraceSink
{
public:
    bool trace(QString telegram) override
    {
        telegrams.append(telegram);
        return true;
    }

    QList<QString> telegrams;
};

// A simulated interface whose input reports are kept as a HidReportScript.
class RecordingConnection : public NoxHid::IHidConnection
{
public:
    RecordingConnection(std::unique_ptr<NoxHid::IHidConnection> connection, QByteArray& script)
        : itsConnection(std::move(connection)), itsScript(script)
    {
    }
    quint16 vendorId() const override { return itsConnection->vendorId(); }
    quint16 productId() const override { return itsConnection->productId(); }
    quint16 inputReportLength() const override { return itsConnection->inputReportLength(); }
    quint16 outputReportLength() const override { return itsConnection->outputReportLength(); }
    bool productString(std::wstring* text) override { return itsConnection->productString(text); }
    Transfer read(unsigned char* buffer, unsigned int size, unsigned int timeoutMs,
                  unsigned int* transferred) override
    {
        const Transfer outcome = itsConnection->read(buffer, size, timeoutMs, transferred);
        if (outcome == Transfer::Done)
            itsScript += HidReportScript::encodeReport(
                QByteArray(reinterpret_cast<const char*>(buffer), int(*transferred)));
        else
            itsScript +=
                char(outcome == Transfer::TimedOut ? HidReportScript::TIMED_OUT : HidReportScript::FAILED);
        return outcome;
    }
    Transfer write(const unsigned char* data, unsigned int length, unsigned int timeoutMs) override
    {
        return itsConnection->write(data, length, timeoutMs);
    }

private:
    std::unique_ptr<NoxHid::IHidConnection> itsConnection;
    QByteArray& itsScript;
};

class RecordingHidBackend : public NoxHid::IHidBackend
{
public:
    RecordingHidBackend(SimulatedHidBackend& backend, QByteArray& script)
        : itsBackend(backend), itsScript(script)
    {
    }
    std::vector<std::string> interfacePaths() override { return itsBackend.interfacePaths(); }
    std::unique_ptr<NoxHid::IHidConnection> open(const std::string& path) override
    {
        std::unique_ptr<NoxHid::IHidConnection> connection = itsBackend.open(path);
        if (connection == nullptr)
            return nullptr;
        return std::make_unique<RecordingConnection>(std::move(connection), itsScript);
    }

private:
    SimulatedHidBackend& itsBackend;
    QByteArray& itsScript;
};

// Answers on the stream level, plus every telegram the session traced.
void writeStreamSeeds(SeedWriter& seeds, QList<QString>& telegrams)
{
    for (const QByteArray& settings : SETTINGS)
    {
        SimulatedBoard board;
        ModuleExchanges exchanges(settings);
        RecordingBoardDriver driver(board);
        TelegramCollector collector;
        ComStream stream(&driver, ComStream::theImmediateFlushPolicy);
        stream.setTracer(&collector);
        stream.open();
        exchanges.runOn(stream);
        seeds.write("comstream_answers", settings + driver.delivered);
        telegrams += collector.telegrams;
    }
}

void writeHidSeeds(SeedWriter& seeds)
{
    const SimulatedHidBackend::HidFault faults[] = {SimulatedHidBackend::HidFault::None,
                                                    SimulatedHidBackend::HidFault::StaleSequence,
                                                    SimulatedHidBackend::HidFault::OversizedCount};
    for (const SimulatedHidBackend::HidFault fault : faults)
    {
        for (const QByteArray& settings : SETTINGS)
        {
            SimulatedBoard board;
            SimulatedHidBackend simulated(board);
            simulated.setHidFault(fault);
            QByteArray script;
            RecordingHidBackend recording(simulated, script);
            NoxHid::IHidBackend* const previous = NoxHid::HidBackend::install(&recording);
            {
                ModuleExchanges exchanges(settings);
                ComStreamFormatter formatter;
                NoxHid::HidComDeviceInfo module(SimulatedHidBackend::VENDOR_ID,
                                                SimulatedHidBackend::PRODUCT_ID);
                module.setPath("mi_04");
                NoxHid::HidComDriver driver(module);
                driver.setFormatter(&formatter);
                ComStream stream(&driver, ComStream::theImmediateFlushPolicy);
                stream.open();
                exchanges.runOn(stream);
                stream.close();
            }
            NoxHid::HidBackend::install(previous);
            seeds.write("hidcomdriver_reports", settings + script);
        }
    }
}

void writeTelegramSeeds(SeedWriter& seeds, const QList<QString>& telegrams)
{
    for (const QString& telegram : telegrams)
    {
        seeds.write("commandmanager_telegrams", telegram.toUtf8());
        seeds.write("xmlmapper_telegrams", telegram.toUtf8());
    }
    // The whole session, the same cut short as a killed recording leaves it, and one small file per telegram,
    // so that the fuzzer meets every telegram type in an input it can mutate quickly.
    QTemporaryDir folder;
    const QString traceFile = folder.filePath("session.xml");
    NoxCore::Tracing::TraceRecorder recorder;
    const auto writeTraceSeed = [&](const QList<QString>& content)
    {
        QFile file(traceFile);
        if (!recorder.writeTelegrams(traceFile, content) || !file.open(QIODevice::ReadOnly))
            return QByteArray();
        const QByteArray bytes = file.readAll();
        seeds.write("traceplayer_files", bytes);
        return bytes;
    };
    const QByteArray session = writeTraceSeed(telegrams);
    seeds.write("traceplayer_files", session.left(session.lastIndexOf("</LogData>")));
    for (const QString& telegram : telegrams)
        writeTraceSeed({telegram});
}

// The uevent and report descriptor files of hidraw nodes: the board's two interfaces, one found by HID_PHYS
// alone, one with numbered reports, one of another vendor.
void writeHidrawSeeds(SeedWriter& seeds)
{
    FakeHidrawTree tree;
    FakeHidInterface control;
    FakeHidInterface module;
    module.interfaceNumber = 4;
    module.hasInterfaceAttribute = false;
    FakeHidInterface numbered;
    numbered.reportDescriptor = vendorReportDescriptor(63, 31, 2);
    FakeHidInterface keyboard;
    keyboard.vendorId = 0x046D;
    keyboard.productId = 0xC31C;
    keyboard.interfaceNumber = 0;
    keyboard.name = "Logitech USB Keyboard";
    keyboard.reportDescriptor = vendorReportDescriptor(8, 1);
    tree.addInterface(0, control);
    tree.addInterface(1, module);
    tree.addInterface(2, numbered);
    tree.addInterface(3, keyboard);
    QDirIterator files(tree.sysfsRoot(), {"uevent", "report_descriptor"}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext())
    {
        QFile file(files.next());
        file.open(QIODevice::ReadOnly);
        seeds.write(file.fileName().endsWith("uevent") ? "hid_uevent" : "hid_report_descriptor",
                    file.readAll());
    }
}

void writeTextSeeds(SeedWriter& seeds, const QString& bundledScript)
{
    QFile script(bundledScript);
    if (script.open(QIODevice::ReadOnly))
        seeds.write("test_script", script.readAll());
    seeds.write("test_script",
                "OBJ,1500,40\r\nWAIT,2000\r\nOBJ,600,100\r\n# comment\r\nWAIT,-1\r\nOBJ,abc,x\r\n");
    const QByteArray commands[] = {"d",         "p\r\n", "b\n", "measure\r\nd\r\n", QByteArray("go\0junk", 7),
                                   "  \r\n\r\n"};
    for (const QByteArray& command : commands)
        seeds.write("automation_commands", command);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s <corpus folder> <bundled test_data.txt>\n", argv[0]);
        return 2;
    }
    SeedWriter seeds(QString::fromLocal8Bit(argv[1]));
    QList<QString> telegrams;
    writeStreamSeeds(seeds, telegrams);
    writeHidSeeds(seeds);
    writeTelegramSeeds(seeds, telegrams);
    writeHidrawSeeds(seeds);
    writeTextSeeds(seeds, QString::fromLocal8Bit(argv[2]));
    return 0;
}
