#include "support/manualclock.h"
#include "support/simulatedboardcomdriver.h"

#include "getcalibrationdatacommand.h"
#include "getobjectscommand.h"
#include "getserialnumbercommand.h"
#include "targetconfigurationcommand.h"

#include "Communication/comstream.h"

#include <gtest/gtest.h>

using LidoraSim::SimulatedBoard;
using NoxCore::Communication::ComStream;

// The demo's own module commands against the simulated board: what the board answers is what they decode.
TEST(SimulatedBoardModuleCommands, DecodeEveryAnswerOfTheBoard)
{
    ManualClock clock;
    SimulatedBoard board;
    SimulatedBoardComDriver driver(board, SimulatedBoard::Channel::Module);
    ComStream stream(&driver, ComStream::theImmediateFlushPolicy);
    ASSERT_TRUE(stream.open());

    TargetConfigurationCommand mode(1, 0, 2);
    stream.execute(&mode);
    EXPECT_EQ(mode.status(), 0);
    EXPECT_EQ(board.sensorModule().operationMode(), 2);

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
}
