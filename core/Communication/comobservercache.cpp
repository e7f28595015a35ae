#include "comobservercache.h"

#include "icomobserver.h"
#include "iregisterinfo.h"

namespace NoxCore
{
namespace Communication
{

namespace
{

void appendOnce(QList<IComObserver*>& observers, IComObserver* observer)
{
    if (!observers.contains(observer))
        observers.append(observer);
}

} // namespace

ComObserverCache::ComObserverCache() = default;

ComObserverCache::~ComObserverCache() = default;

void ComObserverCache::append(IComObserver* observer)
{
    appendOnce(itsAllObservers, observer);
    if (!observer->filtersRegisters())
    {
        appendOnce(itsGeneralObservers, observer);
        return;
    }
    for (const IRegisterInfo* info : observer->observedRegisters())
    {
        if (info == nullptr)
            continue;
        const QByteArray key = info->key();
        if (!itsDescriptionsByKey.contains(key))
            itsDescriptionsByKey.insert(key, info->toString());
        appendOnce(itsObserversByKey[key], observer);
    }
}

void ComObserverCache::remove(IComObserver* observer)
{
    itsAllObservers.removeAll(observer);
    itsGeneralObservers.removeAll(observer);
    for (auto entry = itsObserversByKey.begin(); entry != itsObserversByKey.end();)
    {
        entry->removeAll(observer);
        if (!entry->isEmpty())
        {
            ++entry;
            continue;
        }
        itsDescriptionsByKey.remove(entry.key());
        entry = itsObserversByKey.erase(entry);
    }
}

QList<IComObserver*> ComObserverCache::observers() const
{
    return itsAllObservers;
}

QList<IComObserver*> ComObserverCache::findObservers(const IRegisterInfo* info) const
{
    return observersOf(info->key());
}

QString ComObserverCache::toString() const
{
    QString text = QStringLiteral("ComObserverCache entries:\n");
    for (auto entry = itsDescriptionsByKey.cbegin(); entry != itsDescriptionsByKey.cend(); ++entry)
    {
        text += QStringLiteral("    %1\n").arg(entry.value());
        for (IComObserver* observer : observersOf(entry.key()))
            text += QStringLiteral("        Observer: %1\n").arg(observer->observerName());
    }
    return text;
}

QList<IComObserver*> ComObserverCache::observersOf(const QByteArray& key) const
{
    const QList<IComObserver*> naming = itsObserversByKey.value(key);
    QList<IComObserver*> found;
    for (IComObserver* observer : itsAllObservers)
    {
        if (naming.contains(observer) || itsGeneralObservers.contains(observer))
            found.append(observer);
    }
    return found;
}

} // namespace Communication
} // namespace NoxCore
