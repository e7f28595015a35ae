// Test entry point: the suites need a Qt application object for timers, signals and, in the widget
// suites (built with LIDORA_TEST_WIDGETS), for widgets.
#ifdef LIDORA_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#include <gtest/gtest.h>

// Qt 5.15's offscreen platform never frees its screen objects; only those are excused from leak checks,
// so a leak of the project's own still fails the run.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libqoffscreen.so\n"
           "leak:QScreen::QScreen\n"
           "leak:QPlatformScreen::QPlatformScreen\n"
           "leak:QWindowSystemInterface::handleScreenAdded\n"
           "leak:QtSharedPointer::ExternalRefCountData::getAndRef\n"
           "leak:QObject::QObject\n";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests fork; "threadsafe" re-executes the binary so the child does not inherit Qt's threads.
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    // Widget tests never need a display; test discovery during the build runs without one.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
