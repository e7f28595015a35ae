#include "signalquitter.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#ifdef Q_OS_WIN
#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>
#else
#include <csignal>
#include <cstdlib>
#endif

#ifdef Q_OS_WIN

// The test plays the system: it calls the console handler on a thread of its own, as Windows does.
// Ctrl+C ends a warning box and is kept for main(); a console close is held until the program has wound
// down, because Windows ends the process once the handler returns.
TEST(SignalQuitter, ConsoleEventsEndTheLoopAndACloseWaitsForTheProgramsEnd)
{
    for (const unsigned long event : {DWORD(CTRL_C_EVENT), DWORD(CTRL_CLOSE_EVENT)})
    {
        auto quitter = std::make_unique<SignalQuitter>();
        std::atomic<bool> answered{false};
        std::thread system;
        QTimer::singleShot(
            0, [&] { system = std::thread([&] { answered = SignalQuitter::onConsoleEvent(event); }); });
        QMessageBox::warning(nullptr, "Warning", "Could not retrieve serial number.");
        EXPECT_TRUE(quitter->quitRequested()) << event;
        if (event == CTRL_CLOSE_EVENT)
        {
            EXPECT_FALSE(answered) << "the system is held while the program winds down";
        }
        quitter.reset();
        system.join();
        EXPECT_TRUE(answered) << event;
        // The quit holds for every loop started later until the application's own loop clears it.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        qApp->exec();
    }
    EXPECT_FALSE(SignalQuitter::onConsoleEvent(CTRL_C_EVENT))
        << "without a quitter the system's handling stays";
}

#else

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

// Something blocks the event loop (an open() of a FIFO without a reader would): the first signal waits for
// it, the second ends the program.
TEST(SignalQuitterDeathTest, ASecondSignalBeforeTheFirstWasTakenEndsTheProgram)
{
    for (const int signal : {SIGTERM, SIGINT})
    {
        EXPECT_EXIT(
            {
                SignalQuitter quitter;
                ::raise(signal);
                ::raise(signal);
                std::exit(0);
            },
            ::testing::KilledBySignal(signal), "")
            << signal;
    }
}

#endif
