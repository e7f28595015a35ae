#ifndef LIDORA_TESTS_FAKECOMMUNICATIONNODE_H
#define LIDORA_TESTS_FAKECOMMUNICATIONNODE_H

#include "Communication/icommunicationnode.h"

// A node that opens at once and counts its opens.
class FakeCommunicationNode : public NoxCore::Communication::ICommunicationNode
{
public:
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
    bool setNextNode(ICommunicationNode*) override { return true; }

    bool opened = false;
    int openCalls = 0;
};

#endif
