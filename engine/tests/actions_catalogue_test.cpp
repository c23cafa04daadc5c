// The action catalogue stepped in time: each kind of action with its repeat counts and directions, as a
// page runs it (a default action started when the page is built, or a hot-spot action on a touch).
#include "page_support.h"

#include <cmath>

using namespace pagetest;

namespace {

// The sprite is 100 x 100 with its top-left corner at (100, 100): its centre is at (150, 618).
const stage::Point kStart{150, 618};
// dst_point "500,100" puts the centre at (550, 618).
const stage::Point kTarget{550, 618};

class Actions : public PageTest {
protected:
    std::shared_ptr<Sprite> start(cJSON* defaultAction, Values spriteValues = {}) {
        picture("s.png", 100, 100, {255, 255, 255, 255});
        writeBook(1);
        writePage(0, page({}, {sprite("s", "s.png", "100,100", {}, {defaultAction}, spriteValues)}));
        EXPECT_TRUE(launch());
        auto s = spriteOf(0);
        EXPECT_TRUE(s);
        return s;
    }

    // Steps frame by frame for `duration` seconds, handing each frame's sprite to the probe.
    template <typename Probe> void watch(float duration, Probe probe) {
        const int n = int(std::ceil(duration / kFrame));
        for (int i = 0; i < n; ++i) {
            frames(1);
            probe();
        }
    }
};

// How often a one-way movement gets to its target and is put back to the start.
struct Visits {
    int arrivals = 0;
    int returns = 0;
    bool armed = true;
    float lastX = kStart.x;
    void see(float x) {
        if (armed && x >= kTarget.x - 20) {
            ++arrivals;
            armed = false;
        }
        if (x < lastX - 300) {
            ++returns;
            armed = true;
        }
        lastX = x;
    }
};

TEST_F(Actions, OneWayMoveThreeTimesVisitsTheTargetThreeTimesAndEndsThere) {
    auto s =
        start(action("Sprite_CCAction_1",
                     {{"dst_point", "500,100"}, {"action_delay_time", "1000"}, {"action_repeat_num", "3"}}));
    EXPECT_EQ(s->position(), kStart);
    Visits visits;
    bool stayedOnTheLine = true;
    watch(3.5f, [&] {
        visits.see(s->position().x);
        stayedOnTheLine = stayedOnTheLine && s->position().y == kStart.y;
    });
    EXPECT_EQ(visits.arrivals, 3);
    EXPECT_EQ(visits.returns, 2);
    EXPECT_TRUE(stayedOnTheLine);
    EXPECT_EQ(s->position(), kTarget);
    EXPECT_EQ(s->numberOfRunningActions(), 0u);
}

TEST_F(Actions, OneWayMoveOnceArrivesAfterItsDuration) {
    auto s = start(action("Sprite_CCAction_1", {{"dst_point", "500,100"}, {"action_delay_time", "1000"}}));
    seconds(0.5f);
    EXPECT_NEAR(s->position().x, 350, 8);
    seconds(0.55f);
    EXPECT_EQ(s->position(), kTarget);
}

TEST_F(Actions, EndlessOneWayMoveKeepsGoing) {
    auto s =
        start(action("Sprite_CCAction_1",
                     {{"dst_point", "500,100"}, {"action_delay_time", "500"}, {"action_repeat_num", "-1"}}));
    Visits visits;
    watch(5, [&] { visits.see(s->position().x); });
    EXPECT_GE(visits.arrivals, 9);
    EXPECT_EQ(s->numberOfRunningActions(), 1u);
}

TEST_F(Actions, MoveWithAnotherDirectionValueMovesNothing) {
    auto s = start(
        action("Sprite_CCAction_1",
               {{"dst_point", "500,100"}, {"action_delay_time", "500"}, {"unidirectionalMovement", "2"}}));
    EXPECT_EQ(s->numberOfRunningActions(), 0u);
    seconds(1);
    EXPECT_EQ(s->position(), kStart);
}

TEST_F(Actions, ThereAndBackMoveReturnsToItsStart) {
    auto s = start(action("Sprite_CCAction_1", {{"dst_point", "500,100"},
                                                {"action_delay_time", "1000"},
                                                {"unidirectionalMovement", "0"},
                                                {"action_repeat_num", "2"}}));
    float furthest = 0;
    int backHome = 0;
    float last = kStart.x;
    watch(4.2f, [&] {
        const float x = s->position().x;
        furthest = std::max(furthest, x);
        if (x <= kStart.x + 10 && last > kStart.x + 10) {
            ++backHome;
        }
        last = x;
    });
    EXPECT_NEAR(furthest, kTarget.x, 8);
    EXPECT_EQ(backHome, 2);
    EXPECT_NEAR(s->position().x, kStart.x, 0.01);
}

TEST_F(Actions, TintWithAnotherDirectionValueRunsThereAndBack) {
    auto s = start(action("Sprite_CCAction_6", {{"color_red", "-100"},
                                                {"color_green", "0"},
                                                {"color_blue", "-50"},
                                                {"action_delay_time", "1000"},
                                                {"unidirectionalMovement", "2"}}));
    int reddest = 255;
    watch(1, [&] { reddest = std::min<int>(reddest, s->color().r); });
    EXPECT_LE(reddest, 158);
    EXPECT_GE(reddest, 155);
    seconds(1.1f);
    EXPECT_EQ(s->color(), (stage::Color3B{255, 255, 255}));
    EXPECT_EQ(s->numberOfRunningActions(), 0u);
}

TEST_F(Actions, OneWayTintStaysTinted) {
    auto s = start(action("Sprite_CCAction_6",
                          {{"color_red", "-100"}, {"color_blue", "-50"}, {"action_delay_time", "500"}}));
    seconds(0.6f);
    EXPECT_EQ(s->color(), (stage::Color3B{155, 255, 205}));
}

TEST_F(Actions, ScaleWithZeroCountResetsToOneAndScalesOnce) {
    auto s = start(action("Sprite_CCAction_2",
                          {{"scale_rate", "1.5"}, {"action_delay_time", "1000"}, {"action_repeat_num", "0"}}),
                   {{"sprite_zoom_rate", "2"}});
    EXPECT_FLOAT_EQ(s->scale(), 1.0f);
    seconds(0.5f);
    EXPECT_NEAR(s->scale(), 1.25f, 0.02f);
    seconds(0.6f);
    EXPECT_FLOAT_EQ(s->scale(), 1.5f);
    seconds(1);
    EXPECT_FLOAT_EQ(s->scale(), 1.5f);
}

TEST_F(Actions, ThereAndBackScaleRepeatsAndEndsAtOne) {
    auto s = start(action("Sprite_CCAction_2", {{"scale_rate", "2"},
                                                {"action_delay_time", "500"},
                                                {"action_repeat_num", "2"},
                                                {"unidirectionalMovement", "0"}}),
                   {{"sprite_zoom_rate", "3"}});
    float largest = 0;
    watch(2.1f, [&] { largest = std::max(largest, s->scale()); });
    EXPECT_NEAR(largest, 2.0f, 0.05f);
    EXPECT_NEAR(s->scale(), 1.0f, 1e-4f);
}

TEST_F(Actions, RotateOneWayTwiceSnapsBackBetweenAndIsReadyAgainAtTheEnd) {
    auto s = start(action("Sprite_CCAction_4",
                          {{"delta_angle", "90"}, {"action_delay_time", "500"}, {"action_repeat_num", "2"}}));
    EXPECT_FALSE(s->isReady());
    float largest = 0;
    watch(1.2f, [&] { largest = std::max(largest, s->rotation()); });
    EXPECT_LE(largest, 90.01f);
    EXPECT_FLOAT_EQ(s->rotation(), 90);
    EXPECT_TRUE(s->isReady());
}

TEST_F(Actions, SwingWithABadCountRunsNothingAndKeepsTheSpriteReady) {
    auto s = start(action("Sprite_CCAction_3", {{"toright_angle", "30"},
                                                {"toright_delay_time", "500"},
                                                {"toleft_angle", "-30"},
                                                {"toleft_delay_time", "500"},
                                                {"action_repeat_num", "-5"}}));
    EXPECT_EQ(s->numberOfRunningActions(), 0u);
    EXPECT_TRUE(s->isReady());
}

TEST_F(Actions, OneWayJumpHopsAndLandsOnTheTarget) {
    auto s = start(action("Sprite_CCAction_5", {{"dst_point", "500,100"},
                                                {"jump_height", "80"},
                                                {"action_repeat_num_jump", "2"},
                                                {"action_delay_time", "1000"}}));
    float highest = 0;
    watch(1.1f, [&] { highest = std::max(highest, s->position().y); });
    EXPECT_GT(highest, kStart.y + 70);
    EXPECT_EQ(s->position(), kTarget);
}

TEST_F(Actions, CurveUsesItsPointsAsWrittenAndEndsAtItsOffset) {
    auto s = start(action("Sprite_CCAction_7", {{"ctl_pt1", "0,100"},
                                                {"ctl_pt2", "100,100"},
                                                {"dst_point", "100,0"},
                                                {"action_delay_time", "1000"}}));
    float highest = 0;
    watch(1.1f, [&] { highest = std::max(highest, s->position().y); });
    EXPECT_NEAR(highest, kStart.y + 75, 1); // y grows upwards: the points are not turned over
    EXPECT_NEAR(s->position().x, kStart.x + 100, 0.01);
    EXPECT_NEAR(s->position().y, kStart.y, 0.01);
}

TEST_F(Actions, FrameAnimationTwiceShowsTheStripTwiceThenRemovesItselfAndShowsTheSprite) {
    writeStrip(path("strip.png"), 20, 20, {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}});
    auto s = start(action("Sprite_CCAction_8", {{"texture_picture_file", "strip.png"},
                                                {"texture_num", "3"},
                                                {"texture_width", "20"},
                                                {"texture_height", "20"},
                                                {"action_delay_time", "100"},
                                                {"action_repeat_num", "2"}}));
    EXPECT_FALSE(s->isVisible());
    auto animation = std::dynamic_pointer_cast<stage::Sprite>(layer()->getChildByTag(-500));
    ASSERT_TRUE(animation);
    EXPECT_EQ(animation->position(), s->position());
    std::vector<float> shown{animation->displayFrame()->rect().origin.x};
    bool sawSpriteDuring = false;
    watch(0.8f, [&] {
        if (layer()->getChildByTag(-500)) {
            const float x = animation->displayFrame()->rect().origin.x;
            if (x != shown.back()) {
                shown.push_back(x);
            }
            sawSpriteDuring = sawSpriteDuring || s->isVisible();
        }
    });
    EXPECT_EQ(shown, (std::vector<float>{0, 20, 40, 0, 20, 40}));
    EXPECT_FALSE(sawSpriteDuring);
    EXPECT_FALSE(layer()->getChildByTag(-500));
    EXPECT_TRUE(s->isVisible());
}

TEST_F(Actions, EndlessFrameAnimationIsNotStartedTwice) {
    writeStrip(path("strip.png"), 10, 10, {{255, 0, 0, 255}, {0, 255, 0, 255}});
    const Values values{{"texture_picture_file", "strip.png"},
                        {"texture_num", "2"},
                        {"texture_width", "10"},
                        {"texture_height", "10"},
                        {"action_delay_time", "100"},
                        {"action_repeat_num", "-1"}};
    picture("s.png", 100, 100, {255, 255, 255, 255});
    writeBook(1);
    writePage(0,
              page({}, {sprite("s", "s.png", "100,100", {},
                               {action("Sprite_CCAction_8", values), action("Sprite_CCAction_8", values)})}));
    ASSERT_TRUE(launch());
    seconds(1);
    int animations = 0;
    for (const auto& child : layer()->children()) {
        animations += child->tag() == -500 ? 1 : 0;
    }
    EXPECT_EQ(animations, 1);
    EXPECT_FALSE(spriteOf(0)->isVisible());
}

TEST_F(Actions, FrameAnimationWithoutItsStripLeavesTheSpriteShown) {
    auto s = start(action("Sprite_CCAction_8", {{"texture_picture_file", "nothing.png"},
                                                {"texture_num", "3"},
                                                {"texture_width", "20"},
                                                {"texture_height", "20"},
                                                {"action_repeat_num", "1"}}));
    EXPECT_TRUE(s->isVisible());
    EXPECT_FALSE(layer()->getChildByTag(-500));
    EXPECT_TRUE(has(log_.text(), "nothing.png"));
}

TEST_F(Actions, BlinkFourTimesInTwoSecondsThenStaysVisible) {
    auto s = start(action("Sprite_CCAction_9", {{"action_delay_time", "500"}, {"action_repeat_num", "4"}}),
                   {{"sprite_ethreal_rate", "255"}});
    int hides = 0;
    int shows = 0;
    bool wasVisible = s->isVisible();
    float lastHide = 0;
    float now = 0;
    watch(2.5f, [&] {
        now += kFrame;
        const bool visible = s->isVisible();
        if (wasVisible && !visible) {
            ++hides;
            lastHide = now;
        }
        if (!wasVisible && visible) {
            ++shows;
        }
        wasVisible = visible;
    });
    EXPECT_EQ(hides, 4);
    EXPECT_EQ(shows, 4);
    EXPECT_LT(lastHide, 2.0f);
    EXPECT_TRUE(s->isVisible());
    EXPECT_EQ(s->numberOfRunningActions(), 0u);
}

TEST_F(Actions, UnknownActionNameRunsNothing) {
    for (const char* name : {"Sprite_CCAction_11", "Sprite_CCAction_10", "sprite_ccaction_1", ""}) {
        SCOPED_TRACE(name);
        bookState() = BookState{};
        auto s = start(
            action(name, {{"dst_point", "500,100"}, {"scale_rate", "2"}, {"action_delay_time", "100"}}));
        seconds(0.5f);
        EXPECT_EQ(s->numberOfRunningActions(), 0u);
        EXPECT_EQ(s->position(), kStart);
        EXPECT_FLOAT_EQ(s->scale(), 1);
        EXPECT_TRUE(s->isVisible());
    }
}

} // namespace
