// The whole stack below the demo on the simulated board, as the program runs it: module commands on a
// com stream on the HID com driver, 65-byte reports through the simulated board's HID interfaces.
#include "getcalibrationdatacommand.h"
#include "getobjectscommand.h"
#include "getserialnumbercommand.h"
#include "qdistanceplot.h"
#include "targetconfigurationcommand.h"

#include "Communication/comstream.h"
#include "Communication/comstreamformatter.h"
#include "HidDevice/hidbackend.h"
#include "hidcomdriver.h"
#include "simulatedhidbackend.h"
#include "support/manualclock.h"
#include "support/qtprinters.h"
#include "support/simulatedboardcomdriver.h"
#include "support/tempworkdir.h"

#include <gtest/gtest.h>

#include <set>

using LidoraSim::SimulatedBoard;
using LidoraSim::SimulatedHidBackend;
using NoxCore::Communication::ComDriver;
using NoxCore::Communication::ComStream;
using NoxCore::Communication::ComStreamFormatter;
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
    SimulatedModuleChannel()
        : backend(board), previous(NoxHid::HidBackend::install(&backend)), driver(interfaceInfo("mi_04")),
          stream(&driver, ComStream::theImmediateFlushPolicy)
    {
        driver.setFormatter(&formatter);
    }
    ~SimulatedModuleChannel() override
    {
        stream.close();
        NoxHid::HidBackend::install(previous);
    }

    ManualClock clock;
    SimulatedBoard board;
    SimulatedHidBackend backend;
    NoxHid::IHidBackend* previous;
    ComStreamFormatter formatter;
    HidComDriver driver;
    ComStream stream;
};

} // namespace

// What the board answers is what the demo's module commands decode.
TEST_F(SimulatedModuleChannel, ExecutesEveryModuleCommand)
{
    ASSERT_TRUE(stream.open());

    TargetConfigurationCommand mode(1, 0, 1);
    EXPECT_TRUE(stream.execute(&mode));
    EXPECT_EQ(board.sensorModule().operationMode(), 1);

    GetSerialNumberCommand identification;
    stream.execute(&identification);
    EXPECT_EQ(identification.serialNumber(), "4c-31-44-07");
    EXPECT_EQ(identification.app0Revision(), "1.3.0.12");
    EXPECT_EQ(identification.driverRevision(), "2.1.0.4");
    EXPECT_EQ(identification.extraRevision(), "1");
    EXPECT_EQ(identification.chipRevision(), "3");

    GetCalibrationDataCommand calibration(2);
    stream.execute(&calibration);
    EXPECT_EQ(calibration.calibrationData(), ";02;19;85;FF;03;00;E8;03;00;64;00;00;00;ED");

    // At power-on the object is on its way in from the far zone.
    GetObjectsCommand objects;
    stream.execute(&objects);
    EXPECT_EQ(objects.objectCount(), 1);
    const ObjectRecord record = objects.objectRecord();
    EXPECT_GT(record.distance, 2000);
    EXPECT_LE(record.distance, 2500);
    EXPECT_EQ(record.distance2, record.distance);
    EXPECT_EQ(record.distance3, record.distance);
    EXPECT_LE(record.confidence, 63);
    EXPECT_GT(record.photonCountReference, 0u);
    EXPECT_GT(record.photonCountObject, 0u);
    EXPECT_EQ(stream.lastError(), 0);

    // The request frames arrived whole, in order.
    const QList<QByteArray> frames = backend.receivedFrames(SimulatedBoard::Channel::Module);
    ASSERT_EQ(frames.size(), 4);
    EXPECT_EQ(frames[0], QByteArray::fromHex("0700030000010001"));
    EXPECT_EQ(frames[3], QByteArray::fromHex("0200000011"));
}

TEST_F(SimulatedModuleChannel, UsbFaultsFailTheExchangeOrAreSkipped)
{
    ASSERT_TRUE(stream.open());
    GetObjectsCommand first;

    backend.setHidFault(SimulatedHidBackend::HidFault::StaleSequence);
    stream.execute(&first);
    EXPECT_EQ(stream.lastError(), 0) << "stale answers are skipped";
    EXPECT_EQ(first.objectCount(), 1);

    for (const auto fault :
         {SimulatedHidBackend::HidFault::NoAnswer, SimulatedHidBackend::HidFault::OversizedCount})
    {
        backend.setHidFault(fault);
        GetObjectsCommand objects;
        stream.execute(&objects);
        EXPECT_FALSE(objects.valid());
        EXPECT_EQ(objects.objectRecord().distance, 0);
        EXPECT_EQ(stream.lastError(), ComDriver::RECEIVE_FAILED);
        EXPECT_TRUE(stream.isOpen()) << "a lost answer is not an unplug";
    }

    backend.setHidFault(SimulatedHidBackend::HidFault::None);
    backend.unplug();
    GetObjectsCommand unplugged;
    stream.execute(&unplugged);
    EXPECT_EQ(stream.lastError(), ComDriver::CHANNEL_NOT_OPEN);
    EXPECT_FALSE(driver.isOpen());
    EXPECT_FALSE(stream.open()) << "nothing to open while unplugged";

    backend.replug();
    ASSERT_TRUE(stream.open());
    GetObjectsCommand again;
    stream.execute(&again);
    EXPECT_EQ(stream.lastError(), 0);
    EXPECT_EQ(again.objectCount(), 1);
}

TEST_F(SimulatedModuleChannel, InterfacesAreExclusiveAndSelectedByTheirPath)
{
    ASSERT_TRUE(stream.open());
    HidComDriver second(interfaceInfo("mi_04"));
    EXPECT_FALSE(second.open()) << "the module interface is taken";
    HidComDriver control(interfaceInfo("mi_03"));
    control.setFormatter(&formatter);
    EXPECT_TRUE(control.open());
    EXPECT_EQ(HidComDriver::listDevices(0x7A3C, 0x0C08, "mi_04").size(), 0)
        << "held interfaces are not listed";
}

// The measurement cycle fed by the board: the simulated scene walks through every demo state.
TEST(SimulatedBoardMeasurement, ObjectStatesFollowTheScene)
{
    TempWorkDir dir;
    ManualClock clock;
    SimulatedBoard board;
    SimulatedBoardComDriver driver(board, SimulatedBoard::Channel::Module);
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
}

// Found by the soak: the board kept every frame it received, so a long --simulate run grew without end.
TEST_F(SimulatedModuleChannel, KeepsOnlyTheNewestReceivedFrames)
{
    ASSERT_TRUE(stream.open());
    for (int i = 0; i < SimulatedHidBackend::MAX_RECEIVED_FRAMES + 10; ++i)
    {
        GetObjectsCommand objects;
        stream.execute(&objects);
    }
    EXPECT_EQ(backend.receivedFrames(SimulatedBoard::Channel::Module).size(),
              SimulatedHidBackend::MAX_RECEIVED_FRAMES);
}
