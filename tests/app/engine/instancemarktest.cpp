#include "instancemark.h"

#include "support/tempworkdir.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace
{

bool markIn(QSettings::Scope scope)
{
    return QSettings(QSettings::defaultFormat(), scope, "nox", "LIDORA")
        .value("AlreadyRunning", false)
        .toBool();
}

} // namespace

// The first instance's mark is set and cleared in the real run of the program window test.
TEST(InstanceMark, AMarkSetByAnotherProcessIsSeenAndTheInstanceThatOwnsTheTargetTakesItOver)
{
    TempWorkDir dir;
    InstanceMark mark;
    // The other instance writes the store's file after this one has loaded it, while the board opens.
    ASSERT_TRUE(QDir().mkpath(QFileInfo(mark.storeLocation()).path()));
    dir.writeFile(QDir(dir.path()).relativeFilePath(mark.storeLocation()),
                  "[General]\nAlreadyRunning=true\n");
    EXPECT_TRUE(mark.check(false));
    // Had the instance that set it crashed, the one that owns the target now is the one running.
    EXPECT_FALSE(mark.check(true));
    EXPECT_TRUE(markIn(QSettings::SystemScope));
}
