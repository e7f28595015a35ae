// The answer path of a com stream: every exchange of ModuleExchanges runs on a stream whose channel hands out
// the input's bytes after the settings block, so each answer header and payload comes from the fuzzer.

#include "discardingtracesink.h"
#include "moduleexchanges.h"

#include "Communication/comstream.h"
#include "support/scriptedcomdriver.h"

#include <cstddef>
#include <cstdint>

using NoxCore::Communication::ComStream;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    ModuleExchanges exchanges(input.left(ModuleExchanges::SETTINGS_SIZE));
    ScriptedComDriver driver;
    driver.addAnswerBytes(input.mid(ModuleExchanges::SETTINGS_SIZE));
    DiscardingTraceSink sink;
    ComStream stream(&driver, ComStream::theImmediateFlushPolicy);
    if (exchanges.tracesTelegrams())
        stream.setTracer(&sink);
    exchanges.runOn(stream);
    return 0;
}
