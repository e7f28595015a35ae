#ifndef LIDORA_READOUTLOG_H
#define LIDORA_READOUTLOG_H

#include <QFile>
#include <QString>

// Writes what the read-out shows to a text file, one line per change:
// "<ms since epoch>;<state text>;<distance text>;<banner shown 0/1>;<screen saver shown 0/1>".
// Lets a demo run be checked or documented afterwards without looking at the screen.
class ReadoutLog
{
public:
    // Returns false (with the reason in errorString()) when the file cannot be created.
    bool open(const QString& path);
    QString errorString() const { return itsFile.errorString(); }

    void record(const QString& stateText, const QString& distanceText, bool bannerShown,
                bool screenSaverShown);

private:
    QFile itsFile;
    QString itsLastShown;
};

#endif
