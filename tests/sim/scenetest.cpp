#include "boardfixture.h"

#include <gtest/gtest.h>

#include <QVector>

using LidoraSim::SimulatedBoard;

namespace
{

// The objects answers the demo would read, polling every 33 ms for 35 s from power-on.
QVector<QByteArray> watchScene(quint64 seed)
{
    BoardOnStreams rig(seed);
    QVector<QByteArray> answers;
    for (int poll = 0; poll < 35000 / 33; ++poll)
    {
        rig.clock.advance(33);
        ScriptedComObject objects = commandOf(0x02, "", 17);
        rig.exchange(SimulatedBoard::Channel::Module, objects);
        answers.append(objects.answer);
    }
    return answers;
}

} // namespace

// Which demo states a scene shows is checked with the demo's own classifier, on the HID path; here a seed
// must replay its scene and stay within what the sensor reports.
TEST(SimulatedScene, SameSeedReplaysTheSameSceneAndEverySeedStaysInRange)
{
    const QVector<QByteArray> first = watchScene(SimulatedBoard::DEFAULT_SCENE_SEED);
    EXPECT_EQ(watchScene(SimulatedBoard::DEFAULT_SCENE_SEED), first);
    const QVector<QByteArray> other = watchScene(8);
    EXPECT_NE(other, first);
    for (const QVector<QByteArray>& answers : {first, other})
    {
        for (int poll = 0; poll < answers.size(); ++poll)
        {
            const QByteArray& answer = answers[poll];
            ASSERT_EQ(answer.size(), 17) << poll;
            EXPECT_EQ(answerField(answer, 0) == 0, answerField(answer, 2, 2) == 0) << poll;
            EXPECT_LE(answerField(answer, 2, 2), 2500u) << poll;
            EXPECT_LE(answerField(answer, 8), 63u) << poll;
        }
    }
}
