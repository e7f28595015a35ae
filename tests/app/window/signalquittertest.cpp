#include "signalquitter.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

// One signal ends the program also while a start-up warning box holds the event loop, before the main
// loop has begun: the box closes and the request to quit is kept for main().
TEST(SignalQuitter, ASignalDuringAWarningBoxClosesItAndIsKept)
{
    for (const int signal : {SIGTERM, SIGINT})
    {
        SignalQuitter quitter;
        ASSERT_TRUE(quitter.isInstalled());
        QTimer::singleShot(0, [signal] { ::raise(signal); });
        QMessageBox::warning(nullptr, "Warning", "Could not retrieve serial number.");
        EXPECT_TRUE(quitter.quitRequested()) << signal;
        // The quit also holds for loops started later; only the application's own loop clears it.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        qApp->exec();
    }
}
