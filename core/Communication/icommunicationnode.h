#ifndef NOXCORE_COMMUNICATION_ICOMMUNICATIONNODE_H
#define NOXCORE_COMMUNICATION_ICOMMUNICATIONNODE_H

namespace NoxCore
{
namespace Communication
{

// One level of a communication stack (driver, stream, register core), chained to the level below it.
class ICommunicationNode
{
public:
    virtual ~ICommunicationNode() = default;

    virtual bool open() = 0;
    virtual bool isOpen() = 0;
    virtual bool close() = 0;
    // False when this node cannot sit on the given one.
    virtual bool setNextNode(ICommunicationNode* node) = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
