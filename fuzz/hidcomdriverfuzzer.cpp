// The HID com driver's input reports: a com stream on a HidComDriver runs every exchange of ModuleExchanges,
// writing each frame in output reports and reassembling the answer from input reports that come from the
// fuzzer (sequence echo, data count, report length, time-outs and failures included).

#include "discardingtracesink.h"
#include "hidreportscript.h"
#include "moduleexchanges.h"

#include "Communication/comstream.h"
#include "Communication/comstreamformatter.h"
#include "HidDevice/hidbackend.h"
#include "hidcomdriver.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace NoxHid;

namespace
{

const char* const MODULE_PATH = "/dev/hidraw1#vid_7a3c&pid_0c08&mi_04";
const quint16 VENDOR_ID = 0x7A3C;
const quint16 PRODUCT_ID = 0x0C08;

// The board's module interface, taking every output report and answering with the script's input reports.
class ScriptedConnection : public IHidConnection
{
public:
    explicit ScriptedConnection(HidReportScript& script) : itsScript(script) {}
    quint16 vendorId() const override { return VENDOR_ID; }
    quint16 productId() const override { return PRODUCT_ID; }
    quint16 inputReportLength() const override { return HidComDriver::REPORT_SIZE; }
    quint16 outputReportLength() const override { return HidComDriver::REPORT_SIZE; }
    bool productString(std::wstring* text) override
    {
        *text = L"Lidora Board";
        return true;
    }
    Transfer read(unsigned char* buffer, unsigned int size, unsigned int, unsigned int* transferred) override
    {
        QByteArray report;
        const Transfer outcome = itsScript.next(&report);
        // As hidraw does, a report longer than the reader's buffer is cut to it.
        *transferred = std::min(size, unsigned(report.size()));
        std::copy_n(report.constData(), *transferred, buffer);
        return outcome;
    }
    Transfer write(const unsigned char*, unsigned int, unsigned int) override { return Transfer::Done; }

private:
    HidReportScript& itsScript;
};

class ScriptedBackend : public IHidBackend
{
public:
    explicit ScriptedBackend(HidReportScript& script) : itsScript(script) {}
    std::vector<std::string> interfacePaths() override { return {MODULE_PATH}; }
    std::unique_ptr<IHidConnection> open(const std::string&) override
    {
        return std::make_unique<ScriptedConnection>(itsScript);
    }

private:
    HidReportScript& itsScript;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    ModuleExchanges exchanges(input.left(ModuleExchanges::SETTINGS_SIZE));
    HidReportScript script(input.mid(ModuleExchanges::SETTINGS_SIZE));
    ScriptedBackend backend(script);
    IHidBackend* const previous = HidBackend::install(&backend);
    {
        NoxCore::Communication::ComStreamFormatter formatter;
        HidComDeviceInfo module(VENDOR_ID, PRODUCT_ID);
        module.setPath("mi_04");
        HidComDriver driver(module);
        driver.setFormatter(&formatter);
        DiscardingTraceSink sink;
        NoxCore::Communication::ComStream stream(&driver,
                                                 NoxCore::Communication::ComStream::theImmediateFlushPolicy);
        if (exchanges.tracesTelegrams())
            stream.setTracer(&sink);
        if (stream.open())
            exchanges.runOn(stream);
        stream.close();
    }
    HidBackend::install(previous);
    return 0;
}
