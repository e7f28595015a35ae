#include "commandline.h"

#include "Tools/versioninfo.h"

#include <cstdio>

CommandLine::CommandLine()
    : itsVersionOption(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                       QStringLiteral("Displays version information.")),
      itsReadoutLogOption(QStringLiteral("readout-log"),
                          QStringLiteral("Writes every change of the read-out (state, distance, banner, "
                                         "screen saver) to <file>, replacing an earlier one."),
                          QStringLiteral("file")),
      itsTraceOption(QStringLiteral("trace"),
                     QStringLiteral("Records what the program says to the sensor module (I2C transfers, "
                                    "firmware checks) as telegrams into the trace file <file>, which the "
                                    "trace player can replay."),
                     QStringLiteral("file")),
      itsSimulateOption(
          QStringLiteral("simulate"),
          QStringLiteral(
              "Talks to a simulated evaluation board instead of looking for a real one on the USB.")),
      itsSimulateFaultsOption(
          QStringLiteral("simulate-faults"),
          QStringLiteral("Like --simulate, and the simulated board goes through every fault it knows, in a "
                         "loop: unplugged, silent, stale answers, wrong ids, oversized lengths (for soak "
                         "tests).")),
      itsCycleLogOption(
          QStringLiteral("cycle-log"),
          QStringLiteral("For benchmarks: writes the time of every measurement cycle to <file> at exit."),
          QStringLiteral("file")),
      itsNoDrawingOption(
          QStringLiteral("no-drawing"),
          QStringLiteral("For benchmarks: measures as usual but draws nothing after start-up.")),
      itsRecordOption(QStringLiteral("record"),
                      QStringLiteral("Records every measurement to the CSV file <file>. An existing file is "
                                     "not replaced, unless --force is given."),
                      QStringLiteral("file")),
      itsForceOption(QStringLiteral("force"), QStringLiteral("With --record: replaces an existing file.")),
      itsPlayOption(QStringLiteral("play"),
                    QStringLiteral("Replays the recording <file> as File, Open Recording does; with "
                                   "--headless the program ends when the replay has ended."),
                    QStringLiteral("file")),
      itsHeadlessOption(QStringLiteral("headless"),
                        QStringLiteral("Runs without a window and without a display: measures, serves the "
                                       "automation port, records (--record), replays (--play) and traces "
                                       "(--trace); ends on "
                                       "Ctrl+C or SIGTERM. Qt's window options do not apply."))
{
    NoxCore::Tools::VersionInfo versionInfo;
    versionInfo.retrieveInfo();
    itsProductName = versionInfo.productNameString();
    itsProductVersion = versionInfo.productVersionString();

    itsParser.setApplicationDescription(
        itsProductName +
        QStringLiteral(": live read-out of a time-of-flight distance sensor. Without a board it replays "
                       "test_data.txt from the working folder. --help-all lists Qt's options as well "
                       "(-platform, -style, -reverse, -qwindowgeometry, ...)."));
    itsParser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    itsParser.addHelpOption();
    for (const QCommandLineOption* option :
         {&itsVersionOption, &itsReadoutLogOption, &itsTraceOption, &itsSimulateOption,
          &itsSimulateFaultsOption, &itsCycleLogOption, &itsNoDrawingOption, &itsRecordOption,
          &itsForceOption, &itsPlayOption, &itsHeadlessOption})
        itsParser.addOption(*option);
}

bool CommandLine::parse(const QStringList& arguments)
{
    itsArgumentsValid = itsParser.parse(arguments);
    // A script with an empty variable would otherwise measure for hours and record nothing.
    itsRefusal.clear();
    if (itsParser.isSet(itsRecordOption) && itsParser.value(itsRecordOption).isEmpty())
        itsRefusal = QStringLiteral("Cannot record: the file name is empty.");
    else if (itsParser.isSet(itsPlayOption) && itsParser.value(itsPlayOption).isEmpty())
        itsRefusal = QStringLiteral("Cannot play: the file name is empty.");
    else if (itsParser.isSet(itsForceOption) && !itsParser.isSet(itsRecordOption))
        itsRefusal = QStringLiteral("--force replaces the file of --record, which is not given.");
    itsArgumentsValid = itsArgumentsValid && itsRefusal.isEmpty();
    return itsArgumentsValid;
}

bool CommandLine::printsOnly() const
{
    return itsParser.isSet(QStringLiteral("help")) || wantsQtOptions() || itsParser.isSet(itsVersionOption);
}

int CommandLine::answer()
{
    if (!itsRefusal.isEmpty())
    {
        std::fprintf(stderr, "%s\n", qPrintable(itsRefusal));
        return 2;
    }
    if (!itsArgumentsValid)
    {
        std::fprintf(stderr, "%s\n", qPrintable(itsParser.errorText()));
        std::fprintf(stderr, "%s", qPrintable(itsParser.helpText()));
        return 2;
    }
    // Only the parser's own help lists Qt's options, and it ends the process once printed.
    if (wantsQtOptions())
        itsParser.process(QCoreApplication::arguments());
    if (itsParser.isSet(QStringLiteral("help")))
    {
        std::printf("%s", qPrintable(itsParser.helpText()));
        return 0;
    }
    std::printf("%s %s\n", qPrintable(itsProductName), qPrintable(itsProductVersion));
    return 0;
}

CommandLine::Options CommandLine::options() const
{
    Options options;
    options.readoutLogPath = itsParser.value(itsReadoutLogOption);
    options.tracePath = itsParser.value(itsTraceOption);
    options.simulateFaults = itsParser.isSet(itsSimulateFaultsOption);
    options.simulate = itsParser.isSet(itsSimulateOption) || options.simulateFaults;
    options.cycleLogPath = itsParser.value(itsCycleLogOption);
    options.drawing = !itsParser.isSet(itsNoDrawingOption);
    options.recordPath = itsParser.value(itsRecordOption);
    options.replaceRecording = itsParser.isSet(itsForceOption);
    options.playPath = itsParser.value(itsPlayOption);
    options.headless = itsParser.isSet(itsHeadlessOption);
    return options;
}
