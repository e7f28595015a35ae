#include "telegramtestsupport.h"

#include "support/assertionpattern.h"
#include "support/scriptedcomdriver.h"

#include "Communication/commandinfo.h"
#include "Communication/comstream.h"
#include "Tracing/traceplayer.h"
#include "Tracing/traceprogrammer.h"
#include "Tracing/tracer.h"
#include "Tracing/tracerecorder.h"
#include "Tracing/traceviewer.h"

#include <QSignalSpy>

#include <memory>

using namespace NoxCore::Communication;
using namespace NoxCore::Tracing;

namespace
{

QStringList addresses(const QList<CommandInfo*>& commands)
{
    QStringList result;
    for (const CommandInfo* command : commands)
        result << command->getPropertyValue("Address");
    return result;
}

class TraceProgram : public TraceFileTest
{
protected:
    TraceProgram()
    {
        tracer.setComExecutor(&stream);
        for (const unsigned int address : {0x01, 0x02})
            programmer()->addCommand(manager->convertToCommandInfo(writeTelegram(address, 0)));
    }

    TraceProgrammer* programmer() { return tracer.programmer(); }
    QStringList program() { return addresses(*programmer()->getAllCommands()); }

    ScriptedComDriver driver;
    ComStream stream{&driver, ComStream::theImmediateFlushPolicy};
    Tracer tracer;
};

} // namespace

TEST_F(TelegramCommandsTest, ViewerKeepsAnswersAndFireAndForgetRequestsWithinItsBound)
{
    TraceViewer viewer;
    QSignalSpy deletions(&viewer, &TraceViewer::commandsDeleted);
    viewer.setMaxCommandCount(3, 2);

    const QString request = readTelegram(0x90, 0, REQUEST);
    EXPECT_TRUE(viewer.trace(request));
    EXPECT_TRUE(viewer.getTracedProperties()->isEmpty()) << "its response carries the same and the answer";
    for (const unsigned int address : {0x01, 0x02, 0x03, 0x04})
        EXPECT_TRUE(viewer.trace(readTelegram(address, 0, RESPONSE)));
    EXPECT_EQ(addresses(*viewer.getTracedProperties()), QStringList({"3", "4"}));
    EXPECT_EQ(deletions, (QList<QVariantList>{{0, 2}}));

    EXPECT_TRUE(viewer.trace(writeTelegram(0x05, 0)));
    const QList<CommandInfo*> exported = viewer.exportCommands(1, -1);
    EXPECT_EQ(addresses(exported), QStringList({"4", "5"}));
    qDeleteAll(exported);
    EXPECT_FALSE(viewer.trace("<Telegram Trace=\"1\">broken")) << "refused, not a reason to stop the program";
    viewer.setEnabled(false);
    EXPECT_FALSE(viewer.trace(writeTelegram(0x06, 0)));
}

TEST(TraceViewerDeathTest, BoundsMustBeUsable)
{
    TraceViewer viewer;
    EXPECT_DEATH(viewer.setMaxCommandCount(2, 3),
                 assertionPattern("Tracing/traceviewer", "clearAmount <= maxCommandCount",
                                  "The clear intervall must be smaller than the maximum command count"));
    EXPECT_DEATH(viewer.setMaxCommandCount(5, 0), assertionPattern("Tracing/traceviewer", "clearAmount > 0",
                                                                   "The clear amount cant be set to 0"));
}

TEST_F(TraceProgram, InsertsDeletesAndExportsRanges)
{
    QList<QPair<QStringList, int>> insertions;
    QObject::connect(programmer(), &TraceProgrammer::commandsInserted,
                     [&insertions](QList<CommandInfo*> infos, int position) {
                         insertions.append({addresses(infos), position});
                     });
    QSignalSpy deletions(programmer(), &TraceProgrammer::commandsDeleted);

    QList<CommandInfo*> added;
    for (const unsigned int address : {0x0a, 0x0b, 0x0c})
        added << manager->convertToCommandInfo(writeTelegram(address, 0));
    EXPECT_TRUE(programmer()->insertCommands(1, added));
    EXPECT_EQ(program(), QStringList({"1", "a", "b", "c", "2"}));
    EXPECT_EQ(insertions, (QList<QPair<QStringList, int>>{{{"a", "b", "c"}, 1}}));

    std::unique_ptr<CommandInfo> beyond(manager->convertToCommandInfo(writeTelegram(0x0d, 0)));
    EXPECT_FALSE(programmer()->insertCommand(6, beyond.get())) << "the caller keeps it";
    // Fault: a command could be owned twice, and was deleted twice; a negative count deleted to the end.
    EXPECT_FALSE(programmer()->insertCommand(0, added.first()));
    EXPECT_FALSE(programmer()->insertCommands(0, {beyond.get(), beyond.get()}));
    EXPECT_FALSE(programmer()->deleteCommands(1, -1));

    EXPECT_TRUE(programmer()->deleteCommands(1, 2));
    EXPECT_TRUE(programmer()->deleteCommands(1, 0));
    EXPECT_FALSE(programmer()->deleteCommands(3, 1));
    EXPECT_TRUE(programmer()->deleteCommands(1, 10));
    EXPECT_EQ(program(), QStringList({"1"}));
    EXPECT_EQ(deletions, (QList<QVariantList>{{1, 2}, {1, 2}}));
}

TEST_F(TraceProgram, ARecordedAnswerEntersTheProgramAsItsRequest)
{
    ASSERT_TRUE(programmer()->addCommand(manager->convertToCommandInfo(readTelegram(0x90, 0x8e, RESPONSE))));
    const CommandInfo* command = programmer()->getAllCommands()->last();
    EXPECT_EQ(command->getPropertyValue("TelegramType"), "Request");
    EXPECT_FALSE(command->containsProperty("Data"));
    EXPECT_TRUE(command->outPropertyNames().isEmpty());

    driver.addAnswer(0x61, 0, QByteArray::fromHex("8e"));
    QList<bool> executing;
    QObject::connect(programmer(), &TraceProgrammer::executionStateChanged,
                     [&executing](bool isExecuting) { executing << isExecuting; });
    EXPECT_TRUE(programmer()->execute(1, -1));
    EXPECT_EQ(driver.written(), QByteArray::fromHex("e1000300008002 00 6100030001 809081"));
    EXPECT_EQ(executing, QList<bool>({true, false}));
    EXPECT_FALSE(programmer()->execute(3, 1));
    EXPECT_TRUE(programmer()->execute(3, 0));
}

// Fault guarded: a slot reached through the player that edits the program (a view deleting a line, say) freed
// the commands the execution was still walking.
TEST_F(TraceProgram, ExecutionSurvivesTheProgramBeingEditedMeanwhile)
{
    QObject::connect(tracer.player(), &TracePlayer::playedSingleTelegram,
                     [this]() { programmer()->deleteCommands(0, programmer()->getAllCommands()->size()); });
    EXPECT_TRUE(programmer()->execute(0, -1));
    EXPECT_EQ(driver.written(), QByteArray::fromHex("e1000300008001 00 e1000300008002 00"));
    EXPECT_FALSE(programmer()->isExecuting());
}

// What a bad file does to a loaded program is with the bad input.
TEST_F(TraceProgram, SavedProgramLoadsBack)
{
    const QString saved = folder.filePath("program.xml");
    programmer()->getAllCommands()->last()->setComment("after the reset");
    ASSERT_TRUE(programmer()->saveProgram(saved));
    programmer()->deleteCommands(0, programmer()->getAllCommands()->size());
    ASSERT_TRUE(programmer()->loadProgram(saved));
    EXPECT_EQ(program(), QStringList({"1", "2"}));
    EXPECT_EQ(programmer()->getAllCommands()->last()->comment(), "after the reset") << "comments are kept";

    TraceProgrammer unwired;
    EXPECT_FALSE(unwired.saveProgram(saved));
    EXPECT_FALSE(unwired.loadProgram(saved));
}
