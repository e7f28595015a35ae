// The measurement cycle on the simulated board, as the program runs it: the cycle's object requests on a
// com stream on the HID com driver, 65-byte reports through the simulated board's HID interfaces. What the
// board answers and its HID faults are pinned by its own tests, how the commands decode by theirs, the
// identification and mode frames through the main window, unplug and replug by the board's stack.
#include "measurementcycle.h"

#include "support/boardchannel.h"
#include "support/manualclock.h"
#include "support/qtprinters.h"
#include "support/simulatedusb.h"
#include "support/tempworkdir.h"

#include <gtest/gtest.h>

#include <set>

using LidoraSim::SimulatedBoard;

// The measurement cycle fed by the board: the scene of every seed walks through every demo state.
TEST(SimulatedBoardScene, ObjectStatesFollowTheSceneOfEverySeed)
{
    TempWorkDir dir;
    for (const quint64 seed : {SimulatedBoard::DEFAULT_SCENE_SEED, quint64(8)})
    {
        SCOPED_TRACE(seed);
        ManualClock clock;
        SimulatedUsb usb(true, seed);
        BoardChannel module("mi_04");
        ASSERT_TRUE(module.stream.open());
        MeasurementCycle measurements;
        measurements.setModuleStream(&module.stream);

        std::set<int> seen;
        for (int cycle = 0; cycle < 35000 / 33; ++cycle)
        {
            clock.advance(33);
            measurements.measure();
            seen.insert(measurements.sample().objectState);
        }
        EXPECT_EQ(seen, (std::set<int>{STATE_NO_OBJECT, STATE_OBJECT_TOO_CLOSE, STATE_OBJECT_PRESENCE,
                                       STATE_OBJECT_FAR, STATE_STATIC}));
        EXPECT_EQ(module.stream.lastError(), 0);
    }
}
