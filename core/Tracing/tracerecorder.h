#ifndef NOXCORE_TRACING_TRACERECORDER_H
#define NOXCORE_TRACING_TRACERECORDER_H

#include "itracesink.h"
#include "telegramfilter.h"

#include <QFile>
#include <QList>
#include <QObject>
#include <QString>
#include <QXmlStreamWriter>

#include <memory>

namespace NoxCore
{
namespace Tracing
{

// Writes the telegrams it is given into a trace file (see TraceFile), those whose trace pattern passes its
// filter and not its negative filter. The negative filter leaves out the stream's flush telegrams unless
// set otherwise: a flush goes with every measurement and carries nothing to replay, yet made up four in
// five telegrams of a trace.
//
// The header and then each telegram reach the disk before open() and trace() return, so a trace taken up
// to a crash or a hung board is a readable file holding every exchange up to that point. Closing (also by
// destruction) ends the document, so a closed file is complete XML. The first failed write of a file is
// reported on standard error, with the file and the reason; the trace then goes on failing quietly.
//
// Runs on the thread of the traced stream; no locking.
class TraceRecorder : public QObject, public virtual ITraceSink
{
    Q_OBJECT

public:
    explicit TraceRecorder(QObject* parent = nullptr);
    ~TraceRecorder() override;

    // Replaces the file's content with a new trace and enables recording. False when a file is already open
    // or this one cannot be written.
    bool open(const QString& fileName);
    // Ends the document, disables recording and closes the file; false when no file was open.
    bool close();
    bool isOpen() const;
    bool flush();
    // Why the last open or write failed, for the message a person reads.
    QString errorString() const;

    // Switching on needs an open file; false, changing nothing, otherwise.
    bool setEnabled(bool enabled);
    bool isEnabled() const;
    void setFilter(unsigned int pattern);
    unsigned int filter() const;
    void setNegativeFilter(unsigned int pattern);
    unsigned int negativeFilter() const;

    // False without an open, enabled file, for a text that is no telegram and when the file cannot be
    // written; true when the telegram was written or did not pass the filter.
    bool trace(QString telegram) override;

    // A complete trace file of these telegrams, unfiltered, apart from the recorder's own file. Nothing is
    // written when one of the texts is no telegram; false then and when the file cannot be written.
    bool writeTelegrams(const QString& fileName, const QList<QString>& telegrams);

signals:
    void enabledChanged(bool enabled);
    void filterChanged(unsigned int pattern);

private:
    // error: the system's error number of the failed write, 0 when it gave none.
    bool reportFailedWrite(int error);

    unsigned int itsFilter = TelegramFilter::ALL;
    unsigned int itsNegativeFilter;
    bool itsFailureIsReported = false;
    bool itsIsEnabled = false;
    QFile itsFile;
    // Bound to the open file; a new one for each file, so no state of an earlier file carries over.
    std::unique_ptr<QXmlStreamWriter> itsWriter;
};

} // namespace Tracing
} // namespace NoxCore

#endif
