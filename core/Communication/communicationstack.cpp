#include "communicationstack.h"

#include "icomdriver.h"
#include "icomexecutor.h"
#include "icommunicationnode.h"
#include "nodestatemanager.h"

#include "Tools/noxassert.h"

namespace NoxCore
{
namespace Communication
{

namespace
{

template <typename Interface>
Interface* firstNodeOf(const QMap<QString, CommunicationStackElement*>& elements)
{
    for (CommunicationStackElement* element : elements)
    {
        if (auto* node = dynamic_cast<Interface*>(element->node()))
            return node;
    }
    return nullptr;
}

bool writeStateManager(CommunicationStackElement* element, NodeStateManager** stateManager)
{
    if (element == nullptr)
        return false;
    *stateManager = element->stateManager();
    return true;
}

} // namespace

CommunicationStack::CommunicationStack(QObject* parent) : QObject(parent), itsRootStackElement(nullptr) {}

CommunicationStack::~CommunicationStack()
{
    // Elements left behind would keep their managers polling nodes that their owner is about to delete.
    qDeleteAll(itsStackElements);
}

QString CommunicationStack::name() const
{
    return itsName;
}

void CommunicationStack::setName(const QString& name)
{
    itsName = name;
}

bool CommunicationStack::insertNode(const QString& name, ICommunicationNode* node, const QString& nextName)
{
    CommunicationStackElement* nextElement = nullptr;
    if (!nextName.isEmpty() && !tryGetElementByName(nextName, &nextElement))
        return false;
    return insertNodeInternal(name, node, nextElement);
}

bool CommunicationStack::insertNode(const QString& name, ICommunicationNode* node,
                                    ICommunicationNode* nextNode)
{
    CommunicationStackElement* nextElement = nullptr;
    if (nextNode != nullptr && !tryGetElementByNode(nextNode, &nextElement))
        return false;
    return insertNodeInternal(name, node, nextElement);
}

bool CommunicationStack::insertNodeInternal(const QString& name, ICommunicationNode* node,
                                            CommunicationStackElement* nextElement)
{
    NOX_ASSERT(!name.isNull(), "Node name not set.");
    NOX_ASSERT(!name.isEmpty(), "Node name is empty.");
    NOX_ASSERT(node != NULL, "node is Null!");
    NOX_ASSERT(!itsStackElements.contains(name),
               "CommunicationStack already contains a node with the same name.");
    // Two elements on one node would delete it twice when the stack is cleared with its nodes.
    NOX_ASSERT(findElement(node) == NULL, "CommunicationStack already contains this node.");
    NOX_ASSERT((nextElement == NULL && itsRootStackElement == NULL) ||
                   (nextElement != NULL && itsRootStackElement != NULL),
               "CommunicationStack already contains a root element or no next element is given.");

    if (nextElement != nullptr && !node->setNextNode(nextElement->node()))
        return false;
    auto* element = new CommunicationStackElement(name, node, nextElement);
    itsStackElements.insert(name, element);
    if (nextElement == nullptr)
        itsRootStackElement = element;
    else
        itsTopStackElements.removeAll(nextElement);
    itsTopStackElements.append(element);
    return true;
}

bool CommunicationStack::tryGetElementByName(const QString& name, CommunicationStackElement** element) const
{
    *element = findElement(name);
    return *element != nullptr;
}

bool CommunicationStack::tryGetElementByNode(ICommunicationNode* node,
                                             CommunicationStackElement** element) const
{
    CommunicationStackElement* found = findElement(node);
    if (found == nullptr)
        return false;
    *element = found;
    return true;
}

bool CommunicationStack::tryGetStateManager(const QString& name, NodeStateManager** stateManager) const
{
    return writeStateManager(findElement(name), stateManager);
}

bool CommunicationStack::tryGetStateManager(ICommunicationNode* node, NodeStateManager** stateManager) const
{
    return writeStateManager(findElement(node), stateManager);
}

CommunicationStackElement* CommunicationStack::findElement(const QString& name) const
{
    return itsStackElements.value(name, nullptr);
}

CommunicationStackElement* CommunicationStack::findElement(ICommunicationNode* node) const
{
    for (CommunicationStackElement* element : itsStackElements)
    {
        if (element->node() == node)
            return element;
    }
    return nullptr;
}

QStringList CommunicationStack::elementNames() const
{
    return itsStackElements.keys();
}

CommunicationStackElement* CommunicationStack::rootElement() const
{
    return itsRootStackElement;
}

QList<CommunicationStackElement*> CommunicationStack::topElements() const
{
    return itsTopStackElements;
}

IComExecutor* CommunicationStack::comExecutor() const
{
    return firstNodeOf<IComExecutor>(itsStackElements);
}

IComDriver* CommunicationStack::comDriver() const
{
    return firstNodeOf<IComDriver>(itsStackElements);
}

bool CommunicationStack::removeElement(CommunicationStackElement* element, bool deleteNode)
{
    if (!itsTopStackElements.contains(element))
        return false;
    itsStackElements.remove(element->name());
    itsTopStackElements.removeAll(element);
    if (element == itsRootStackElement)
        itsRootStackElement = nullptr;
    else if (!itsTopStackElements.contains(element->next()) && !isNextOfAnyElement(element->next()))
        itsTopStackElements.append(element->next());

    element->stateManager()->setActive(false);
    if (deleteNode)
        delete element->node();
    delete element;
    return true;
}

bool CommunicationStack::clearElements(bool deleteNodes)
{
    bool allRemoved = true;
    while (!itsTopStackElements.isEmpty())
        allRemoved = removeElement(itsTopStackElements.first(), deleteNodes) && allRemoved;
    return allRemoved;
}

bool CommunicationStack::isNextOfAnyElement(const CommunicationStackElement* element) const
{
    for (CommunicationStackElement* other : itsStackElements)
    {
        if (other->next() == element)
            return true;
    }
    return false;
}

} // namespace Communication
} // namespace NoxCore
