// The whole stack below the demo on the simulated board, as the program runs it: module commands on a
// com stream on the HID com driver, 65-byte reports through the simulated board's HID interfaces. What the
// board answers is pinned by its own tests, how the commands decode by theirs, the identification and
// mode frames through the main window, unplug and replug by the board's stack.
#include "getobjectscommand.h"
#include "qdistanceplot.h"

#include "Communication/comstream.h"
#include "Communication/comstreamformatter.h"
#include "hidcomdriver.h"
#include "support/manualclock.h"
#include "support/qtprinters.h"
#include "support/simulatedusb.h"
#include "support/tempworkdir.h"

#include <gtest/gtest.h>

#include <set>

using LidoraSim::SimulatedBoard;
using LidoraSim::SimulatedHidBackend;
using NoxCore::Communication::ComDriver;
using NoxCore::Communication::ComStream;
using NoxHid::HidComDeviceInfo;
using NoxHid::HidComDriver;

namespace
{

HidComDeviceInfo interfaceInfo(const char* pathFilter)
{
    HidComDeviceInfo info(SimulatedHidBackend::VENDOR_ID, SimulatedHidBackend::PRODUCT_ID);
    info.setPath(pathFilter);
    return info;
}

// The module channel of the simulated board behind a real HID com driver and com stream.
class SimulatedModuleChannel : public ::testing::Test
{
protected:
    SimulatedModuleChannel() { driver.setFormatter(&formatter); }
    ~SimulatedModuleChannel() override { stream.close(); }

    // Executes an objects request; true when it came back with an object.
    bool objectsAnswered()
    {
        GetObjectsCommand objects;
        stream.execute(&objects);
        return objects.valid() && objects.objectCount() == 1 && objects.objectRecord().distance > 0;
    }

    ManualClock clock;
    SimulatedUsb usb;
    NoxCore::Communication::ComStreamFormatter formatter;
    HidComDriver driver{interfaceInfo("mi_04")};
    ComStream stream{&driver, ComStream::theImmediateFlushPolicy};
};

} // namespace

TEST_F(SimulatedModuleChannel, UsbFaultsFailTheExchangeOrAreSkipped)
{
    ASSERT_TRUE(stream.open());
    usb.backend.setHidFault(SimulatedHidBackend::HidFault::StaleSequence);
    EXPECT_TRUE(objectsAnswered());
    EXPECT_EQ(stream.lastError(), 0) << "stale answers are skipped";

    for (const auto fault :
         {SimulatedHidBackend::HidFault::NoAnswer, SimulatedHidBackend::HidFault::OversizedCount})
    {
        usb.backend.setHidFault(fault);
        GetObjectsCommand objects;
        stream.execute(&objects);
        EXPECT_FALSE(objects.valid());
        EXPECT_EQ(objects.objectRecord().distance, 0);
        EXPECT_EQ(stream.lastError(), ComDriver::RECEIVE_FAILED);
        EXPECT_TRUE(stream.isOpen()) << "a lost answer is not an unplug";
    }
}

// The measurement cycle fed by the board: the scene of every seed walks through every demo state.
TEST(SimulatedBoardScene, ObjectStatesFollowTheSceneOfEverySeed)
{
    TempWorkDir dir;
    for (const quint64 seed : {SimulatedBoard::DEFAULT_SCENE_SEED, quint64(8)})
    {
        SCOPED_TRACE(seed);
        ManualClock clock;
        SimulatedUsb usb(true, seed);
        NoxCore::Communication::ComStreamFormatter formatter;
        HidComDriver driver(interfaceInfo("mi_04"));
        driver.setFormatter(&formatter);
        ComStream stream(&driver, ComStream::theImmediateFlushPolicy);
        ASSERT_TRUE(stream.open());
        QDistancePlot plot(nullptr);
        plot.setModuleStream(&stream);

        std::set<int> seen;
        for (int cycle = 0; cycle < 35000 / 33; ++cycle)
        {
            clock.advance(33);
            plot.measureDistance();
            seen.insert(plot.objectState());
        }
        EXPECT_EQ(seen, (std::set<int>{STATE_NO_OBJECT, STATE_OBJECT_TOO_CLOSE, STATE_OBJECT_PRESENCE,
                                       STATE_OBJECT_FAR, STATE_STATIC}));
        EXPECT_EQ(stream.lastError(), 0);
        stream.close();
    }
}

// Found by the soak: the board kept every frame it received, so a long --simulate run grew without end.
TEST_F(SimulatedModuleChannel, KeepsOnlyTheNewestReceivedFrames)
{
    ASSERT_TRUE(stream.open());
    for (int i = 0; i < SimulatedHidBackend::MAX_RECEIVED_FRAMES + 10; ++i)
        objectsAnswered();
    EXPECT_EQ(usb.backend.receivedFrames(SimulatedBoard::Channel::Module).size(),
              SimulatedHidBackend::MAX_RECEIVED_FRAMES);
}
