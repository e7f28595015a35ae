#ifndef NOXCORE_COMMUNICATION_COMMUNICATIONSTACKELEMENT_H
#define NOXCORE_COMMUNICATION_COMMUNICATIONSTACKELEMENT_H

#include "nodestatemanager.h"

#include <QString>

namespace NoxCore
{
namespace Communication
{

class ICommunicationNode;

// One named level of a communication stack: the node, the element below it (null for the root) and the
// state manager that watches the node.
//
// Ownership: an element owns its state manager, never its node and never the element below it. Elements
// are created and deleted by their stack only.
class CommunicationStackElement
{
public:
    // The manager's context carries the element's name, so state reports say which level they are about.
    CommunicationStackElement(const QString& name, ICommunicationNode* node, CommunicationStackElement* next);
    virtual ~CommunicationStackElement();
    CommunicationStackElement(const CommunicationStackElement&) = delete;
    CommunicationStackElement& operator=(const CommunicationStackElement&) = delete;

    virtual CommunicationStackElement* next() const;
    virtual QString name() const;
    virtual ICommunicationNode* node() const;
    virtual NodeStateManager* stateManager();

private:
    QString itsName;
    CommunicationStackElement* itsNext;
    ICommunicationNode* itsNode;
    NodeStateManager itsStateManager;
};

} // namespace Communication
} // namespace NoxCore

#endif
