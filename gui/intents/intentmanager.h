#ifndef NOXGUI_INTENTS_INTENTMANAGER_H
#define NOXGUI_INTENTS_INTENTMANAGER_H

#include <QList>
#include <QObject>
#include <QString>

namespace NoxGui
{
namespace Intents
{

class IIntent;
class IIntentExecutor;
class IIntentExecuteParameter;

// The process-wide registry of intents and of the objects that serve them. Executing an intent calls the
// slot "<intent name>_execute" taking one IIntentExecuteParameter* of every registered executor that has
// one, in registration order; an executor removed or deleted by an earlier slot of the same call is not
// called. Holds plain pointers: intents and executors unregister themselves before they go. GUI thread
// only.
class IntentManager : public QObject
{
    Q_OBJECT

public:
    static IntentManager* instance();

    void addIntent(IIntent* intent);
    void removeIntent(IIntent* intent);
    void addExecutor(IIntentExecutor* executor);
    void removeExecutor(IIntentExecutor* executor);

    // The first registered intent of exactly this name, or null.
    IIntent* findIntent(const QString& name) const;

    // The parameter may be null; executors must not keep it.
    void execute(IIntent* intent, IIntentExecuteParameter* parameter);

private:
    IntentManager() = default;

    QList<IIntent*> itsIntents;
    QList<IIntentExecutor*> itsExecutors;
};

} // namespace Intents
} // namespace NoxGui

#endif
