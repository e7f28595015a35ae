#ifndef NOXCORE_COMMUNICATION_COMOBSERVERCACHE_H
#define NOXCORE_COMMUNICATION_COMOBSERVERCACHE_H

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace NoxCore
{
namespace Communication
{

class IComObserver;
class IRegisterInfo;

// Which observers to tell about which register. An observer either names its registers (by their keys) or
// follows every register. The cache owns none of the observers and keeps no register info: a description
// of each named register is copied when it is first named, so an observer may take its infos with it.
// Not locked; its owner serialises access.
class ComObserverCache
{
public:
    ComObserverCache();
    ~ComObserverCache();

    // Asks a filtering observer for its registers now; registers it names later are not seen.
    void append(IComObserver* observer);
    void remove(IComObserver* observer);
    // Every registered observer once, in the order they came.
    QList<IComObserver*> observers() const;
    // Those that name info's register and those that follow every register, in the order they came, so
    // that the order of registration does not decide who is told.
    QList<IComObserver*> findObservers(const IRegisterInfo* info) const;
    QString toString() const;

private:
    QList<IComObserver*> observersOf(const QByteArray& key) const;

    QMap<QByteArray, QList<IComObserver*>> itsObserversByKey;
    QMap<QByteArray, QString> itsDescriptionsByKey;
    QList<IComObserver*> itsGeneralObservers;
    QList<IComObserver*> itsAllObservers;
};

} // namespace Communication
} // namespace NoxCore

#endif
