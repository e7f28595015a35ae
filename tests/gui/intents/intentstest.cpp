#include "barcreator.h"
#include "intents/iintentexecutor.h"
#include "intents/intent.h"
#include "intents/intentexecuteparametercheckable.h"
#include "intents/intentgroup.h"
#include "intents/intentmanager.h"

#include "support/qtprinters.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

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
    EXPECT_EQ(IntentManager::instance()->findIntent("inttest"), nullptr) << "names are case-sensitive";
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

    {
        Intent temporary("intTemporary", "T", QIcon(), "", false);
        EXPECT_NE(IntentManager::instance()->findIntent("intTemporary"), nullptr);
    }
    EXPECT_EQ(IntentManager::instance()->findIntent("intTemporary"), nullptr);
}

TEST(BarCreator, BuildsNestedMenusWhoseEntriesPassTheirCheckedState)
{
    QStringList calls;
    RecordingExecutor executor("menu", calls);
    Intent intent("intTest", "Toggle", QIcon(), "Toggles the test", true);
    // A group in the bar, and one in a menu.
    IntentGroup root("MainMenu"), file("File"), recent("Recent");
    root.addItem(&file);
    file.addItem(&recent);
    recent.addItem(&intent);

    QMenuBar menuBar;
    NoxGui::BarCreator::createMenuBar(&menuBar, &root);
    ASSERT_EQ(menuBar.actions().size(), 1);
    const QMenu* fileMenu = menuBar.actions().first()->menu();
    ASSERT_EQ(fileMenu->title(), "File");
    const QMenu* recentMenu = fileMenu->actions().first()->menu();
    ASSERT_EQ(recentMenu->title(), "Recent");

    QAction* entry = recentMenu->actions().first();
    EXPECT_EQ(entry->text(), "Toggle");
    EXPECT_EQ(entry->toolTip(), "Toggles the test");
    EXPECT_EQ(entry->statusTip(), "Toggles the test");
    EXPECT_TRUE(entry->isCheckable());
    entry->trigger();
    entry->trigger();
    EXPECT_EQ(calls, QStringList({"menu:checked", "menu:unchecked"}));
}

#include "intentstest.moc"
