#ifndef NOXCORE_COMMUNICATION_IREGISTERINFO_H
#define NOXCORE_COMMUNICATION_IREGISTERINFO_H

#include <QByteArray>
#include <QList>
#include <QQueue>
#include <QString>

namespace NoxCore
{
namespace Communication
{

class IComObject;
class IRegisterComObjectProvider;
class IRegisterValue;

// Describes one register and translates accesses to it into com objects and back.
//
// A request builder adds com objects to the tail of a queue; after the queue has been executed, the
// matching response consumer takes exactly those objects off the head, reads the values out of them and
// deletes them. Builders and consumers are called in the same order on the same queue.
class IRegisterInfo
{
public:
    virtual ~IRegisterInfo() = default;

    // Identifies and orders registers.
    virtual QByteArray key() const = 0;
    virtual bool equals(const IRegisterInfo* other) const = 0;
    virtual bool operator<(const IRegisterInfo* other) const = 0;
    virtual QString id() const = 0;
    virtual QString toString() const = 0;
    virtual bool isReadOnly() const = 0;
    virtual bool isWriteOnly() const = 0;
    virtual bool canHandleValue(const IRegisterValue* value) const = 0;
    // A new value for this register; the caller owns it.
    virtual IRegisterValue* createValue() const = 0;

    virtual void processWriteRegisterRequest(QQueue<IComObject*>* comObjects, const IRegisterValue* value,
                                             IRegisterComObjectProvider* objectProvider) const = 0;
    virtual void processWriteRegisterResponse(QQueue<IComObject*>* comObjects,
                                              const IRegisterValue* value) const = 0;
    // Adds a null entry when the provider has no modify object, so that the pairing with the consumer holds.
    virtual void processModifyRegisterRequest(QQueue<IComObject*>* comObjects, const IRegisterValue* value,
                                              const IRegisterValue* mask,
                                              IRegisterComObjectProvider* objectProvider) const = 0;
    virtual void processModifyRegisterResponse(QQueue<IComObject*>* comObjects, const IRegisterValue* value,
                                               const IRegisterValue* mask) const = 0;
    virtual void processReadRegisterRequest(QQueue<IComObject*>* comObjects, const IRegisterValue* value,
                                            IRegisterComObjectProvider* objectProvider) const = 0;
    virtual void processReadRegisterResponse(QQueue<IComObject*>* comObjects,
                                             IRegisterValue* value) const = 0;
    // True when this register directly follows other, so both can be read in one block.
    virtual bool isDirectSuccessorOf(const IRegisterInfo* other) const = 0;
    // Reads values->count() registers starting with this one.
    virtual void processBlockReadRegisterRequest(QQueue<IComObject*>* comObjects,
                                                 const QList<IRegisterValue*>* values,
                                                 IRegisterComObjectProvider* objectProvider) const = 0;
    virtual void processBlockReadRegisterResponse(QQueue<IComObject*>* comObjects,
                                                  QList<IRegisterValue*>* values) const = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
