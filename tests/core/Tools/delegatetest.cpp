#include "Tools/delegate.h"
#include "Tools/multidelegate.h"

#include <QObject>
#include <QStringList>

#include <gtest/gtest.h>

using NoxCore::Tools::Delegate;
using NoxCore::Tools::MultiDelegate;

namespace
{

class SlotRecorder : public QObject
{
    Q_OBJECT
public:
    QStringList calls;

public slots:
    void onValue(int value) { calls << QString::number(value); }
    int twice(int value) { return 2 * value; }
};

} // namespace

TEST(Delegate, TakesTheMethodNameFromASlotSignatureAndCallsItDirectly)
{
    SlotRecorder recorder;
    Delegate delegate;
    ASSERT_TRUE(delegate.set(&recorder, SLOT(onValue(int))));
    EXPECT_TRUE(delegate.invoke(Q_ARG(int, 7)));
    // Wrong argument types do not reach the slot.
    EXPECT_FALSE(delegate.invoke(Q_ARG(QString, QStringLiteral("8"))));
    EXPECT_EQ(recorder.calls, QStringList{"7"});

    int result = 0;
    ASSERT_TRUE(delegate.set(&recorder, "1twice(int)"));
    EXPECT_TRUE(delegate.invoke(Q_RETURN_ARG(int, result), Q_ARG(int, 21)));
    EXPECT_EQ(result, 42);

    // Refused signatures keep the setting, which a copy takes; a null target or a reset clears it.
    EXPECT_FALSE(delegate.set(&recorder, "onValue(int)"));
    EXPECT_FALSE(delegate.set(&recorder, SIGNAL(destroyed())));
    EXPECT_FALSE(delegate.set(&recorder, nullptr));
    Delegate copy;
    EXPECT_TRUE(copy.set(&delegate));
    EXPECT_TRUE(delegate.set(nullptr, SLOT(onValue(int))));
    EXPECT_FALSE(delegate.invoke(Q_RETURN_ARG(int, result), Q_ARG(int, 1)));
    EXPECT_TRUE(copy.invoke(Q_RETURN_ARG(int, result), Q_ARG(int, 2)));
    EXPECT_EQ(result, 4);
    copy.reset();
    EXPECT_FALSE(copy.invoke(Q_RETURN_ARG(int, result), Q_ARG(int, 3)));
    EXPECT_EQ(result, 4);
}

TEST(MultiDelegate, CallsEveryDelegateInOrderAndReportsWhetherAllSucceeded)
{
    SlotRecorder first;
    SlotRecorder second;
    MultiDelegate delegates;
    EXPECT_TRUE(delegates.invoke());

    EXPECT_TRUE(delegates.add(&first, SLOT(onValue(int))));
    EXPECT_TRUE(delegates.add(&second, SLOT(onValue(int))));
    EXPECT_TRUE(delegates.invoke(Q_ARG(int, 3)));

    // A refused signature or a slot the target does not have is kept and fails every call; the delegates
    // after it still run.
    EXPECT_TRUE(delegates.add(&first, "onValue(int)"));
    EXPECT_TRUE(delegates.add(&second, SLOT(missing(int))));
    EXPECT_TRUE(delegates.add(&second, SLOT(onValue(int))));
    EXPECT_FALSE(delegates.invoke(Q_ARG(int, 4)));
    EXPECT_EQ(first.calls, (QStringList{"3", "4"}));
    EXPECT_EQ(second.calls, (QStringList{"3", "4", "4"}));
}

#include "delegatetest.moc"
