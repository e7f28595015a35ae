// test_data.txt: the script that test mode replays, loaded from the fuzzed bytes and replayed for a while.

#include "testscript.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace
{

const qint64 START_MS = 1700000000000;
const qint64 MEASUREMENT_PERIOD_MS = 33;
const int CONFIDENCE_RANGE = 64;
// Enough to pass every line of a short script twice; long scripts need not be replayed to their end.
const int MAX_REPLAYS = 2048;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    TestScript script;
    script.load(file);
    const int replays = std::min(MAX_REPLAYS, 2 * script.lineCount() + 1);
    for (int index = 0; index < replays; ++index)
    {
        ObjectRecord record;
        script.replay(record, START_MS + index * MEASUREMENT_PERIOD_MS);
        if (record.confidence >= CONFIDENCE_RANGE)
            std::abort();
    }
    return 0;
}
