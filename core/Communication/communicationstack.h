#ifndef NOXCORE_COMMUNICATION_COMMUNICATIONSTACK_H
#define NOXCORE_COMMUNICATION_COMMUNICATIONSTACK_H

#include "communicationstackelement.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

namespace NoxCore
{
namespace Communication
{

class IComDriver;
class IComExecutor;
class ICommunicationNode;

// Chains of communication nodes under unique names: a driver at the bottom, a stream on it, a register core
// on the stream, and so on. The first node inserted is the root; every later node names the element it sits
// on (its next element), and the stack links the two nodes with setNextNode(). Several chains may share the
// root; the heads of the chains are the top elements. Elements are taken away from the heads down.
//
// Ownership: a stack owns its elements (it creates and deletes them, and each element its state manager).
// It never owns nodes: it deletes them only when asked to by removeElement() or clearElements().
//
// Every scan (lookup by node, comExecutor(), comDriver()) runs in ascending name order. Everything runs on
// the thread that owns the stack.
class CommunicationStack : public QObject
{
    Q_OBJECT
public:
    explicit CommunicationStack(QObject* parent = nullptr);
    // Deletes the elements still held, which stops their managers, but neither closes nor deletes their
    // nodes: an owner that wants the nodes closed or deleted calls clearElements() first.
    ~CommunicationStack() override;

    QString name() const;
    void setName(const QString& name);

    // An empty nextName (or a null nextNode) inserts the root. False, with nothing changed, if the next
    // element is not in the stack or the node refuses to sit on its node. Inserting the root twice, a later
    // node without a next element, an empty name, a name or node already in the stack, or a null node is a
    // programming error.
    bool insertNode(const QString& name, ICommunicationNode* node, const QString& nextName);
    bool insertNode(const QString& name, ICommunicationNode* node, ICommunicationNode* nextNode);

    // Writes the element, or null when there is none, to *element.
    bool tryGetElementByName(const QString& name, CommunicationStackElement** element) const;
    // Write to their out argument only when they find something.
    bool tryGetElementByNode(ICommunicationNode* node, CommunicationStackElement** element) const;
    bool tryGetStateManager(const QString& name, NodeStateManager** stateManager) const;
    bool tryGetStateManager(ICommunicationNode* node, NodeStateManager** stateManager) const;
    // Null when there is none.
    CommunicationStackElement* findElement(const QString& name) const;
    CommunicationStackElement* findElement(ICommunicationNode* node) const;

    CommunicationStackElement* rootElement() const;
    // Every element name, in ascending order.
    QStringList elementNames() const;
    // The heads of the chains, in the order in which they became heads.
    QList<CommunicationStackElement*> topElements() const;

    // The node of the first element, by name, that is an executor (driver); null if there is none.
    virtual IComExecutor* comExecutor() const;
    virtual IComDriver* comDriver() const;

    // Only a top element can be removed (false otherwise, nothing changed); the element below it becomes a
    // top element unless another one still stands on it. The element's manager is deactivated first, which
    // closes the node and may emit stateChanged with the element already out of the stack.
    bool removeElement(CommunicationStackElement* element, bool deleteNode);
    // Removes every element, heads first down to the root. True if every removal succeeded (and for an
    // empty stack).
    bool clearElements(bool deleteNodes);

protected:
    bool insertNodeInternal(const QString& name, ICommunicationNode* node,
                            CommunicationStackElement* nextElement);

private:
    bool isNextOfAnyElement(const CommunicationStackElement* element) const;

    QString itsName;
    QMap<QString, CommunicationStackElement*> itsStackElements;
    CommunicationStackElement* itsRootStackElement;
    QList<CommunicationStackElement*> itsTopStackElements;
};

} // namespace Communication
} // namespace NoxCore

#endif
