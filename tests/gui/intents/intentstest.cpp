#include "intents/iintentexecutor.h"
#include "intents/intent.h"
#include "intents/intentexecuteparametercheckable.h"
#include "intents/intentgroup.h"
#include "intents/intentmanager.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <utility>

using namespace NoxGui::Intents;

// Records the calls an intent dispatch makes, with what the parameter said.
class RecordingExecutor : public QObject, public IIntentExecutor
{
    Q_OBJECT
    Q_INTERFACES(NoxGui::Intents::IIntentExecutor)

public:
    RecordingExecutor(const QString& label, QStringList& calls) : itsLabel(label), itsCalls(calls)
    {
        IntentManager::instance()->addExecutor(this);
    }
    ~RecordingExecutor() override { IntentManager::instance()->removeExecutor(this); }

public slots:
    void intTest_execute(NoxGui::Intents::IIntentExecuteParameter* parameter)
    {
        QString what = QStringLiteral("null");
        if (auto* checkable = dynamic_cast<IntentExecuteParameterCheckable*>(parameter))
            what = checkable->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked");
        itsCalls.append(itsLabel + ":" + what);
        delete std::exchange(victim, nullptr);
    }
    void intTest_execute(int) { itsCalls.append(itsLabel + ":int"); }

public:
    RecordingExecutor* victim = nullptr;

private:
    QString itsLabel;
    QStringList& itsCalls;
};

TEST(IntentManager, CallsEveryExecutorInRegistrationOrderAndForgetsWhatIsGone)
{
    QStringList calls;
    Intent intent("intTest", "Test", QIcon(), "Tests", false);
    EXPECT_EQ(IntentManager::instance()->findIntent("intTest"), &intent);
    {
        RecordingExecutor first("first", calls);
        RecordingExecutor second("second", calls);
        intent.execute();
        EXPECT_EQ(calls, QStringList({"first:null", "second:null"}));
    }
    calls.clear();
    {
        // Faults: a slot of the name with another parameter type got the pointer, and an executor deleted by
        // an earlier one's slot was called all the same. Those of the block above are gone too.
        RecordingExecutor first("first", calls);
        first.victim = new RecordingExecutor("second", calls);
        intent.execute();
        EXPECT_EQ(calls, QStringList({"first:null"}));
    }
}

#include "intentstest.moc"
