// Timers: the arming frame, fire counts (repeat + 1), delays, no catch-up, pausing with the node.
#include "test_support.h"

using namespace stage;
using namespace stagetest;

class SchedulerTest : public StageTest {};

TEST_F(SchedulerTest, IntervalWithRepeatThirtyFiresThirtyOneTimesSixFramesApartThenStops) {
    ScenePtr scene = showScene();
    auto layer = Layer::create();
    scene->addChild(layer);
    std::vector<unsigned long long> firedAt;
    const unsigned long long scheduledAt = director().frames();
    layer->schedule(
        "replay", [&](float) { firedAt.push_back(director().frames()); }, 0.1f, 30, 0);
    frames(300);
    ASSERT_EQ(firedAt.size(), 31u) << "one play and thirty replays";
    // The first frame after scheduling only arms the timer; six frames of 1/60 s then reach 0.1 s.
    EXPECT_EQ(firedAt[0] - scheduledAt, 6u);
    for (std::size_t i = 1; i < firedAt.size(); ++i) {
        EXPECT_EQ(firedAt[i] - firedAt[i - 1], 6u);
    }
    EXPECT_FALSE(layer->isScheduled("replay"));
}

TEST_F(SchedulerTest, DelayOnceAndForeverTimersAndNoCatchUpAfterALongFrame) {
    NodePtr node = Node::create();
    node->resumeSchedulerAndActions();
    std::vector<float> once;
    std::vector<float> forever;
    int immediate = 0;
    node->scheduleOnce(
        "once", [&](float dt) { once.push_back(dt); }, 0.5f);
    node->schedule(
        "forever", [&](float dt) { forever.push_back(dt); }, 0.25f);
    node->scheduleOnce(
        "soon", [&](float) { ++immediate; }, 0);
    node->updateTimers(1); // arming: the delta is dropped
    EXPECT_TRUE(once.empty() && forever.empty() && immediate == 0);
    node->updateTimers(0.2f);
    EXPECT_EQ(immediate, 1) << "a zero delay fires on the frame after arming";
    node->updateTimers(0.2f);
    EXPECT_EQ(forever, (std::vector<float>{0.4f})) << "fires with the time it waited; the rest is dropped";
    node->updateTimers(0.2f);
    EXPECT_EQ(once.size(), 1u);
    EXPECT_FLOAT_EQ(once[0], 0.6f);
    node->updateTimers(5); // a long frame fires once
    EXPECT_EQ(forever.size(), 2u);
    EXPECT_FALSE(node->isScheduled("once"));
    EXPECT_TRUE(node->isScheduled("forever"));
}

TEST_F(SchedulerTest, SchedulingAKeyAgainOnlyChangesTheIntervalAndACallBackMayUnscheduleItself) {
    NodePtr node = Node::create();
    node->resumeSchedulerAndActions();
    int calls = 0;
    node->schedule(
        "t", [&](float) { ++calls; }, 1.0f, 0);
    node->schedule(
        "t", [&](float) { calls += 100; }, 0.5f, 5);
    node->updateTimers(0);
    node->updateTimers(0.5f);
    EXPECT_EQ(calls, 1) << "the first call-back with the new interval";
    EXPECT_FALSE(node->isScheduled("t")) << "repeat 0 from the first call still holds";

    int self = 0;
    node->schedule("self", [&](float) {
        ++self;
        node->unschedule("self");
    });
    for (int i = 0; i < 5; ++i) {
        node->updateTimers(kFrame);
    }
    EXPECT_EQ(self, 1);
}

TEST_F(SchedulerTest, LeavingTheStageFreezesTimersAndActionsAndCleanUpRemovesThem) {
    ScenePtr scene = showScene();
    NodePtr node = Node::create();
    scene->addChild(node);
    int calls = 0;
    node->schedule(
        "t", [&](float) { ++calls; }, 0.45f);
    node->runAction(MoveBy::create(1, {100, 0}));
    frames(1);
    frames(15); // 0.25 s
    scene->removeChild(node, false);
    frames(60);
    EXPECT_EQ(calls, 0);
    EXPECT_NEAR(node->position().x, 25, 0.01);
    scene->addChild(node);
    frames(15); // the timer kept its 0.25 s and reaches 0.45 s now
    EXPECT_EQ(calls, 1);
    EXPECT_NEAR(node->position().x, 50, 0.01);

    scene->removeChild(node, true);
    EXPECT_EQ(node->numberOfRunningActions(), 0u);
    EXPECT_FALSE(node->isScheduled("t"));
}
