#include "instancemark.h"

#include "support/tempworkdir.h"

#include <QFile>

#include <gtest/gtest.h>

namespace
{

bool markIn(QSettings::Scope scope)
{
    return QSettings(QSettings::NativeFormat, scope, "nox", "LIDORA").value("AlreadyRunning", false).toBool();
}

} // namespace

TEST(InstanceMark, FirstInstanceMarksAndClears)
{
    TempWorkDir dir;
    InstanceMark mark;
    EXPECT_FALSE(mark.check(false));
    EXPECT_TRUE(markIn(QSettings::SystemScope));
    mark.release();
    EXPECT_FALSE(markIn(QSettings::SystemScope));
}

TEST(InstanceMark, InstanceWithoutTargetBelievesAnExistingMarkAndLeavesIt)
{
    TempWorkDir dir;
    InstanceMark first;
    first.check(true);
    InstanceMark second;
    EXPECT_TRUE(second.check(false));
    EXPECT_TRUE(second.otherInstance());
    second.release();
    EXPECT_TRUE(markIn(QSettings::SystemScope)) << "the first instance still runs";
}

TEST(InstanceMark, InstanceThatOwnsTheTargetResetsAStaleMark)
{
    TempWorkDir dir;
    QSettings(QSettings::NativeFormat, QSettings::SystemScope, "nox", "LIDORA")
        .setValue("AlreadyRunning", true);
    InstanceMark mark;
    EXPECT_FALSE(mark.check(true)) << "a mark left by a crash";
    EXPECT_TRUE(markIn(QSettings::SystemScope));
}

TEST(InstanceMark, FallsBackToTheUserStoreWhenTheSystemStoreIsReadOnly)
{
    TempWorkDir dir;
    // A system folder this user may not write, as on a normal Linux desktop.
    QFile blocker(dir.filePath("system"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder would have to be
    blocker.close();

    InstanceMark mark;
    EXPECT_FALSE(mark.check(false));
    EXPECT_TRUE(markIn(QSettings::UserScope));
    EXPECT_TRUE(mark.storeLocation().startsWith(dir.filePath("user")));
    mark.release();
    EXPECT_FALSE(markIn(QSettings::UserScope));
}
