#include "nodestatecontext.h"

#include "Tools/noxassert.h"

namespace NoxCore
{
namespace Communication
{

NodeStateContext::NodeStateContext() : itsCommunicationNode(nullptr) {}

NodeStateContext::NodeStateContext(const NodeStateContext& other) = default;

NodeStateContext& NodeStateContext::operator=(const NodeStateContext& other) = default;

NodeStateContext::~NodeStateContext() = default;

QString NodeStateContext::nodeName() const
{
    return itsNodeName;
}

void NodeStateContext::setNodeName(const QString& name)
{
    itsNodeName = name;
}

ICommunicationNode* NodeStateContext::communicationNode() const
{
    return itsCommunicationNode;
}

void NodeStateContext::setCommunicationNode(ICommunicationNode* node)
{
    NOX_ASSERT(node != NULL, "node is Null!");
    itsCommunicationNode = node;
}

QMap<QString, QString>* NodeStateContext::properties()
{
    return &itsProperties;
}

} // namespace Communication
} // namespace NoxCore
