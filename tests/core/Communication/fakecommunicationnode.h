#ifndef LIDORA_TESTS_FAKECOMMUNICATIONNODE_H
#define LIDORA_TESTS_FAKECOMMUNICATIONNODE_H

#include "Communication/icommunicationnode.h"

// A node that opens only while it is openable, like a device that can be unplugged and plugged in again,
// and counts what managers and stacks do to it. It can report its own deletion to a flag the test keeps.
class FakeCommunicationNode : public NoxCore::Communication::ICommunicationNode
{
public:
    explicit FakeCommunicationNode(bool* deleted = nullptr) : deletedFlag(deleted) {}
    ~FakeCommunicationNode() override
    {
        if (deletedFlag != nullptr)
            *deletedFlag = true;
    }

    bool open() override
    {
        ++openCalls;
        opened = openable;
        return openable;
    }
    bool isOpen() override { return opened; }
    bool close() override
    {
        ++closeCalls;
        opened = false;
        return true;
    }
    bool setNextNode(ICommunicationNode* node) override
    {
        nextNode = node;
        return true;
    }

    bool openable = true;
    bool opened = false;
    int openCalls = 0;
    int closeCalls = 0;
    ICommunicationNode* nextNode = nullptr;
    bool* deletedFlag;
};

#endif
