// Single actions stepped frame by frame on a node: state at chosen times, at the end, and their reverses.
#include "test_support.h"

using namespace stage;
using namespace stagetest;

namespace {

// A node outside any scene, stepped by hand through its own action list.
struct Lone {
    NodePtr node = Node::create();
    Lone() { node->resumeSchedulerAndActions(); }
    void run(const ActionPtr& a) { ASSERT_TRUE(node->runAction(a)); }
    void step(int n = 1, float dt = kFrame) {
        for (int i = 0; i < n; ++i) {
            node->updateActions(dt);
        }
    }
};

} // namespace

TEST(Actions, FirstStepIgnoresItsDeltaAndTheActionEndsWhenTheDurationIsReached) {
    Lone l;
    l.run(MoveBy::create(1, {60, 0}));
    l.step(1, 0.5f); // the first step only applies t = 0, whatever its delta
    EXPECT_FLOAT_EQ(l.node->position().x, 0);
    l.step(1, 0.25f);
    EXPECT_FLOAT_EQ(l.node->position().x, 15);
    l.step(1, 0.5f);
    EXPECT_FLOAT_EQ(l.node->position().x, 45);
    EXPECT_EQ(l.node->numberOfRunningActions(), 1u);
    l.step(1, 0.25f);
    EXPECT_FLOAT_EQ(l.node->position().x, 60);
    EXPECT_EQ(l.node->numberOfRunningActions(), 0u);
}

TEST(Actions, AOneSecondActionTakesOneFrameMoreThanItsDurationAndAZeroLengthOneTakesTwo) {
    Lone l;
    l.run(MoveBy::create(1, {100, 0}));
    l.step(64, 1.0f / 64); // deltas exact in binary, so the sum reaches 1 s exactly
    EXPECT_EQ(l.node->numberOfRunningActions(), 1u);
    l.step(1, 1.0f / 64);
    EXPECT_EQ(l.node->numberOfRunningActions(), 0u);
    EXPECT_FLOAT_EQ(l.node->position().x, 100);

    Lone z;
    z.run(MoveBy::create(0, {10, 0}));
    z.step(1);
    EXPECT_FLOAT_EQ(z.node->position().x, 0);
    z.step(1);
    EXPECT_FLOAT_EQ(z.node->position().x, 10);
    EXPECT_EQ(z.node->numberOfRunningActions(), 0u);
}

TEST(Actions, MovesStackSoAMoveToMissesItsTargetWhenSomethingElseMovesTheNode) {
    Lone l;
    l.node->setPosition({10, 10});
    l.run(MoveTo::create(1, {110, 10}));
    l.run(MoveBy::create(1, {0, 50}));
    l.step(1);
    l.step(4, 0.25f);
    EXPECT_FLOAT_EQ(l.node->position().x, 110);
    EXPECT_FLOAT_EQ(l.node->position().y, 60);

    // Moved by hand half-way: the move keeps the nudge and adds its own offset on top.
    Lone m;
    m.run(MoveTo::create(1, {100, 0}));
    m.step(1);
    m.step(1, 0.5f);
    m.node->setPosition(m.node->position() + Point{0, 20});
    m.step(1, 0.5f);
    EXPECT_FLOAT_EQ(m.node->position().x, 100);
    EXPECT_FLOAT_EQ(m.node->position().y, 20);
}

TEST(Actions, MoveToReversesBySeenOffsetAndPlaceActsOnTheNextStep) {
    Lone l;
    l.node->setPosition({20, 0});
    auto to = MoveTo::create(1, {120, 0});
    EXPECT_EQ(std::dynamic_pointer_cast<MoveBy>(to->reverse()) != nullptr, true);
    l.run(to);
    l.step(1);
    l.step(1, 1);
    l.run(to->reverse()); // the offset of its start: back by 100
    l.step(1);
    l.step(1, 1);
    EXPECT_FLOAT_EQ(l.node->position().x, 20);

    auto place = Place::create({7, 8});
    l.run(place);
    EXPECT_FLOAT_EQ(l.node->position().x, 20) << "instant actions act on the next step, not in runAction";
    l.step(1);
    EXPECT_EQ(l.node->position(), Point(7, 8));
    EXPECT_EQ(l.node->numberOfRunningActions(), 0u);
}

TEST(Actions, JumpByHopsAboveTheStraightLineAndLandsOnTheOffset) {
    Lone l;
    l.run(JumpBy::create(1, {100, 20}, 50, 2));
    l.step(1);
    l.step(1, 0.25f); // the top of the first hop
    EXPECT_FLOAT_EQ(l.node->position().x, 25);
    EXPECT_FLOAT_EQ(l.node->position().y, 5 + 50);
    l.step(1, 0.25f); // between the hops: back on the line
    EXPECT_FLOAT_EQ(l.node->position().y, 10);
    l.step(1, 0.5f);
    EXPECT_EQ(l.node->position(), Point(100, 20));

    // The reverse keeps the height, so it hops upwards on the way back too.
    auto back = JumpBy::create(1, {100, 20}, 50, 2)->reverse();
    l.run(back);
    l.step(1);
    l.step(1, 0.25f);
    EXPECT_FLOAT_EQ(l.node->position().y, 15 + 50);
    l.step(1, 0.75f);
    EXPECT_EQ(l.node->position(), Point(0, 0));
}

TEST(Actions, JumpToLandsOnItsTargetAndItsCloneKeepsTheTargetAfterARun) {
    Lone l;
    l.node->setPosition({10, 10});
    auto jump = JumpTo::create(1, {60, 10}, 30, 1);
    l.run(jump);
    l.step(1);
    l.step(1, 1);
    EXPECT_EQ(l.node->position(), Point(60, 10));

    Lone other;
    other.node->setPosition({200, 0});
    other.run(jump->clone());
    other.step(1);
    other.step(1, 1);
    EXPECT_EQ(other.node->position(), Point(60, 10));

    // Reverse after the run: minus the offset it saw.
    l.run(jump->reverse());
    l.step(1);
    l.step(1, 1);
    EXPECT_EQ(l.node->position(), Point(10, 10));
}

TEST(Actions, BezierByFollowsTheCurveRelativeToTheStartAndItsReverseTracesItBack) {
    Lone l;
    l.node->setPosition({100, 100});
    const BezierConfig curve{{0, 100}, {100, 100}, {100, 0}};
    l.run(BezierBy::create(2, curve));
    l.step(1);
    l.step(1, 1); // t = 0.5: 3/8 (c1 + c2) + 1/8 end
    EXPECT_FLOAT_EQ(l.node->position().x, 100 + 37.5f + 12.5f);
    EXPECT_FLOAT_EQ(l.node->position().y, 100 + 75);
    l.step(1, 1);
    EXPECT_EQ(l.node->position(), Point(200, 100));

    l.run(BezierBy::create(2, curve)->reverse());
    l.step(1);
    l.step(1, 1);
    EXPECT_FLOAT_EQ(l.node->position().x, 150);
    EXPECT_FLOAT_EQ(l.node->position().y, 175);
    l.step(1, 1);
    EXPECT_NEAR(l.node->position().x, 100, 1e-4);
    EXPECT_NEAR(l.node->position().y, 100, 1e-4);
}

TEST(Actions, ScaleByIsLinearFromTheStartScaleAndReversesByTheReciprocal) {
    Lone l;
    l.node->setScale(2);
    l.run(ScaleBy::create(1, 3));
    l.step(1);
    l.step(1, 0.5f);
    EXPECT_FLOAT_EQ(l.node->scale(), 4); // 2 + (6 - 2) / 2, not geometric
    l.step(1, 0.5f);
    EXPECT_FLOAT_EQ(l.node->scale(), 6);

    l.run(ScaleBy::create(1, 3)->reverse());
    l.step(1);
    l.step(1, 1);
    EXPECT_FLOAT_EQ(l.node->scale(), 2);

    EXPECT_EQ(ScaleTo::create(1, 2)->reverse(), nullptr);
    // A shrink to nothing cannot be undone by scaling; its reverse leaves the scale alone.
    l.run(ScaleBy::create(1, 0)->reverse());
    l.step(2, 1);
    EXPECT_FLOAT_EQ(l.node->scale(), 2);
}

TEST(Actions, RotateByTurnsWithoutWrappingAndReverses) {
    Lone l;
    l.node->setRotation(350);
    l.run(RotateBy::create(1, 40));
    l.step(1);
    l.step(1, 1);
    EXPECT_FLOAT_EQ(l.node->rotation(), 390);
    l.run(RotateBy::create(1, 40)->reverse());
    l.step(2, 1);
    EXPECT_FLOAT_EQ(l.node->rotation(), 350);
}

TEST(Actions, TintByWrapsChannelsAndACloneKeepsNegativeDeltas) {
    Lone l;
    l.node->setColor({200, 100, 10});
    auto tint = TintBy::create(1, -50, 200, -20);
    l.run(tint);
    l.step(1);
    l.step(1, 0.5f);
    EXPECT_EQ(l.node->color(), (Color3B{175, 200, 0}));
    l.step(1, 0.5f);
    EXPECT_EQ(l.node->color(), (Color3B{150, 44, 246})) << "300 and -10 wrap round modulo 256";

    Lone c;
    c.node->setColor({100, 100, 100});
    c.run(tint->clone());
    c.step(2, 1);
    EXPECT_EQ(c.node->color(), (Color3B{50, 44, 80}));

    c.run(tint->reverse());
    c.step(2, 1);
    EXPECT_EQ(c.node->color(), (Color3B{100, 100, 100}));
}

TEST(Actions, BlinkHidesTheFirstHalfOfEachBlinkAndRestoresVisibilityOnlyAtItsNaturalEnd) {
    Lone l;
    l.run(Blink::create(2, 4)); // 0.5 s a blink
    l.step(1);
    EXPECT_FALSE(l.node->isVisible());
    std::vector<bool> seen;
    // Elapsed 0.1, 0.4, 0.6, 0.9, 1.6, 1.9 s: the first and second half of blinks 1, 2 and 4.
    for (float dt : {0.1f, 0.3f, 0.2f, 0.3f, 0.7f, 0.3f}) {
        l.step(1, dt);
        seen.push_back(l.node->isVisible());
    }
    EXPECT_EQ(seen, (std::vector<bool>{false, true, false, true, false, true}));
    l.node->setVisible(false);
    l.step(1, 0.2f);
    EXPECT_TRUE(l.node->isVisible()) << "the visibility from before the blink comes back";
    EXPECT_EQ(l.node->numberOfRunningActions(), 0u);

    // Stopped early the node stays in whatever phase it was.
    Lone s;
    auto blink = Blink::create(2, 4);
    s.run(blink);
    s.step(1);
    s.node->stopAction(blink);
    EXPECT_FALSE(s.node->isVisible());

    // No blinks at all: hidden throughout, shown again at the end.
    Lone z;
    z.run(Blink::create(1, 0));
    z.step(1);
    z.step(1, 0.9f);
    EXPECT_FALSE(z.node->isVisible());
    z.step(1, 0.2f);
    EXPECT_TRUE(z.node->isVisible());
}

TEST(Actions, CallFuncGetsItsNodeAndItsReverseCallsAgain) {
    Lone l;
    std::vector<Node*> calls;
    auto call = CallFunc::create([&](Node* n) { calls.push_back(n); });
    l.run(call);
    EXPECT_TRUE(calls.empty());
    l.step(1);
    l.run(call->reverse());
    l.run(Hide::create());
    l.step(1);
    EXPECT_EQ(calls, (std::vector<Node*>{l.node.get(), l.node.get()}));
    EXPECT_FALSE(l.node->isVisible());
    l.run(Hide::create()->reverse());
    l.step(1);
    EXPECT_TRUE(l.node->isVisible());
}

TEST(Actions, AnActionRunsOnOneNodeAtATimeAndBadInputIsRefused) {
    Lone a;
    Lone b;
    auto move = MoveBy::create(1, {10, 0});
    EXPECT_TRUE(a.node->runAction(move));
    EXPECT_EQ(b.node->runAction(move), nullptr);
    EXPECT_TRUE(b.node->runAction(move->clone()));
    EXPECT_EQ(a.node->runAction(nullptr), nullptr);
    a.node->stopAllActions();
    EXPECT_TRUE(b.node->runAction(move)) << "a stopped action may be run again";
}

class AnimateTest : public StageTest {};

TEST_F(AnimateTest, FramesFollowTheirSplitTimesLoopAndTheLastOneStays) {
    const std::string strip =
        writeStrip(dir_, "strip.png", 10, 10, {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}});
    TexturePtr texture = director().textureCache().addImage(strip);
    ASSERT_TRUE(texture);
    std::vector<SpriteFramePtr> frames;
    for (int i = 0; i < 3; ++i) {
        frames.push_back(SpriteFrame::create(texture, {float(i * 10), 0, 10, 10}));
    }
    SpritePtr sprite = Sprite::createWithSpriteFrame(frames[0]);
    sprite->resumeSchedulerAndActions();
    auto shownIndex = [&] {
        for (int i = 0; i < 3; ++i) {
            if (sprite->displayFrame() == frames[std::size_t(i)]) {
                return i;
            }
        }
        return -1;
    };
    sprite->runAction(Animate::create(Animation::create(frames, 0.1f, 2)));
    std::vector<int> seen;
    sprite->updateActions(0);
    seen.push_back(shownIndex());
    for (float dt : {0.05f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f}) {
        sprite->updateActions(dt);
        seen.push_back(shownIndex());
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 0, 1, 2, 0, 1, 2, 2}));
    EXPECT_EQ(sprite->numberOfRunningActions(), 0u);

    // With restore on, the frame from before comes back at the end; the reverse runs backwards.
    auto animation = Animation::create(frames, 0.1f);
    animation->setRestoreOriginalFrame(true);
    sprite->setDisplayFrame(frames[1]);
    auto reversed = std::static_pointer_cast<Animate>(Animate::create(animation)->reverse());
    sprite->runAction(reversed);
    sprite->updateActions(0);
    EXPECT_EQ(shownIndex(), 2);
    sprite->updateActions(0.15f);
    EXPECT_EQ(shownIndex(), 1);
    sprite->updateActions(0.2f);
    EXPECT_EQ(shownIndex(), 1) << "restored after the natural end";
}
