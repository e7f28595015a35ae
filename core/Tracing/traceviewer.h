#ifndef NOXCORE_TRACING_TRACEVIEWER_H
#define NOXCORE_TRACING_TRACEVIEWER_H

#include "itracesink.h"
#include "telegramfilter.h"

#include <QList>
#include <QObject>

namespace NoxCore
{
namespace Communication
{
class CommandInfo;
}

namespace Tracing
{

// Keeps the telegrams that pass its filters as CommandInfo records for display, oldest first, and tells a
// view about every record added and removed. Requests of request-and-response objects are left out: their
// response telegram carries the same values and the answer. The list is bounded: when it is full, the
// oldest records make room.
//
// Runs on the thread of the traced stream and of the view; no locking. The records are owned by the viewer.
class TraceViewer : public QObject, public virtual ITraceSink
{
    Q_OBJECT

public:
    static constexpr int DEFAULT_MAX_COMMAND_COUNT = 10000;
    static constexpr int DEFAULT_CLEAR_AMOUNT = 1;

    explicit TraceViewer(QObject* parent = nullptr);
    ~TraceViewer() override;

    // False when disabled, or for a telegram that passes the filters but is no telegram it can keep (a
    // tracer must not stop the program over one bad text); true when kept or filtered out.
    bool trace(QString telegram) override;

    void setFilter(unsigned int pattern);
    unsigned int filter() const;
    // Telegrams sharing a bit with it are left out even when they pass the filter.
    void setNegativeFilter(unsigned int pattern);
    unsigned int negativeFilter() const;
    bool setEnabled(bool enabled);
    bool isEnabled() const;

    QList<Communication::CommandInfo*>* getTracedProperties();
    // When full, clearAmount records at once make room. 0 < clearAmount <= maxCommandCount. Empties the list.
    void setMaxCommandCount(int maxCommandCount, int clearAmount);
    void clear();
    // Copies, owned by the caller, of up to count records from position on (to the end for a negative
    // count); position must not be negative.
    QList<Communication::CommandInfo*> exportCommands(int position, int count) const;

signals:
    void telegramTraced(NoxCore::Communication::CommandInfo* commandInfo);
    // Only for a removal of at least one record.
    void commandsDeleted(int position, int count);
    void enabledChanged(bool enabled);
    void filterChanged(unsigned int pattern);

private:
    void removeOldest(int count);

    unsigned int itsFilter = TelegramFilter::ALL;
    unsigned int itsNegativeFilter = 0;
    bool itsIsEnabled = true;
    QList<Communication::CommandInfo*> itsTracedCommands;
    int itsMaxCommandCount = DEFAULT_MAX_COMMAND_COUNT;
    int itsClearAmount = DEFAULT_CLEAR_AMOUNT;
};

} // namespace Tracing
} // namespace NoxCore

#endif
