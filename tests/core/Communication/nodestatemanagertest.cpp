#include "fakecommunicationnode.h"

#include "support/qtprinters.h"

#include "Communication/nodestate.h"
#include "Communication/nodestatemanager.h"
#include "Tools/clock.h"

#include <QSignalSpy>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>

using namespace NoxCore::Communication;

namespace
{

const char* const CHECK_SLOT = SLOT(onCheckNodeState(NoxCore::Communication::NodeStateContext*));

// The check slot a stack gives a manager: it asks the node whether it really works.
class NodeChecker : public QObject
{
    Q_OBJECT
public:
    QList<NodeStateContext*> checkedContexts;

public slots:
    int onCheckNodeState(NoxCore::Communication::NodeStateContext* stateContext)
    {
        checkedContexts << stateContext;
        return NodeState::Open;
    }
};

// Each signal as "name previous>current".
QStringList changesOf(const QSignalSpy& spy)
{
    QStringList changes;
    for (const QList<QVariant>& arguments : spy)
        changes << QString("%1 %2>%3")
                       .arg(arguments.at(0).value<NodeStateContext>().nodeName())
                       .arg(arguments.at(1).toInt())
                       .arg(arguments.at(2).toInt());
    return changes;
}

class NodeStateManagerTest : public ::testing::Test
{
protected:
    NodeStateManagerTest() { manager.context()->setNodeName("MODULE_STREAM"); }

    FakeCommunicationNode node;
    NodeChecker checker;
    NodeStateManager manager{&node};
    QSignalSpy changes{&manager, &NodeStateManager::stateChanged};
};

} // namespace

TEST_F(NodeStateManagerTest, WaitsNoLongerThanAskedAndActivatingChecksAtOnceAndReportsOnlyChanges)
{
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(manager.waitForState(NodeState::Unknown, 0, 60000, false));
    EXPECT_FALSE(manager.waitForState(NodeState::Open, 0, 60000, false));
    EXPECT_FALSE(manager.waitForState(NodeState::Open, 20, 60000, false));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    // A negative poll period must not turn into an endless sleep.
    qint64 now = 0;
    NoxCore::Tools::Clock::setSource([&now] { return now += 5; });
    EXPECT_FALSE(manager.waitForState(NodeState::Open, 50, -1, false));
    NoxCore::Tools::Clock::resetSource();

    node.opened = true;
    ASSERT_TRUE(manager.stateCheckDelegate.set(&checker, CHECK_SLOT));
    manager.setActive(true);
    EXPECT_EQ(node.openCalls, 0) << "an open node is not opened again";
    EXPECT_EQ(checker.checkedContexts, QList<NodeStateContext*>{manager.context()});
    EXPECT_EQ(manager.checkState(), NodeState::Open);
    EXPECT_EQ(changesOf(changes), QStringList{"MODULE_STREAM 0>2"}) << "a repeated result is not reported";

    manager.setActive(false);
    EXPECT_FALSE(node.opened);
    EXPECT_EQ(changesOf(changes), (QStringList{"MODULE_STREAM 0>2", "MODULE_STREAM 2>4"}));
}

#include "nodestatemanagertest.moc"
