// Sequences, spawns, repeats, repeat-forever and easing: how they split time, and the bounded behaviour
// where counts are zero or "unsigned -1".
#include "test_support.h"

#include <climits>

using namespace stage;
using namespace stagetest;

namespace {

struct Lone {
    NodePtr node = Node::create();
    Lone() { node->resumeSchedulerAndActions(); }
    void run(const ActionPtr& a) { ASSERT_TRUE(node->runAction(a)); }
    void step(int n = 1, float dt = kFrame) {
        for (int i = 0; i < n; ++i) {
            node->updateActions(dt);
        }
    }
    bool running() const { return node->numberOfRunningActions() > 0; }
};

ActionPtr count(int& calls) {
    return CallFunc::create([&calls] { ++calls; });
}

ActionPtr mark(std::vector<std::string>& log, std::string name) {
    return CallFunc::create([&log, name] { log.push_back(name); });
}

} // namespace

TEST(Sequence, ACallBackAfterAMoveFiresInTheFrameTheMoveEnds) {
    Lone l;
    int calls = 0;
    l.run(Sequence::create({MoveBy::create(1, {60, 0}), count(calls)}));
    l.step(64, 1.0f / 64);
    EXPECT_EQ(calls, 0);
    EXPECT_LT(l.node->position().x, 60);
    l.step(1, 1.0f / 64);
    EXPECT_EQ(calls, 1);
    EXPECT_FLOAT_EQ(l.node->position().x, 60);
    EXPECT_FALSE(l.running());
}

TEST(Sequence, InstantsSpreadOverTheFirstTwoFramesAsTheNestingDictates) {
    Lone l;
    std::vector<std::string> log;
    l.run(Sequence::create({mark(log, "a"), mark(log, "b")}));
    l.step(1);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
    l.step(1);
    EXPECT_FALSE(l.running());

    log.clear();
    l.run(Sequence::create({mark(log, "a"), mark(log, "b"), mark(log, "c"), mark(log, "d")}));
    l.step(1);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
    l.step(1);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_FALSE(l.running());
}

TEST(Sequence, ALongFrameStillCompletesTheFirstActionAndSplitsByDuration) {
    Lone l;
    l.run(Sequence::create({MoveBy::create(1, {100, 0}), MoveBy::create(3, {0, 100})}));
    l.step(1);
    l.step(1, 2); // t = 0.5: past the first action (split 0.25), a third into the second
    EXPECT_FLOAT_EQ(l.node->position().x, 100);
    EXPECT_NEAR(l.node->position().y, 100.0f / 3, 1e-4);
    l.step(1, 2);
    EXPECT_EQ(l.node->position(), Point(100, 100));
}

TEST(Sequence, ReverseRunsTheReversedChildrenBackwardsAndNeedsEveryChildReversible) {
    Lone l;
    auto seq = Sequence::create({MoveBy::create(1, {10, 0}), MoveBy::create(1, {0, 20})});
    l.run(seq->reverse());
    l.step(1);
    l.step(1, 1); // t = 0.5: the first half is the reversed second move
    EXPECT_EQ(l.node->position(), Point(0, -20));
    l.step(1, 1);
    EXPECT_EQ(l.node->position(), Point(-10, -20));

    EXPECT_EQ(Sequence::create({MoveBy::create(1, {1, 1}), ScaleTo::create(1, 2)})->reverse(), nullptr);
    EXPECT_EQ(Sequence::create({}), nullptr);
    EXPECT_EQ(Sequence::create({MoveBy::create(1, {1, 1}), nullptr}), nullptr);
    EXPECT_EQ(Sequence::create({RepeatForever::create(MoveBy::create(1, {1, 1}))}), nullptr);
}

TEST(Spawn, RunsTogetherWithTheShorterPaddedAndReverses) {
    Lone l;
    l.run(Spawn::create({MoveBy::create(2, {100, 0}), RotateBy::create(1, 90)}));
    l.step(1);
    l.step(1, 1);
    EXPECT_FLOAT_EQ(l.node->position().x, 50);
    EXPECT_FLOAT_EQ(l.node->rotation(), 90);
    l.step(1, 1);
    EXPECT_FLOAT_EQ(l.node->position().x, 100);
    EXPECT_FALSE(l.running());

    // In the reverse the short action comes last.
    l.run(Spawn::create({MoveBy::create(2, {100, 0}), RotateBy::create(1, 90)})->reverse());
    l.step(1);
    l.step(1, 1);
    EXPECT_FLOAT_EQ(l.node->position().x, 50);
    EXPECT_FLOAT_EQ(l.node->rotation(), 90);
    l.step(1, 1);
    EXPECT_FLOAT_EQ(l.node->rotation(), 0);
}

TEST(Repeat, LaysLoopsOutEvenlyWithTheLagAtEachLoopBoundary) {
    Lone l;
    l.run(Repeat::create(RotateBy::create(1, 90), 2));
    l.step(1);
    std::vector<float> seen;
    for (int i = 0; i < 8; ++i) {
        l.step(1, 0.25f);
        seen.push_back(l.node->rotation());
    }
    // At a boundary the inner gets the time past it on the repeat's own scale: 45 at 1 s, 101.25 at
    // 1.25 s; the frame after is on time again.
    EXPECT_EQ(seen, (std::vector<float>{22.5f, 45, 67.5f, 45, 101.25f, 135, 157.5f, 180}));
    EXPECT_FALSE(l.running());
}

TEST(Repeat, MoveThenPlaceBackVisitsTheTargetEachLoopAndEnds) {
    Lone l;
    int visits = 0;
    auto loop = Sequence::create({MoveTo::create(0.5f, {100, 0}),
                                  CallFunc::create([&](Node* n) { visits += n->position().x == 100; }),
                                  Place::create({0, 0})});
    l.run(Sequence::create({Repeat::create(loop, 2), MoveTo::create(0.5f, {100, 0})}));
    l.step(200);
    EXPECT_EQ(visits, 2);
    EXPECT_EQ(l.node->position(), Point(100, 0));
    EXPECT_FALSE(l.running());
}

TEST(Repeat, ZeroTimesAppliesTheInnerStartOnceAndFinishesAtOnce) {
    Lone l;
    int calls = 0;
    l.node->setScale(3);
    l.run(Repeat::create(Sequence::create({count(calls), ScaleTo::create(1, 1)}), 0));
    l.step(1);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(l.running());
    EXPECT_FLOAT_EQ(l.node->scale(), 3);
}

TEST(Repeat, AnInstantInnerRunsExactlyTheCountAndNeverHangs) {
    Lone l;
    int calls = 0;
    l.run(Repeat::create(count(calls), 3));
    l.step(1);
    EXPECT_EQ(calls, 0);
    l.step(1);
    EXPECT_EQ(calls, 3);
    EXPECT_FALSE(l.running());

    calls = 0;
    l.run(Repeat::create(count(calls), 0));
    l.step(3);
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(l.running());

    // "Unsigned -1" times: once a frame, without end.
    calls = 0;
    l.run(Repeat::create(count(calls), UINT_MAX));
    l.step(11);
    EXPECT_EQ(calls, 10);
    EXPECT_TRUE(l.running());
}

TEST(Repeat, UnsignedMinusOneTimesLoopsForeverAtMostOnceAFrameEvenWithZeroDurations) {
    // The rotate-and-snap-back pattern: the call-back after the repeat never comes.
    Lone l;
    int loops = 0;
    int rearmed = 0;
    auto inner = Sequence::create({RotateBy::create(0.5f, 30), RotateBy::create(1e-10f, -30), count(loops)});
    l.run(Sequence::create({Repeat::create(inner, UINT_MAX), count(rearmed)}));
    l.step(1);
    l.step(1, 0.25f);
    EXPECT_FLOAT_EQ(l.node->rotation(), 15);
    l.step(8, 0.25f); // 2.25 s
    EXPECT_EQ(loops, 4);
    EXPECT_EQ(rearmed, 0);

    // With zero durations the loop is as short as possible, yet each frame does bounded work.
    Lone z;
    loops = 0;
    z.run(Repeat::create(
        Sequence::create({RotateBy::create(0, 30), RotateBy::create(1e-10f, -30), count(loops)}), UINT_MAX));
    z.step(600);
    EXPECT_GE(loops, 590);
    EXPECT_LE(loops, 600);
    EXPECT_TRUE(z.running());
}

TEST(Repeat, AFrameRunsAtMostABoundedNumberOfLoopsYetTheRepeatKeepsItsTime) {
    // A near-zero loop with the largest count a book can write: about 140000 loops fall due in every
    // frame of a 60 Hz page. A frame runs a bounded number of them and counts the rest as done.
    Lone l;
    int loops = 0;
    int after = 0;
    auto inner = Sequence::create({RotateBy::create(0, 30), RotateBy::create(1e-10f, -30), count(loops)});
    auto repeat = Repeat::create(inner, 2147483647u);
    l.run(Sequence::create({repeat, count(after)}));
    l.step(1);
    l.step(1);
    EXPECT_GT(loops, 0);
    EXPECT_LE(loops, int(Repeat::kMaxLoopsPerUpdate) + 1);
    EXPECT_NEAR(l.node->rotation(), 0, 1e-3);
    // A long frame (a stalled machine) is no more work.
    loops = 0;
    l.step(1, 5);
    EXPECT_LE(loops, int(Repeat::kMaxLoopsPerUpdate) + 1);
    EXPECT_EQ(after, 0);
    // The repeat still lasts its whole duration, then what follows it runs.
    const float total = repeat->duration();
    ASSERT_GT(total, 100);
    l.step(int((total - 6) / 5), 5); // just short of the end: 5 s have passed already
    EXPECT_EQ(after, 0);
    l.step(2, 5);
    EXPECT_EQ(after, 1);
    EXPECT_FALSE(l.running());
}

TEST(Repeat, UpToTheBoundEveryLoopDueInAFrameRuns) {
    Lone l;
    int loops = 0;
    l.run(Repeat::create(Sequence::create({MoveBy::create(0, {1, 0}), count(loops)}),
                         Repeat::kMaxLoopsPerUpdate));
    l.step(1);
    l.step(1);
    EXPECT_EQ(loops, int(Repeat::kMaxLoopsPerUpdate));
    EXPECT_FLOAT_EQ(l.node->position().x, float(Repeat::kMaxLoopsPerUpdate));
    EXPECT_FALSE(l.running());
    // An instant inner likewise.
    loops = 0;
    l.run(Repeat::create(count(loops), Repeat::kMaxLoopsPerUpdate));
    l.step(2);
    EXPECT_EQ(loops, int(Repeat::kMaxLoopsPerUpdate));
}

TEST(RepeatForever, WrapsOnceAFrameCarryingTheOvershootAndNeverEnds) {
    Lone l;
    int loops = 0;
    l.run(RepeatForever::create(Sequence::create({MoveBy::create(1, {100, 0}), count(loops)})));
    l.step(1);
    l.step(1, 0.75f);
    l.step(1, 0.5f); // 1.25 s: one loop done, a quarter into the next
    EXPECT_EQ(loops, 1);
    EXPECT_FLOAT_EQ(l.node->position().x, 125);
    // A long frame restarts the loop once; the carried-over time may finish that loop too, but the
    // frame never runs more loops than that.
    l.step(1, 3);
    EXPECT_EQ(loops, 3);
    EXPECT_FLOAT_EQ(l.node->position().x, 300);
    EXPECT_TRUE(l.running());
    EXPECT_EQ(RepeatForever::create(Place::create({0, 0})), nullptr);
    EXPECT_TRUE(RepeatForever::create(MoveBy::create(1, {1, 0}))->reverse());
}

TEST(Easing, EaseRateIsLinearAndThereAndBackReturnsToTheStart) {
    Lone l;
    auto move = MoveBy::create(2, {100, 0});
    auto ease = EaseRate::create(move->clone(), 2);
    auto back = std::static_pointer_cast<EaseRate>(ease->reverse());
    EXPECT_FLOAT_EQ(back->rate(), 0.5f);
    l.run(Sequence::create({move, back}));
    l.step(1);
    l.step(1, 1);
    EXPECT_FLOAT_EQ(l.node->position().x, 50);
    l.step(1, 1);
    EXPECT_FLOAT_EQ(l.node->position().x, 100);
    l.step(1, 0.5f);
    EXPECT_FLOAT_EQ(l.node->position().x, 75) << "the ease-rate wrapper does not curve time";
    l.step(1, 0.5f);
    EXPECT_FLOAT_EQ(l.node->position().x, 50);
    l.step(1, 1);
    EXPECT_FLOAT_EQ(l.node->position().x, 0);

    // Tint there and back with a negative delta: the copy keeps the sign, so the colour comes back.
    Lone t;
    t.node->setColor({200, 200, 200});
    auto tint = TintBy::create(1, -100, 0, 50);
    t.run(Sequence::create({tint, EaseRate::create(tint->clone(), 1)->reverse()}));
    t.step(1);
    t.step(1, 1);
    EXPECT_EQ(t.node->color(), (Color3B{100, 200, 250}));
    t.step(1, 1);
    EXPECT_EQ(t.node->color(), (Color3B{200, 200, 200}));
}

TEST(Easing, EaseOutDeceleratesAndReverseTimeRunsBackwards) {
    Lone l;
    l.run(EaseOut::create(MoveBy::create(1, {100, 0}), 2));
    l.step(1);
    l.step(1, 0.25f);
    EXPECT_FLOAT_EQ(l.node->position().x, 50); // sqrt(0.25)

    Lone r;
    r.run(ReverseTime::create(MoveTo::create(1, {100, 0})));
    r.step(1); // t = 0 of the reverse is t = 1 of the move
    EXPECT_FLOAT_EQ(r.node->position().x, 100);
    r.step(1, 0.75f);
    EXPECT_FLOAT_EQ(r.node->position().x, 25);
}
