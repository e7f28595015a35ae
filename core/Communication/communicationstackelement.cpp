#include "communicationstackelement.h"

namespace NoxCore
{
namespace Communication
{

CommunicationStackElement::CommunicationStackElement(const QString& name, ICommunicationNode* node,
                                                     CommunicationStackElement* next)
    : itsName(name), itsNext(next), itsNode(node), itsStateManager(node)
{
    itsStateManager.context()->setNodeName(name);
}

CommunicationStackElement::~CommunicationStackElement() = default;

CommunicationStackElement* CommunicationStackElement::next() const
{
    return itsNext;
}

QString CommunicationStackElement::name() const
{
    return itsName;
}

ICommunicationNode* CommunicationStackElement::node() const
{
    return itsNode;
}

NodeStateManager* CommunicationStackElement::stateManager()
{
    return &itsStateManager;
}

} // namespace Communication
} // namespace NoxCore
