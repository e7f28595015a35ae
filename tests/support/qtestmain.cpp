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

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests fork; "threadsafe" re-executes the binary so the child does not inherit Qt's threads.
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    TestApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
