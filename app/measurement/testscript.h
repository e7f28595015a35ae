#ifndef LIDORA_TESTSCRIPT_H
#define LIDORA_TESTSCRIPT_H

#include "objectrecord.h"

#include <QString>
#include <QVector>

class QIODevice;

// The scripted sensor of test mode: "OBJ,<distance mm>,<confidence>" lines give the next object,
// "WAIT,<ms>" lines hold the previous one for a while. One line is consumed per measurement and the
// script loops for ever, so the demo shows every state on a PC without hardware.
//
// Lines are parsed once when the file is loaded; replaying is then constant work per measurement.
class TestScript
{
public:
    // The script a demo started in the given working folder replays: its test_data.txt when there is one,
    // otherwise the one installed with the program (found from the program's own folder, so a package
    // unpacked anywhere finds its own copy). A program started from the desktop menu runs in the home
    // folder, which has no script, and would otherwise show an empty room for ever. Without either, the
    // working folder's name, so that the failed load names what the user can add.
    static QString locate(const QString& workingFolder, const QString& applicationFolder);

    // Reading stops here, so a wrong file handed to the demo cannot eat the memory or the start-up time.
    static constexpr qint64 MAX_FILE_BYTES = 4 * 1024 * 1024;
    // Longer lines cannot be script lines; they are skipped whole.
    static constexpr int MAX_LINE_LENGTH = 1024;

    // Replaces the script with the lines of the file. Returns false when the file cannot be opened;
    // the script is then empty and every replayed record is all zero.
    bool load(const QString& path);
    // The same from a device opened for reading as text (so that CR LF ends a line as LF does); a device
    // that is not readable leaves the script empty.
    void load(QIODevice& device);

    int lineCount() const { return itsLines.size(); }

    // Fills the record for one measurement at the given time (ms since the epoch).
    void replay(ObjectRecord& record, qint64 nowMs);

private:
    struct Line
    {
        enum Kind : quint8
        {
            Object,
            Wait
        };
        Kind kind;
        bool wellFormed; // the field count fits the keyword; other lines have no effect of their own
        quint8 confidence;
        quint16 distance;
        qint64 durationMs;
    };

    static Line parseLine(const QString& text);
    void advance();

    QVector<Line> itsLines;
    int itsLineIndex = 0;
    qint64 itsWaitUntilMs = 0;
    quint16 itsHeldDistance = 0;
    quint8 itsHeldConfidence = 0;
};

#endif
