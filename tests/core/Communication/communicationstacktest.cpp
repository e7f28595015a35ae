#include "fakecommunicationnode.h"

#include "support/qtprinters.h"

#include "Communication/communicationstack.h"
#include "Communication/comstream.h"
#include "Communication/nodestate.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace NoxCore::Communication;

namespace
{

QStringList namesOf(const QList<CommunicationStackElement*>& elements)
{
    QStringList names;
    for (const CommunicationStackElement* element : elements)
        names << element->name();
    return names;
}

// Root "ROOT", "MIDDLE" on it, and the two heads "LEFT" and "RIGHT" on "MIDDLE".
class CommunicationStackTest : public ::testing::Test
{
protected:
    CommunicationStackTest()
    {
        EXPECT_TRUE(stack.insertNode("ROOT", &root, QString()));
        EXPECT_TRUE(stack.insertNode("MIDDLE", &middle, &root));
        EXPECT_TRUE(stack.insertNode("LEFT", &left, "MIDDLE"));
        EXPECT_TRUE(stack.insertNode("RIGHT", &right, &middle));
    }

    FakeCommunicationNode root;
    FakeCommunicationNode middle;
    FakeCommunicationNode left;
    FakeCommunicationNode right;
    CommunicationStack stack;
};

} // namespace

TEST_F(CommunicationStackTest, ChainsEachNodeToItsNextElement)
{
    EXPECT_EQ(stack.rootElement(), stack.findElement("ROOT"));
    EXPECT_EQ(namesOf(stack.topElements()), (QStringList{"LEFT", "RIGHT"}));
    EXPECT_EQ(stack.findElement("LEFT")->next(), stack.findElement("MIDDLE"));
    NodeStateManager* manager = nullptr;
    ASSERT_TRUE(stack.tryGetStateManager(&right, &manager));
    EXPECT_EQ(manager, stack.findElement("RIGHT")->stateManager());
    EXPECT_EQ(left.nextNode, &middle);

    // Unknown next elements, and nodes that refuse theirs (a stream sits only on a driver), insert nothing.
    FakeCommunicationNode stranger;
    ComStream stream(nullptr, ComStream::theImmediateFlushPolicy);
    EXPECT_FALSE(stack.insertNode("STRANGER", &stranger, "NOWHERE"));
    EXPECT_FALSE(stack.insertNode("STRANGER", &stranger, &stream));
    EXPECT_FALSE(stack.insertNode("STREAM", &stream, "ROOT"));
    EXPECT_EQ(namesOf(stack.topElements()), (QStringList{"LEFT", "RIGHT"}));
}

TEST_F(CommunicationStackTest, OnlyHeadsAreRemovedAndClearingTakesTheRestDownFromTheHeadsToTheRoot)
{
    EXPECT_FALSE(stack.removeElement(stack.rootElement(), false));
    EXPECT_FALSE(stack.removeElement(stack.findElement("MIDDLE"), false));

    NodeStateManager* leftManager = stack.findElement("LEFT")->stateManager();
    leftManager->setActive(true);
    bool wasInStackWhenClosed = true;
    QObject::connect(leftManager, &NodeStateManager::stateChanged,
                     [&](NodeStateContext context, int, int)
                     { wasInStackWhenClosed = stack.findElement(context.nodeName()) != nullptr; });
    EXPECT_TRUE(stack.removeElement(stack.findElement("LEFT"), false));
    EXPECT_FALSE(left.opened);
    EXPECT_FALSE(wasInStackWhenClosed);
    EXPECT_EQ(namesOf(stack.topElements()), QStringList{"RIGHT"}) << "MIDDLE still carries RIGHT";

    // Each removal closes its node through the manager, so the reports show the order.
    QStringList closed;
    for (const char* name : {"ROOT", "MIDDLE", "RIGHT"})
        QObject::connect(stack.findElement(name)->stateManager(), &NodeStateManager::stateChanged,
                         [&closed](NodeStateContext context, int, int) { closed << context.nodeName(); });
    EXPECT_TRUE(stack.clearElements(false));
    EXPECT_EQ(closed, (QStringList{"RIGHT", "MIDDLE", "ROOT"}));
    EXPECT_TRUE(stack.topElements().isEmpty());
    EXPECT_TRUE(stack.clearElements(true)) << "empty stack";

    // A new root is taken only once the old one is gone.
    bool deleted = false;
    ASSERT_TRUE(stack.insertNode("ROOT", new FakeCommunicationNode(&deleted), QString()));
    EXPECT_TRUE(stack.clearElements(true));
    EXPECT_TRUE(deleted);
}
