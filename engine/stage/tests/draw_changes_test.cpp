// Drawing only what changes: a frame that would look like the one on screen is neither drawn nor
// presented, every kind of change is drawn, the picture is the one an always-drawing director makes, and
// the program's loop sleeps while nothing on stage is due instead of waking every millisecond.
#include "test_support.h"

#include "stage/draw_list.h"
#include "stage/sdl/software_canvas.h"

#include <chrono>
#include <cmath>
#include <limits>

using namespace stage;
using namespace stagetest;

namespace {

class DrawChanges : public StageTest {
protected:
    DrawChanges() {
        red_ = writePicture(dir_, "red.png", 40, 40, {255, 0, 0, 255});
        blue_ = writePicture(dir_, "blue.png", 40, 40, {0, 0, 255, 255});
    }

    // Steps one frame; true when it reached the screen.
    bool presented() {
        const int before = backend().framesDrawn();
        frames(1);
        return backend().framesDrawn() == before + 1;
    }

    std::string red_;
    std::string blue_;
};

} // namespace

TEST_F(DrawChanges, AnUnchangedFrameIsNeitherDrawnNorPresentedAndEveryChangeIs) {
    director().setDrawOnlyChanges(true);
    ScenePtr scene = showScene();
    SpritePtr a = Sprite::create(red_);
    a->setPosition({100, 100});
    scene->addChild(a);
    EXPECT_TRUE(presented());
    const unsigned long long shown = director().framesPresented();
    EXPECT_FALSE(presented());
    EXPECT_FALSE(presented());
    EXPECT_EQ(director().framesPresented(), shown);
    EXPECT_EQ(director().frames(), shown + 2) << "the frames still step";

    // Each change below reaches the screen once.
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"moved",
         [&] {
             a->setPosition({101, 100});
         }},
        {"scaled", [&] { a->setScale(1.5f); }},
        {"turned", [&] { a->setRotation(10); }},
        {"faded", [&] { a->setOpacity(100); }},
        {"tinted",
         [&] {
             a->setColor({10, 200, 10});
         }},
        {"another picture",
         [&] {
             a->setDisplayFrame(
                 SpriteFrame::create(director().textureCache().addImage(blue_), Rect(0, 0, 40, 40)));
         }},
        {"part of the picture",
         [&] { a->setDisplayFrame(SpriteFrame::create(a->texture(), Rect(0, 0, 20, 40))); }},
        {"hidden", [&] { a->setVisible(false); }},
        {"shown", [&] { a->setVisible(true); }},
        {"a child added",
         [&] {
             SpritePtr b = Sprite::create(red_);
             b->setTag(7);
             b->setPosition({100, 100});
             scene->addChild(b);
         }},
        {"z-order", [&] { scene->reorderChild(a, 5); }},
        {"a child removed", [&] { scene->removeChildByTag(7); }},
        {"the window exposed",
         [&] {
             InputEvent e;
             e.kind = InputEvent::Kind::Exposed;
             director().handleEvent(e);
         }},
    };
    for (const auto& [what, change] : changes) {
        change();
        EXPECT_TRUE(presented()) << what;
        EXPECT_FALSE(presented()) << what << ", the frame after";
    }
    // A node moved and moved back within one frame shows no change.
    a->setPosition({300, 300});
    a->setPosition({101, 100});
    EXPECT_FALSE(presented());
    // One sprite replaced by another of the same size at the same place, with another picture loaded
    // after the first one's texture is gone (the memory may well be the same): drawn.
    const std::string green = writePicture(dir_, "green.png", 40, 40, {0, 255, 0, 255});
    SpritePtr first = Sprite::create(green);
    first->setPosition({200, 200});
    scene->addChild(first);
    EXPECT_TRUE(presented());
    scene->removeChild(first);
    first.reset();
    director().textureCache().removeAllTextures();
    SpritePtr second = Sprite::create(writePicture(dir_, "yellow.png", 40, 40, {255, 255, 0, 255}));
    second->setPosition({200, 200});
    scene->addChild(second);
    EXPECT_TRUE(presented());
    EXPECT_EQ(backend().frame().at(200, 768 - 200), (Color4B{255, 255, 0, 255}));
    // An upright picture moved by less than what takes it to other whole pixels shows no change.
    second->setPosition({200.3f, 199.8f});
    EXPECT_FALSE(presented());
    second->setPosition({200.6f, 199.8f});
    EXPECT_TRUE(presented());
}

TEST_F(DrawChanges, RunningActionsAndTransitionsAreDrawnEveryFrameAndTheLastPictureStays) {
    director().setDrawOnlyChanges(true);
    ScenePtr scene = showScene();
    SpritePtr a = Sprite::create(red_);
    a->setPosition({100, 100});
    scene->addChild(a);
    frames(1);
    a->runAction(MoveBy::create(0.5f, {60, 0}));
    int shown = 0;
    for (int i = 0; i < 40; ++i) {
        shown += presented() ? 1 : 0;
    }
    // Frame 1 of the move applies t = 0 (no change), then about 30 frames move it, then it rests.
    EXPECT_GE(shown, 30);
    EXPECT_LE(shown, 31);
    EXPECT_FLOAT_EQ(a->position().x, 160);

    ScenePtr next = Scene::create();
    director().replaceScene(RotoZoomTransition::create(0.5f, next));
    shown = 0;
    int transitionFrames = 0;
    for (int i = 0; i < 40; ++i) {
        const bool during = std::dynamic_pointer_cast<TransitionScene>(director().runningScene()) != nullptr;
        const bool drew = presented();
        transitionFrames += during ? 1 : 0;
        shown += during && drew ? 1 : 0;
    }
    EXPECT_GT(transitionFrames, 25);
    EXPECT_EQ(shown, transitionFrames);
    EXPECT_EQ(director().runningScene(), next);
    EXPECT_FALSE(presented());
}

TEST_F(DrawChanges, ThePictureIsTheOneAnAlwaysDrawingDirectorMakes) {
    // The same scene played twice, drawing only changes (in part where the canvas keeps its frame) and
    // drawing every frame whole: the same pixels after every step. The window is wider than the scene,
    // so a picture leaving the scene is cut at its edge.
    const auto play = [&](bool onlyChanges, std::vector<Image>& out) {
        reset({360, 240}, {320, 240});
        director().setDrawOnlyChanges(onlyChanges);
        ScenePtr scene = showScene();
        SpritePtr bg = Sprite::create(writePicture(dir_, "bg.png", 320, 240, {20, 120, 20, 255}));
        bg->setPosition({160, 120});
        scene->addChild(bg);
        SpritePtr a = Sprite::create(red_);
        a->setPosition({60, 60});
        scene->addChild(a);
        a->runAction(Sequence::create({MoveBy::create(0.2f, {100, 0}), DelayTime::create(0.2f),
                                       RotateBy::create(0.2f, 90), Blink::create(0.3f, 3)}));
        // Another picture where the first one's move ends: it fades, goes behind, is mirrored and
        // stretched, and leaves across the scene's edge.
        SpritePtr b =
            Sprite::create(writeStrip(dir_, "strip.png", 30, 30, {{0, 0, 255, 160}, {255, 255, 0, 255}}));
        b->setPosition({150, 70});
        scene->addChild(b);
        b->runAction(Sequence::create(
            {DelayTime::create(0.25f), CallFunc::create([b] { b->setOpacity(120); }),
             CallFunc::create([scene, a] { scene->reorderChild(a, 1); }), DelayTime::create(0.1f),
             CallFunc::create([b] { b->setScaleX(-1.5f); }), CallFunc::create([b] {
                 b->setDisplayFrame(SpriteFrame::create(b->texture(), Rect(30, 0, 30, 30)));
             }),
             MoveBy::create(0.4f, {200, 20})}));
        for (int i = 0; i < 70; ++i) {
            frames(1);
            out.push_back(backend().frame());
        }
    };
    std::vector<Image> always;
    std::vector<Image> changes;
    play(false, always);
    play(true, changes);
    EXPECT_GT(director().framesPresentedInPart(), 35u) << "the frames were not drawn in part";
    ASSERT_EQ(always.size(), changes.size());
    for (std::size_t i = 0; i < always.size(); ++i) {
        ASSERT_EQ(always[i].pixels, changes[i].pixels) << "frame " << i;
    }
}

TEST_F(DrawChanges, WhatAnOpaquePictureHidesIsNotDrawnAgain) {
    // A bar moving under an opaque square: only where the bar shows beside the square is drawn again,
    // and the pixels are those of the whole frame.
    sdl::SoftwareCanvas part(200, 200);
    sdl::SoftwareCanvas whole(200, 200);
    std::string error;
    const TexturePtr bar =
        part.renderer().loadTexture(writePicture(dir_, "bar.png", 120, 40, {0, 0, 255, 255}), error);
    const TexturePtr square =
        part.renderer().loadTexture(writePicture(dir_, "square.png", 80, 80, {255, 0, 0, 255}), error);
    ASSERT_TRUE(bar && square) << error;
    const auto draw = [](Renderer& r, const Texture& t, float x, float y) {
        const Size s = t.size();
        const Point corners[4] = {{x, y + s.height}, {x + s.width, y + s.height}, {x + s.width, y}, {x, y}};
        r.drawTexture(t, Rect(0, 0, s.width, s.height), corners, {255, 255, 255, 255});
    };
    const auto frame = [&](DrawList& list, float barX) {
        list.beginFrame();
        list.clear({0, 0, 0, 255});
        draw(list, *bar, barX, 80);
        draw(list, *square, 60, 60);
        list.endFrame();
    };
    DrawList shown(part.renderer());
    DrawList now(part.renderer());
    frame(shown, 20);
    frame(now, 24);
    std::vector<Rect> areas;
    ASSERT_TRUE(now.changedAreas(shown, areas));
    ASSERT_FALSE(areas.empty());
    for (const Rect& a : areas) {
        const bool apart = a.maxX() <= 70 || a.minX() >= 130 || a.maxY() <= 70 || a.minY() >= 130;
        EXPECT_TRUE(apart) << "drawn again under the square: " << a.origin.x << "," << a.origin.y << " "
                           << a.size.width << "x" << a.size.height;
    }
    shown.playBack(part.renderer());
    now.playBack(part.renderer(), areas);
    now.playBack(whole.renderer());
    EXPECT_EQ(part.capture().pixels, whole.capture().pixels);
}

TEST_F(DrawChanges, TheStageSaysWhenItNeedsTheNextStep) {
    const double never = std::numeric_limits<double>::infinity();
    ScenePtr scene = showScene();
    EXPECT_EQ(director().secondsUntilDue(), never);
    // A timer: its arming frame is due at once, then its interval.
    scene->schedule(
        "tick", [](float) {}, 0.5f);
    EXPECT_EQ(director().secondsUntilDue(), 0);
    frames(1);
    EXPECT_NEAR(director().secondsUntilDue(), 0.5, 1e-6);
    frames(1, 0.2f);
    EXPECT_NEAR(director().secondsUntilDue(), 0.3, 1e-6);
    scene->scheduleOnce(
        "once", [](float) {}, 0.1f);
    EXPECT_EQ(director().secondsUntilDue(), 0);
    frames(1, 0.05f);
    EXPECT_NEAR(director().secondsUntilDue(), 0.1, 1e-6) << "the delay of the one-shot timer";
    scene->unschedule("tick");
    scene->unschedule("once");
    EXPECT_EQ(director().secondsUntilDue(), never);

    // Actions need every frame, also on a child; paused nodes need nothing.
    SpritePtr a = Sprite::create(red_);
    scene->addChild(a);
    a->runAction(DelayTime::create(5));
    EXPECT_EQ(director().secondsUntilDue(), 0);
    a->pauseSchedulerAndActions();
    EXPECT_EQ(director().secondsUntilDue(), never);
    a->resumeSchedulerAndActions();
    a->stopAllActions();
    EXPECT_EQ(director().secondsUntilDue(), never);

    // A scene change or the end is due at the next frame; a stopped director has nothing due.
    director().replaceScene(Scene::create());
    EXPECT_EQ(director().secondsUntilDue(), 0);
    frames(1);
    EXPECT_EQ(director().secondsUntilDue(), never);
    director().stopAnimation();
    director().end();
    EXPECT_EQ(director().secondsUntilDue(), never);
}

namespace {

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

} // namespace

TEST_F(DrawChanges, TheLoopSleepsOnAStillPageAndKeepsPaceOnAMovingOne) {
    // A still page with a timer that ends the loop after a second: the loop wakes for the timer's
    // arming frame and for the timer, not 60 times, and hardly uses the processor meanwhile.
    ScenePtr still = Scene::create();
    SpritePtr a = Sprite::create(red_);
    a->setPosition({100, 100});
    still->addChild(a);
    still->scheduleOnce(
        "end", [&](float) { director().end(); }, 1.0f);
    director().runWithScene(still);
    auto start = std::chrono::steady_clock::now();
    double cpu = processCpuSeconds();
    EXPECT_EQ(director().run(), 0);
    cpu = processCpuSeconds() - cpu;
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(took, 0.95);
    EXPECT_LE(director().frames(), 5u);
    EXPECT_LE(director().framesPresented(), 2u);
    EXPECT_LT(cpu, 0.2) << "seconds of processor time for one second of a still page";

    // A moving page keeps the frame rate: about 60 steps a second, each one drawn.
    reset({1024, 768}, {1024, 768});
    ScenePtr moving = Scene::create();
    SpritePtr b = Sprite::create(red_);
    b->setPosition({100, 100});
    moving->addChild(b);
    b->runAction(RepeatForever::create(MoveBy::create(1, {100, 0})));
    moving->scheduleOnce(
        "end", [&](float) { director().end(); }, 1.0f);
    director().runWithScene(moving);
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(director().run(), 0);
    took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(took, 0.95);
    EXPECT_GE(director().frames(), 20u) << "a loaded machine may drop frames, not this many";
    EXPECT_LE(director().frames(), 63u);
    EXPECT_GE(director().framesPresented() + 3, director().frames());
}
