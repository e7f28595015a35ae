#include "headlessrunner.h"
#include "mainwindow.h"
#include "signalquitter.h"

#include "Communication/commandmanager.h"
#include "Communication/telegramcommandset.h"
#include "HidDevice/hidbackend.h"
#include "Tools/versioninfo.h"
#include "Tracing/tracer.h"
#include "Tracing/tracerecorder.h"
#include "Tracing/traceviewer.h"
#include "faultscheduler.h"
#include "simulatedboard.h"
#include "simulatedhidbackend.h"
#include "tools/windowhelper.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSplashScreen>

#include <cstdio>
#include <memory>
#ifdef _WIN32
#define NOMINMAX
#include <windows.h>
#endif

namespace
{

// Returns false when the program should end (with exitCode) instead of starting the window.
struct Options
{
    QString readoutLogPath;
    QString tracePath;
    QString cycleLogPath;
    QString recordPath;
    bool replaceRecording = false;
    bool headless = false;
    bool simulate = false;
    bool simulateFaults = false;
    bool drawing = true;
};

bool parseOptions(const QCoreApplication& application, Options& options, int& exitCode)
{
    NoxCore::Tools::VersionInfo versionInfo;
    versionInfo.retrieveInfo();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        versionInfo.productNameString() +
        QStringLiteral(": live read-out of a time-of-flight distance sensor. Without a board it replays "
                       "test_data.txt from the working folder."));
    parser.addHelpOption();
    const QCommandLineOption versionOption(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Displays version information."));
    parser.addOption(versionOption);
    const QCommandLineOption readoutLogOption(
        QStringLiteral("readout-log"),
        QStringLiteral(
            "Appends every change of the read-out (state, distance, banner, screen saver) to <file>."),
        QStringLiteral("file"));
    parser.addOption(readoutLogOption);
    const QCommandLineOption traceOption(
        QStringLiteral("trace"),
        QStringLiteral("Records what the program says to the sensor module (I2C transfers, firmware checks) "
                       "as telegrams into the trace file <file>, which the trace player can replay."),
        QStringLiteral("file"));
    parser.addOption(traceOption);
    const QCommandLineOption simulateOption(
        QStringLiteral("simulate"),
        QStringLiteral(
            "Talks to a simulated evaluation board instead of looking for a real one on the USB."));
    parser.addOption(simulateOption);
    const QCommandLineOption simulateFaultsOption(
        QStringLiteral("simulate-faults"),
        QStringLiteral(
            "Like --simulate, and the simulated board goes through every fault it knows, in a loop: "
            "unplugged, silent, stale answers, wrong ids, oversized lengths (for soak tests)."));
    parser.addOption(simulateFaultsOption);
    const QCommandLineOption cycleLogOption(
        QStringLiteral("cycle-log"),
        QStringLiteral("For benchmarks: writes the time of every measurement cycle to <file> at exit."),
        QStringLiteral("file"));
    parser.addOption(cycleLogOption);
    const QCommandLineOption noDrawingOption(
        QStringLiteral("no-drawing"),
        QStringLiteral("For benchmarks: measures as usual but draws nothing after start-up."));
    parser.addOption(noDrawingOption);
    const QCommandLineOption recordOption(
        QStringLiteral("record"),
        QStringLiteral("Records every measurement to the CSV file <file>. An existing file is not replaced, "
                       "unless --force is given."),
        QStringLiteral("file"));
    parser.addOption(recordOption);
    const QCommandLineOption forceOption(QStringLiteral("force"),
                                         QStringLiteral("With --record: replaces an existing file."));
    parser.addOption(forceOption);
    const QCommandLineOption headlessOption(
        QStringLiteral("headless"),
        QStringLiteral("Runs without a window and without a display: measures, serves the automation port, "
                       "records (--record) and traces (--trace); ends on Ctrl+C or SIGTERM."));
    parser.addOption(headlessOption);

    if (!parser.parse(application.arguments()))
    {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        std::fprintf(stderr, "%s", qPrintable(parser.helpText()));
        exitCode = 2;
        return false;
    }
    if (parser.isSet(QStringLiteral("help")))
    {
        std::printf("%s", qPrintable(parser.helpText()));
        exitCode = 0;
        return false;
    }
    if (parser.isSet(versionOption))
    {
        std::printf("%s %s\n", qPrintable(versionInfo.productNameString()),
                    qPrintable(versionInfo.productVersionString()));
        exitCode = 0;
        return false;
    }
    options.readoutLogPath = parser.value(readoutLogOption);
    options.tracePath = parser.value(traceOption);
    options.simulateFaults = parser.isSet(simulateFaultsOption);
    options.simulate = parser.isSet(simulateOption) || options.simulateFaults;
    options.cycleLogPath = parser.value(cycleLogOption);
    options.drawing = !parser.isSet(noDrawingOption);
    options.recordPath = parser.value(recordOption);
    options.replaceRecording = parser.isSet(forceOption);
    options.headless = parser.isSet(headlessOption);
    return true;
}

void refuseRecording(const Options& options, const QString& errorText)
{
    std::fprintf(stderr, "Cannot record to %s: %s%s.\n", qPrintable(options.recordPath),
                 qPrintable(errorText),
                 options.replaceRecording ? "" : " (--force replaces an existing file)");
}

// Measures, serves and records without a window until a signal ends the event loop.
int runHeadless(QCoreApplication& application, const Options& options, NoxCore::Tracing::Tracer* tracer,
                const SignalQuitter& signalQuitter)
{
    HeadlessRunner runner(
        tracer, options.simulate ? MeasurementSource::SimulatedBoard : MeasurementSource::Board, stdout);
    if (!options.recordPath.isEmpty() &&
        !runner.recorder().start(options.recordPath, options.replaceRecording))
    {
        refuseRecording(options, runner.recorder().errorString());
        return 2;
    }
    return signalQuitter.quitRequested() ? 0 : application.exec();
}

#ifdef _WIN32
// The program is a window program, so Windows opens no console beside its window. Started from a Command
// Prompt, it writes its answers to --help and --version, its headless report and its warnings there (unless
// they are redirected), and Ctrl+C there reaches it.
void attachToStartingConsole()
{
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_UNKNOWN)
        std::freopen("CONOUT$", "w", stdout);
    if (GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_UNKNOWN)
        std::freopen("CONOUT$", "w", stderr);
}
#endif

} // namespace

int main(int argc, char* argv[])
{
#ifdef _WIN32
    attachToStartingConsole();
#endif
    Options options;
    int exitCode = 0;
    {
        // A QApplication aborts where there is no display, so the options are read first: --help,
        // --version and a wrong option then answer over ssh or in a package check too.
        const QCoreApplication console(argc, argv);
        if (!parseOptions(console, options, exitCode))
            return exitCode;
    }

    // Headless mode loads no platform plugin at all.
    std::unique_ptr<QCoreApplication> application = options.headless
                                                        ? std::make_unique<QCoreApplication>(argc, argv)
                                                        : std::make_unique<QApplication>(argc, argv);
    // Ties the window to its menu entry and icon where the desktop goes by the desktop file (Wayland).
    if (!options.headless)
        QGuiApplication::setDesktopFileName(QStringLiteral(LIDORA_DESKTOP_ID));

    SignalQuitter signalQuitter;

    // The simulated board stands in for the USB below the HID driver, so everything above it runs as with
    // a real board. It must be in place before the window builds and opens the stack.
    std::unique_ptr<LidoraSim::SimulatedBoard> simulatedBoard;
    std::unique_ptr<LidoraSim::SimulatedHidBackend> simulatedUsb;
    if (options.simulate)
    {
        simulatedBoard = std::make_unique<LidoraSim::SimulatedBoard>();
        simulatedUsb = std::make_unique<LidoraSim::SimulatedHidBackend>(*simulatedBoard);
        NoxHid::HidBackend::install(simulatedUsb.get());
    }
    std::unique_ptr<LidoraSim::FaultScheduler> faults;
    if (options.simulateFaults)
    {
        faults = std::make_unique<LidoraSim::FaultScheduler>(*simulatedUsb);
        faults->start();
    }

    // The telegram forms of the program's own com objects, so that its trace files can be replayed.
    const NoxCore::Communication::TelegramCommandSet telegramCommands;
    NoxCore::Communication::CommandManager::instance()->registerCommandSet(&telegramCommands);
    std::unique_ptr<NoxCore::Tracing::Tracer> tracer;
    if (!options.tracePath.isEmpty())
    {
        tracer = std::make_unique<NoxCore::Tracing::Tracer>();
        // Only the file is wanted; the viewer would keep every telegram in memory as well.
        tracer->viewer()->setEnabled(false);
        if (!tracer->recorder()->open(options.tracePath))
        {
            std::fprintf(stderr, "Cannot write the trace %s: %s\n", qPrintable(options.tracePath),
                         qPrintable(tracer->recorder()->errorString()));
            tracer.reset();
        }
    }

    if (options.headless)
    {
        exitCode = runHeadless(*application, options, tracer.get(), signalQuitter);
        // The runner took the stack down and completed the recording; now the trace file is completed.
        if (tracer)
            tracer->recorder()->close();
        NoxHid::HidBackend::install(nullptr);
        return exitCode;
    }

    QSplashScreen* splash = NoxGui::WindowHelper::createSplashScreen();
    splash->show();
    application->processEvents();

    auto* window = new MainWindow(nullptr, tracer.get());
    window->setBoardSource(options.simulate ? MeasurementSource::SimulatedBoard : MeasurementSource::Board);
    QString errorText;
    if (!options.recordPath.isEmpty() &&
        !window->startRecording(options.recordPath, options.replaceRecording, &errorText))
    {
        refuseRecording(options, errorText);
        delete window;
        delete splash;
        NoxHid::HidBackend::install(nullptr);
        return 2;
    }
    if (!options.readoutLogPath.isEmpty() && !window->startReadoutLog(options.readoutLogPath, &errorText))
        std::fprintf(stderr, "Cannot write the read-out log %s: %s\n", qPrintable(options.readoutLogPath),
                     qPrintable(errorText));
    if (!options.cycleLogPath.isEmpty() && !window->startCycleLog(options.cycleLogPath, &errorText))
        std::fprintf(stderr, "Cannot write the cycle log %s: %s\n", qPrintable(options.cycleLogPath),
                     qPrintable(errorText));
    window->setDrawingEnabled(options.drawing);
    NoxGui::WindowHelper::setWindowIcon(window);
    window->show();
    splash->finish(window);
    delete splash;

    // A signal that came while a start-up warning was open has closed it and asked to quit already.
    exitCode = signalQuitter.quitRequested() ? 0 : application->exec();
    // The window takes the stack down, which lets go of the tracer; then the trace file is completed.
    delete window;
    if (tracer)
        tracer->recorder()->close();
    NoxHid::HidBackend::install(nullptr);
    return exitCode;
}
