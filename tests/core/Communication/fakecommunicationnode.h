#ifndef LIDORA_TESTS_FAKECOMMUNICATIONNODE_H
#define LIDORA_TESTS_FAKECOMMUNICATIONNODE_H

#include "Communication/icommunicationnode.h"

// A node that opens at once and counts its opens. It can report its own deletion to a flag the test keeps.
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
        opened = true;
        return true;
    }
    bool isOpen() override { return opened; }
    bool close() override
    {
        opened = false;
        return true;
    }
    bool setNextNode(ICommunicationNode* node) override
    {
        nextNode = node;
        return true;
    }

    bool opened = false;
    int openCalls = 0;
    ICommunicationNode* nextNode = nullptr;
    bool* deletedFlag;
};

#endif
