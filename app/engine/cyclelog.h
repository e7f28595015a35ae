#ifndef LIDORA_CYCLELOG_H
#define LIDORA_CYCLELOG_H

#include <QFile>
#include <QVector>

// Keeps the time of every measurement cycle (ms since 1970-01-01 UTC) and writes them, one per line, to a
// file when it is destroyed. For benchmarks: nothing is written while the program runs, so the log does
// not disturb what it measures.
class CycleLog
{
public:
    // Returns false (with the reason in errorString()) when the file cannot be created.
    bool open(const QString& path);
    QString errorString() const { return itsFile.errorString(); }
    ~CycleLog();

    void recordCycle();

private:
    QFile itsFile;
    QVector<qint64> itsCycleTimesMs;
};

#endif
