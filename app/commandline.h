#ifndef LIDORA_COMMANDLINE_H
#define LIDORA_COMMANDLINE_H

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// The program's own options. Qt's options (-platform, -style, -reverse, -session, ...) are not among them:
// a QApplication takes those off the command line, so arguments read before one exists still hold them
// and show them as unknown. Single-dash words are read as long options, as Qt reads its own: "-reverse"
// is one option, never -r -e -v (--version) ...
class CommandLine
{
public:
    struct Options
    {
        QString readoutLogPath;
        QString tracePath;
        QString cycleLogPath;
        QString recordPath;
        QString playPath;
        bool replaceRecording = false;
        bool headless = false;
        bool simulate = false;
        bool simulateFaults = false;
        bool drawing = true;
    };

    CommandLine();

    // False when an option is unknown or lacks its value, or when the options contradict each other; the
    // known options are read all the same.
    bool parse(const QStringList& arguments);
    bool hasUnknownOptions() const { return !itsParser.unknownOptionNames().isEmpty(); }
    // --help, --help-all or --version: the program prints and ends, so it needs no display.
    bool printsOnly() const;
    bool wantsQtOptions() const { return itsParser.isSet(QStringLiteral("help-all")); }
    // Prints the help, the version or the parse error and returns the exit code. Needs an application
    // object; for --help-all a QApplication, whose options are listed, and Qt itself then ends the process.
    int answer();
    Options options() const;

private:
    QCommandLineParser itsParser;
    bool itsArgumentsValid = false;
    // Why options that parse are refused all the same; empty when they are not.
    QString itsRefusal;
    QString itsProductName;
    QString itsProductVersion;
    const QCommandLineOption itsVersionOption;
    const QCommandLineOption itsReadoutLogOption;
    const QCommandLineOption itsTraceOption;
    const QCommandLineOption itsSimulateOption;
    const QCommandLineOption itsSimulateFaultsOption;
    const QCommandLineOption itsCycleLogOption;
    const QCommandLineOption itsNoDrawingOption;
    const QCommandLineOption itsRecordOption;
    const QCommandLineOption itsForceOption;
    const QCommandLineOption itsPlayOption;
    const QCommandLineOption itsHeadlessOption;
};

#endif
