#ifndef NOXCORE_COMMUNICATION_NODESTATECONTEXT_H
#define NOXCORE_COMMUNICATION_NODESTATECONTEXT_H

#include <QMap>
#include <QMetaType>
#include <QString>

namespace NoxCore
{
namespace Communication
{

class ICommunicationNode;

// Which node a state report or a state check is about: its name in the stack and the node itself. A copy
// travels with every stateChanged signal, so receivers may keep it; the node is never owned and may be gone
// by the time a queued copy arrives.
class NodeStateContext
{
public:
    NodeStateContext();
    NodeStateContext(const NodeStateContext& other);
    NodeStateContext& operator=(const NodeStateContext& other);
    virtual ~NodeStateContext();

    QString nodeName() const;
    void setNodeName(const QString& name);
    ICommunicationNode* communicationNode() const;
    // The node must not be null.
    void setCommunicationNode(ICommunicationNode* node);
    // Free key/value store for whoever inspects the context; the library itself puts nothing in it.
    QMap<QString, QString>* properties();

private:
    QString itsNodeName;
    ICommunicationNode* itsCommunicationNode;
    QMap<QString, QString> itsProperties;
};

} // namespace Communication
} // namespace NoxCore

// Lets the context travel through queued connections; NodeStateManager registers it at run time.
Q_DECLARE_METATYPE(NoxCore::Communication::NodeStateContext)

#endif
