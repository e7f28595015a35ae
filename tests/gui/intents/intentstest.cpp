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
    intent.execute();
    EXPECT_TRUE(calls.isEmpty()) << "unregistered executors are not called";
    {
        // Faults: a slot of the name with another parameter type got the pointer, and an executor deleted by
        // an earlier one's slot was called all the same.
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
    IntentGroup root("MainMenu"), level1("One"), level2("Two"), level3("Three");
    root.addItem(&level1);
    level1.addItem(&level2);
    level2.addItem(&level3);
    level3.addItem(&intent);

    QMenuBar menuBar;
    NoxGui::BarCreator::createMenuBar(&menuBar, &root);
    ASSERT_EQ(menuBar.actions().size(), 1);
    QMenu* menu = menuBar.actions().first()->menu();
    QStringList titles;
    while (menu != nullptr && !menu->actions().isEmpty() && menu->actions().first()->menu() != nullptr)
    {
        titles.append(menu->title());
        menu = menu->actions().first()->menu();
    }
    titles.append(menu->title());
    EXPECT_EQ(titles, QStringList({"One", "Two", "Three"}));

    QAction* entry = menu->actions().first();
    EXPECT_EQ(entry->text(), "Toggle");
    EXPECT_EQ(entry->toolTip(), "Toggles the test");
    EXPECT_EQ(entry->statusTip(), "Toggles the test");
    EXPECT_TRUE(entry->isCheckable());
    entry->trigger();
    entry->trigger();
    EXPECT_EQ(calls, QStringList({"menu:checked", "menu:unchecked"}));
}

TEST(IntentGroup, RemovingAnItemRemovesEveryOccurrence)
{
    IntentGroup group("File"), other("Other");
    group.addItem(&other);
    group.addItem(&other);
    EXPECT_EQ(group.items().size(), 2);
    group.removeItem(&other);
    EXPECT_TRUE(group.items().isEmpty());
}

#include "intentstest.moc"
