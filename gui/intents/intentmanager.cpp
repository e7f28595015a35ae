#include "intentmanager.h"

#include "iintent.h"
#include "iintentexecuteparameter.h"
#include "iintentexecutor.h"

#include "Tools/noxassert.h"

#include <QMetaMethod>
#include <QPointer>

namespace NoxGui
{
namespace Intents
{

IntentManager* IntentManager::instance()
{
    static IntentManager theManager;
    return &theManager;
}

void IntentManager::addIntent(IIntent* intent)
{
    NOX_ASSERT(intent != NULL, "intent is Null!");
    itsIntents.append(intent);
}

void IntentManager::removeIntent(IIntent* intent)
{
    NOX_ASSERT(intent != NULL, "intent is Null!");
    itsIntents.removeAll(intent);
}

void IntentManager::addExecutor(IIntentExecutor* executor)
{
    NOX_ASSERT(executor != NULL, "executor is Null!");
    itsExecutors.append(executor);
}

void IntentManager::removeExecutor(IIntentExecutor* executor)
{
    NOX_ASSERT(executor != NULL, "executor is Null!");
    itsExecutors.removeAll(executor);
}

IIntent* IntentManager::findIntent(const QString& name) const
{
    for (IIntent* intent : itsIntents)
    {
        if (QLatin1String(intent->name()) == name)
            return intent;
    }
    return nullptr;
}

void IntentManager::execute(IIntent* intent, IIntentExecuteParameter* parameter)
{
    const QByteArray slotName = QByteArray(intent->name()) + "_execute";
    static const QByteArray parameterType =
        QMetaObject::normalizedType("NoxGui::Intents::IIntentExecuteParameter*");
    // A copy: an executor slot may register or remove executors (a dialog opening, a window closing).
    const QList<IIntentExecutor*> executors = itsExecutors;
    for (IIntentExecutor* executor : executors)
    {
        // One that an earlier slot removed, or deleted (which removes it), is gone for this call too.
        if (!itsExecutors.contains(executor))
            continue;
        const QPointer<QObject> object = dynamic_cast<QObject*>(executor);
        if (object.isNull())
            continue;
        const QMetaObject* metaObject = object->metaObject();
        for (int index = 0; index < metaObject->methodCount() && !object.isNull(); ++index)
        {
            // Invoking does not compare parameter types: a slot of that name taking anything but the
            // parameter would get the pointer's bits as its argument.
            const QMetaMethod method = metaObject->method(index);
            if (method.name() == slotName && method.parameterCount() == 1 &&
                method.parameterTypes().constFirst() == parameterType)
                method.invoke(object, Qt::AutoConnection,
                              Q_ARG(NoxGui::Intents::IIntentExecuteParameter*, parameter));
        }
    }
}

} // namespace Intents
} // namespace NoxGui
