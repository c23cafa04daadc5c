// The director: when scenes change, ending, pausing, the show-all view and the touch path through it,
// textures leaving with their page, and sound calls.
#include "test_support.h"

#include <fstream>

using namespace stage;
using namespace stagetest;

namespace {

// A touch layer that claims everything and remembers where touches began (node space).
class TouchLog : public Layer {
public:
    TouchLog() { setTouchEnabled(true); }
    bool touchBegan(Touch& t) override {
        began.push_back(t.location());
        return true;
    }
    std::vector<Point> began;
};

} // namespace

class DirectorTest : public StageTest {};

TEST_F(DirectorTest, ScenesChangeAtTheNextFrameAfterItsTickAndTheLastRequestWins) {
    Journal journal = makeJournal();
    auto& j = *journal;
    auto a = std::make_shared<JournalScene>("a", journal);
    director().runWithScene(a);
    EXPECT_EQ(director().runningScene(), nullptr);
    frames(1);
    EXPECT_EQ(j, (std::vector<std::string>{"a.enter", "a.didFinish"}));
    EXPECT_EQ(director().runningScene(), a);

    j.clear();
    a->runAction(CallFunc::create([&] { j.push_back("a.tick"); }));
    auto b = std::make_shared<JournalScene>("b", journal);
    auto c = std::make_shared<JournalScene>("c", journal);
    director().replaceScene(c);
    director().replaceScene(b);
    EXPECT_EQ(director().runningScene(), a);
    frames(1);
    EXPECT_EQ(j, (std::vector<std::string>{"a.tick", "a.exitStart", "a.exit", "a.cleanup", "b.enter",
                                           "b.didFinish"}));
    EXPECT_EQ(director().runningScene(), b);

    std::weak_ptr<Scene> gone = a;
    a.reset();
    EXPECT_TRUE(gone.expired()) << "the old scene is released with the change";
}

TEST_F(DirectorTest, EndStopsAtTheNextFrameAfterTheFrameThatAskedForIt) {
    ScenePtr scene = showScene();
    auto layer = std::make_shared<TouchLog>();
    scene->addChild(layer);
    const std::string music = writePicture(dir_, "music.png", 1, 1, {});
    director().audio().playMusic(music, true);
    layer->scheduleOnce(
        "end", [&](float) { director().end(); }, 0);
    frames(2); // arm, then end() inside the tick
    const int drawn = backend().framesDrawn();
    EXPECT_FALSE(director().hasEnded());
    frames(1);
    EXPECT_TRUE(director().hasEnded());
    EXPECT_EQ(backend().framesDrawn(), drawn) << "the purge frame draws nothing";
    EXPECT_FALSE(layer->isRunning());
    EXPECT_FALSE(director().touchDispatcher().hasDelegate(layer.get()));
    EXPECT_FALSE(director().audio().isMusicPlaying());
    EXPECT_EQ(director().run(), 0);
}

TEST_F(DirectorTest, TheLoopRunsFramesDeliversWindowEventsAndReturnsZeroOnQuit) {
    ScenePtr scene = Scene::create();
    auto layer = std::make_shared<TouchLog>();
    scene->addChild(layer);
    int frameCount = 0;
    layer->schedule("frames", [&](float) {
        if (++frameCount == 3) {
            InputEvent press;
            press.kind = InputEvent::Kind::TouchBegan;
            press.position = {100, 100};
            backend().pushEvent(press);
            InputEvent quit;
            quit.kind = InputEvent::Kind::Quit;
            backend().pushEvent(quit);
        }
    });
    director().runWithScene(scene);
    EXPECT_EQ(director().run(), 0);
    EXPECT_TRUE(director().hasEnded());
    EXPECT_EQ(frameCount, 3);
    ASSERT_EQ(layer->began.size(), 1u);
    EXPECT_EQ(layer->began[0], Point(100, 668));
}

TEST_F(DirectorTest, PauseFreezesTimeButKeepsDrawingAndResumeStartsWithAZeroDelta) {
    ScenePtr scene = showScene();
    scene->runAction(MoveBy::create(1, {100, 0}));
    frames(1);
    director().pause();
    EXPECT_DOUBLE_EQ(director().animationInterval(), 0.25);
    const int drawn = backend().framesDrawn();
    frames(10, 0.25f);
    EXPECT_FLOAT_EQ(scene->position().x, 0);
    EXPECT_EQ(backend().framesDrawn(), drawn + 10);
    director().resume();
    EXPECT_DOUBLE_EQ(director().animationInterval(), 1.0 / 60);
    frames(1, 0.5f);
    EXPECT_FLOAT_EQ(scene->position().x, 0);
    frames(1, 0.5f);
    EXPECT_FLOAT_EQ(scene->position().x, 50);

    director().stopAnimation();
    frames(5, 0.1f);
    EXPECT_FLOAT_EQ(scene->position().x, 50);
    EXPECT_EQ(backend().framesDrawn(), drawn + 12) << "stopped: no frames at all";
    director().startAnimation();
    frames(1, 0.1f);
    frames(1, 0.1f);
    EXPECT_FLOAT_EQ(scene->position().x, 60);
}

TEST_F(DirectorTest, ShowAllScalesUniformlyIntoAWideWindowAndTouchesMapThroughTheBars) {
    reset({1280, 720}, {1024, 768});
    EXPECT_EQ(director().winSize(), Size(1024, 768));
    EXPECT_FLOAT_EQ(director().viewScale(), 0.9375f);
    EXPECT_EQ(director().viewportInPixels(), Rect(160, 0, 960, 720));
    EXPECT_EQ(director().convertToGL({0, 0}), Point(0, 768));
    EXPECT_EQ(director().convertToUI({10, 700}), Point(10, 68));

    ScenePtr scene = showScene();
    auto layer = std::make_shared<TouchLog>();
    scene->addChild(layer);
    touch(InputEvent::Kind::TouchBegan, {640, 360});
    touch(InputEvent::Kind::TouchEnded, {640, 360});
    touch(InputEvent::Kind::TouchBegan, {1120, 720}, 1);
    touch(InputEvent::Kind::TouchBegan, {100, 300}, 2); // on the left bar: dropped
    ASSERT_EQ(layer->began.size(), 2u);
    EXPECT_EQ(layer->began[0], Point(512, 384));
    EXPECT_EQ(layer->began[1], Point(1024, 0));

    // A 100 x 100 picture at the design origin covers 93.75 pixels in the bottom-left of the design area.
    const std::string pic = writePicture(dir_, "p.png", 100, 100, {255, 0, 0, 255});
    SpritePtr sprite = Sprite::create(pic);
    sprite->setAnchorPoint({0, 0});
    scene->addChild(sprite);
    frames(1);
    ASSERT_EQ(backend().draws().size(), 1u);
    EXPECT_EQ(backend().draws()[0].bounds, Rect(160, 626.25f, 93.75f, 93.75f));
}

TEST_F(DirectorTest, ShowAllLetterboxesATallWindowTopAndBottom) {
    reset({600, 1000}, {1024, 768});
    EXPECT_FLOAT_EQ(director().viewScale(), 600.0f / 1024);
    EXPECT_EQ(director().viewportInPixels(), Rect(0, 275, 600, 450));
    ScenePtr scene = showScene();
    auto layer = std::make_shared<TouchLog>();
    scene->addChild(layer);
    touch(InputEvent::Kind::TouchBegan, {300, 275});
    touch(InputEvent::Kind::TouchEnded, {300, 275});
    touch(InputEvent::Kind::TouchBegan, {300, 100}, 1); // top bar
    ASSERT_EQ(layer->began.size(), 1u);
    EXPECT_EQ(layer->began[0], Point(512, 768));
}

TEST_F(DirectorTest, PicturesAreLoadedOnceAndLeaveWithThePageThatUsedThem) {
    const std::string shared = writePicture(dir_, "shared.png", 8, 8, {0, 0, 255, 255});
    const std::string only = writePicture(dir_, "only.png", 8, 8, {0, 255, 0, 255});
    ScenePtr first = showScene();
    SpritePtr a = Sprite::create(shared);
    SpritePtr b = Sprite::create(shared);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->texture(), b->texture());
    EXPECT_EQ(a->contentSize(), Size(8, 8));
    first->addChild(a);
    first->addChild(b);
    first->addChild(Sprite::create(only));
    EXPECT_EQ(director().textureCache().count(), 2u);

    ScenePtr second = Scene::create();
    second->addChild(Sprite::create(shared));
    a.reset();
    b.reset();
    first.reset();
    director().replaceScene(second);
    frames(1);
    EXPECT_EQ(director().textureCache().count(), 1u);
    EXPECT_TRUE(director().textureCache().textureForPath(shared));

    // Missing or broken pictures give no sprite and an empty menu item, never a crash, and say why.
    LogCapture log;
    EXPECT_EQ(Sprite::create(dir_.file("missing.png")), nullptr);
    EXPECT_TRUE(log.contains("missing.png"));
    const std::string notPicture = dir_.file("broken.png");
    { std::ofstream(notPicture) << "not a picture"; }
    EXPECT_EQ(Sprite::create(notPicture), nullptr);
    auto item = MenuItemImage::create(dir_.file("missing.png"), dir_.file("missing.png"), nullptr);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->contentSize(), Size(0, 0));
    second->addChild(Menu::create({item}));
    frames(2);
}

TEST_F(DirectorTest, SoundCallsReachTheBackendAndMissingFilesReportFailure) {
    const std::string tune = writePicture(dir_, "tune.ogg", 1, 1, {});
    AudioEngine& audio = director().audio();
    EXPECT_TRUE(audio.preloadMusic(tune));
    EXPECT_TRUE(audio.playMusic(tune, false));
    EXPECT_TRUE(audio.isMusicPlaying());
    audio.pauseMusic();
    EXPECT_FALSE(audio.isMusicPlaying());
    audio.resumeMusic();
    EXPECT_TRUE(audio.isMusicPlaying());
    EXPECT_NE(audio.playEffect(tune), 0u);
    EXPECT_NE(audio.playEffect(tune), 0u) << "the same effect may overlap";
    EXPECT_EQ(backend().recordedAudio().playingEffects(), 2u);
    audio.stopAllEffects();
    EXPECT_EQ(backend().recordedAudio().playingEffects(), 0u);
    EXPECT_EQ(backend().recordedAudio().effectPlays(tune), 2);

    LogCapture log;
    EXPECT_FALSE(audio.playMusic(dir_.file("none.ogg"), true));
    EXPECT_TRUE(log.contains("none.ogg"));
    EXPECT_FALSE(audio.preloadEffect(dir_.file("none.wav")));
    EXPECT_EQ(audio.playEffect(dir_.file("none.wav")), 0u);
}
