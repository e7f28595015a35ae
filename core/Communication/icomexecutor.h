#ifndef NOXCORE_COMMUNICATION_ICOMEXECUTOR_H
#define NOXCORE_COMMUNICATION_ICOMEXECUTOR_H

#include <QQueue>

namespace NoxCore
{
namespace Communication
{

class IComObject;

// Runs com objects to completion: each execute() has read the answers before it returns.
class IComExecutor
{
public:
    virtual ~IComExecutor() = default;

    virtual bool open() = 0;
    virtual bool close() = 0;
    virtual bool isOpen() = 0;
    virtual int lastError() = 0;
    virtual bool execute(IComObject* object) = 0;
    // Runs the objects in order; the queue and its objects stay the caller's.
    virtual void execute(QQueue<IComObject*>* queue) = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
