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
        appendOnce(itsObserversByKey[info->key()], observer);
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
