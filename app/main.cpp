#include "commandline.h"
#include "headlessrunner.h"
#include "mainwindow.h"
#include "signalquitter.h"

#include "Communication/commandmanager.h"
#include "Communication/telegramcommandset.h"
#include "HidDevice/hidbackend.h"
#include "Tracing/tracer.h"
#include "Tracing/tracerecorder.h"
#include "Tracing/traceviewer.h"
#include "faultscheduler.h"
#include "simulatedboard.h"
#include "simulatedhidbackend.h"
#include "tools/windowhelper.h"

#include <QApplication>
#include <QSplashScreen>

#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>
#ifdef _WIN32
#define NOMINMAX
#include <windows.h>
#endif

namespace
{

using Options = CommandLine::Options;

// Builds the application object the command line asks for, or answers the command line (help, version,
// a wrong option) and returns null with exitCode set: answering never needs a display. A QApplication
// takes Qt's own options off the command line, but it aborts where there is no display.
std::unique_ptr<QCoreApplication> createApplication(int& argc, char* argv[], CommandLine& commandLine,
                                                    int& exitCode)
{
    bool settled = false;
    {
        // Qt's options are still on this list and unknown here, so only the program's own are judged.
        const QCoreApplication console(argc, argv);
        const bool valid = commandLine.parse(QCoreApplication::arguments());
        // Without a window Qt's window options are as unknown as any other word.
        const bool refused = !valid && (!commandLine.hasUnknownOptions() || commandLine.options().headless);
        if (refused || (valid && commandLine.printsOnly() && !commandLine.wantsQtOptions()))
        {
            exitCode = commandLine.answer();
            return nullptr;
        }
        settled = valid && !commandLine.printsOnly();
    }
    // Only one application object may exist at a time: the next one once the console is gone.
    if (settled)
        return commandLine.options().headless ? std::make_unique<QCoreApplication>(argc, argv)
                                              : std::make_unique<QApplication>(argc, argv);

    // Unknown options may be Qt's, and --help-all lists Qt's: a QApplication on the display-less offscreen
    // platform sorts them out. It gets a copy, as Qt takes its options out of the array it is given, and
    // the window's application must see them too.
    std::vector<QByteArray> trialArguments(argv, argv + argc);
    trialArguments.emplace_back("-platform");
    trialArguments.emplace_back("offscreen");
    std::vector<char*> trialPointers;
    for (QByteArray& argument : trialArguments)
        trialPointers.push_back(argument.data());
    trialPointers.push_back(nullptr);
    int trialCount = static_cast<int>(trialArguments.size());
    {
        const QApplication trial(trialCount, trialPointers.data());
        if (!commandLine.parse(QCoreApplication::arguments()) || commandLine.printsOnly())
        {
            exitCode = commandLine.answer();
            return nullptr;
        }
    }
    return std::make_unique<QApplication>(argc, argv);
}

// The reason names the file; the hint only helps where the file exists.
void refuseRecording(const MeasurementRecorder& recorder)
{
    std::fprintf(stderr, "Cannot record: %s%s.\n", qPrintable(recorder.errorString()),
                 recorder.refusedExisting() ? " (--force replaces an existing file)" : "");
}

// Measures, serves and records without a window until a signal ends the event loop.
int runHeadless(QCoreApplication& application, const Options& options, NoxCore::Tracing::Tracer* tracer,
                const SignalQuitter& signalQuitter)
{
    HeadlessRunner runner(
        tracer, options.simulate ? MeasurementSource::SimulatedBoard : MeasurementSource::Board, stdout);
    // The files are checked before the board is opened, so a refusal is all a script sees.
    if (!options.recordPath.isEmpty() &&
        !runner.recorder().start(options.recordPath, options.replaceRecording))
    {
        refuseRecording(runner.recorder());
        return 2;
    }
    QString errorText;
    if (!options.playPath.isEmpty() && !runner.play(options.playPath, &errorText))
    {
        std::fprintf(stderr, "%s\n", qPrintable(errorText));
        return 2;
    }
    runner.start();
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
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 follows the desktop's scale on its own. Qt 5 otherwise keeps the window's pixel size at 200 %
    // while the fonts double, and cuts the read-out's texts; its pictures would be drawn blurred.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#endif
#ifdef _WIN32
    attachToStartingConsole();
#endif
    CommandLine commandLine;
    int exitCode = 0;
    const std::unique_ptr<QCoreApplication> application =
        createApplication(argc, argv, commandLine, exitCode);
    if (!application)
        return exitCode;
    const Options options = commandLine.options();
    // Ties the window to its menu entry and icon where the desktop goes by the desktop file (Wayland).
    if (!options.headless)
        QGuiApplication::setDesktopFileName(QStringLiteral(LIDORA_DESKTOP_ID));

    SignalQuitter signalQuitter;
    // Over a file size limit a write fails with EFBIG, which the recording reports, instead of ending the
    // program with this signal. Windows has no such limit.
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif

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
    bool refused = false;
    if (!options.recordPath.isEmpty() &&
        !window->startRecording(options.recordPath, options.replaceRecording, &errorText))
    {
        refuseRecording(window->engine().recorder());
        refused = true;
    }
    else if (!options.playPath.isEmpty() && !window->engine().playRecording(options.playPath, &errorText))
    {
        std::fprintf(stderr, "%s\n", qPrintable(errorText));
        refused = true;
    }
    if (refused)
    {
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
