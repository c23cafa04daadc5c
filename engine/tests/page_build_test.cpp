// Building a page: the nodes a scene description gives, the empty page after a failed build, jump hot
// spots, missing pictures, background music in its modes, and the program's pause in the background.
#include "page_support.h"
#include "process_support.h"

#include "appdelegate.h"
#include "sparse.h"

#include <algorithm>
#include <fstream>
#include <iterator>

using namespace pagetest;
using booktest::logLines;

namespace {

std::vector<std::string> messages(const std::string& logText, const char* level = nullptr) {
    std::vector<std::string> out;
    for (const auto& line : logLines(logText)) {
        if (level == nullptr || line.level == level) {
            out.push_back(line.message);
        }
    }
    return out;
}

bool contains(const std::vector<std::string>& lines, const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

class PageBuild : public PageTest {};

TEST_F(PageBuild, SampleSceneGivesItsNodesZOrdersTagsAndPositions) {
    picture("right.png", 64, 48, {255, 0, 0, 255});
    picture("exit.png", 32, 32, {255, 255, 0, 255});
    picture("cat.png", 100, 50, {0, 255, 0, 255});
    picture("dog.png", 40, 40, {255, 0, 255, 255});
    writeBook(2);
    writePage(0, page({button("button_right", "right.png", "900,650,64,48"),
                       button("button_exit", "exit.png", "10,10,32,32"),
                       button("button_other", "exit.png", "0,0,1,1")},
                      {sprite("cat", "cat.png", "200,100", {}, {},
                              {{"sprite_zoom_rate", "1.5"}, {"sprite_ethreal_rate", "300.7"}}),
                       sprite("dog", "dog.png", "600,300",
                              {action("Sprite_CCAction_10", {{"toPageNumber", "1"},
                                                             {"scene_change", "Scene_CCAction_2"},
                                                             {"action_delay_time", "3000"},
                                                             {"hotspot_position", "0,0,40,40"}})}),
                       sprite("ghost", "missing.png", "10,10")},
                      {{"scene_change", "Scene_CCAction_5"}, {"scene_enter_delay_time", "2500"}}));
    writePage(1, page());
    ASSERT_TRUE(launch());

    stage::ScenePtr scene = director().runningScene();
    ASSERT_TRUE(scene);
    ASSERT_EQ(scene->children().size(), 1u);
    auto page = layer();
    ASSERT_TRUE(page);
    const auto& nodes = page->children();
    ASSERT_EQ(nodes.size(), 4u); // background, cat, dog, menu; the ghost has no picture
    // Background: centred, z 0, untagged.
    EXPECT_EQ(nodes[0]->zOrder(), 0);
    EXPECT_EQ(nodes[0]->tag(), stage::kInvalidTag);
    EXPECT_EQ(nodes[0]->position(), stage::Point(512, 384));
    // Sprites: z 0 in sprite order, tagged with their index, centre placed from the top-left corner.
    auto cat = std::dynamic_pointer_cast<Sprite>(nodes[1]);
    ASSERT_TRUE(cat);
    EXPECT_EQ(cat->tag(), 0);
    EXPECT_EQ(cat->zOrder(), 0);
    EXPECT_EQ(cat->position(), stage::Point(250, 643));
    EXPECT_FLOAT_EQ(cat->scale(), 1.5f);
    EXPECT_EQ(cat->opacity(), 44); // 300.7 truncated, low 8 bits
    EXPECT_TRUE(cat->isReady());
    EXPECT_EQ(cat->page(), 0);
    EXPECT_EQ(cat->dataPath(), book_.dir());
    auto dog = std::dynamic_pointer_cast<Sprite>(nodes[2]);
    ASSERT_TRUE(dog);
    EXPECT_EQ(dog->tag(), 1);
    EXPECT_EQ(dog->position(), stage::Point(620, 448));
    EXPECT_FALSE(page->getChildByTag(2));
    // One menu above the sprites at (0, 0): the buttons in file order, then the jump hot spot.
    auto menu = std::dynamic_pointer_cast<stage::Menu>(nodes[3]);
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->zOrder(), 1);
    EXPECT_EQ(menu->position(), stage::Point(0, 0));
    ASSERT_EQ(menu->children().size(), 3u);
    EXPECT_EQ(menu->children()[0]->position(), stage::Point(932, 94));
    EXPECT_EQ(menu->children()[1]->position(), stage::Point(26, 742));
    EXPECT_EQ(menu->children()[2]->position(), stage::Point(620, 448));
    EXPECT_EQ(menu->children()[2]->tag(), 0);

    EXPECT_EQ(page->transition(), 5);
    EXPECT_EQ(page->transitionDuration(), 2);
    EXPECT_TRUE(bookState().nextPageAllowed);
    EXPECT_FALSE(bookState().previousPageAllowed);
    EXPECT_EQ(bookState().pageCount, 2);
    EXPECT_EQ(page->jumpPages(), std::vector<int>{1});
    EXPECT_EQ(page->jumpTransitions(), std::vector<std::string>{"Scene_CCAction_2"});
    EXPECT_EQ(page->jumpDelays(), std::vector<int>{3000});
    // The design size is the book's, shown whole.
    EXPECT_EQ(director().winSize(), stage::Size(1024, 768));

    const std::string text = log_.text();
    const auto debug = messages(text, "DEBUG");
    for (const char* line :
         {">>> ThePage::scene", "currentPage:0", "create layer...", "sParse_parse", "backgroundPath:bg.png",
          "add layer...", "<<< ThePage::scene", ">>> ThePage::drawView", "draw buttons...", "draw sprites...",
          "<<< ThePage::drawView"}) {
        EXPECT_TRUE(contains(debug, line)) << line;
    }
    EXPECT_TRUE(has(text, "sprite创建出现了问题，sprite为空"));
    EXPECT_TRUE(has(text, "backgroundMusicName为空"));
}

TEST_F(PageBuild, FailedBuildsShowAnEmptySceneWithoutLayerOrButtons) {
    picture("right.png", 64, 48, {255, 0, 0, 255});
    sound("song.wav");
    writeBook(4);
    const auto broken = [](Values values) {
        return page({button("button_right", "right.png", "900,650,64,48")}, {}, values);
    };
    writePage(0, broken({{"scene_picture_file", ""}, {"scene_music", "song.wav"}}));
    writePage(1, broken({{"scene_change", ""}}));
    writePage(2, broken({{"scene_picture_file", "nothing-here.png"}}));
    // Page 3 has no file at all.
    ASSERT_TRUE(launch());

    // Empty background: no layer, so no drawView: no buttons, no sprites, no music.
    ASSERT_TRUE(director().runningScene());
    EXPECT_TRUE(director().runningScene()->children().empty());
    EXPECT_EQ(audio().musicPlays(path("song.wav")), 0);
    EXPECT_FALSE(bookState().nextPageAllowed);
    frames(10);

    show(1);
    EXPECT_TRUE(director().runningScene()->children().empty());
    show(3);
    EXPECT_TRUE(director().runningScene()->children().empty());
    // A background that cannot be loaded is only missing itself: the rest of the page is built.
    show(2);
    ASSERT_TRUE(layer());
    ASSERT_TRUE(layer()->menu());
    EXPECT_EQ(layer()->menu()->children().size(), 1u);
    EXPECT_EQ(layer()->children().size(), 1u); // the menu only

    const std::string errors = log_.text();
    EXPECT_TRUE(has(errors, "backgroundNameString创建出现了问题，backgroundNameString为空"));
    EXPECT_TRUE(has(errors, "sceneChange创建出现了问题，sceneChange为空"));
    EXPECT_TRUE(has(errors, "s创建出现了问题，s为空"));
    EXPECT_TRUE(has(errors, "backgroundSprite创建出现了问题，backgroundSprite为空"));
    // Failed pages do not keep their records.
    EXPECT_EQ(SParser::engine().liveScenes(), 1u);
}

TEST_F(PageBuild, JumpHotSpotsGetTagsAndArrayEntriesInOrderAndStayWhereTheSpriteStarted) {
    picture("a.png", 50, 50, {0, 255, 0, 255});
    writeBook(5);
    const auto jump = [](const char* pageNumber, const char* change, const char* delay) {
        return action("Sprite_CCAction_10", {{"toPageNumber", pageNumber},
                                             {"scene_change", change},
                                             {"action_delay_time", delay},
                                             {"hotspot_position", "0,0,50,50"}});
    };
    writePage(0, page({}, {sprite("first", "a.png", "100,100", {jump("3", "Scene_CCAction_4", "1000")},
                                  {action("Sprite_CCAction_1",
                                          {{"dst_point", "400,100"}, {"action_delay_time", "500"}})}),
                           // Not a jump: its last hot-spot action is something else.
                           sprite("plain", "a.png", "300,300",
                                  {jump("2", "Scene_CCAction_2", "0"), action("Sprite_CCAction_1")}),
                           sprite("second", "a.png", "500,500",
                                  {action("Sprite_CCAction_6"), jump("1", "Scene_CCAction_7", "2500")})}));
    ASSERT_TRUE(launch());
    auto page = layer();
    ASSERT_TRUE(page);
    auto menu = page->menu();
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->children().size(), 2u);
    EXPECT_EQ(menu->children()[0]->tag(), 0);
    EXPECT_EQ(menu->children()[1]->tag(), 1);
    EXPECT_EQ(menu->children()[1]->position(), stage::Point(525, 243));
    EXPECT_EQ(page->jumpPages(), (std::vector<int>{3, 1}));
    EXPECT_EQ(page->jumpTransitions(), (std::vector<std::string>{"Scene_CCAction_4", "Scene_CCAction_7"}));
    EXPECT_EQ(page->jumpDelays(), (std::vector<int>{1000, 2500}));
    EXPECT_EQ(bookState().nextJumpTag, 2);

    // The jump sprite is also a normal sprite: its default move runs, its hot spot stays put.
    seconds(1);
    EXPECT_EQ(spriteOf(0)->position(), stage::Point(425, 643));
    EXPECT_EQ(menu->children()[0]->position(), stage::Point(125, 643));
}

TEST_F(PageBuild, MissingSpritePictureSkipsTheSpriteButStillPlaysItsDefaultSounds) {
    picture("ok.png", 30, 30, {0, 255, 0, 255});
    sound("one.wav");
    sound("two.wav");
    sound("other.wav");
    writeBook(1);
    writePage(0, page({}, {sprite("lost", "lost.png", "10,10", {},
                                  {action("Sprite_CCAction_1", {{"action_music_file", "one.wav"}}),
                                   action("Sprite_CCAction_11", {{"action_music_file", "two.wav"}})}),
                           sprite("found", "ok.png", "200,200", {},
                                  {action("Sprite_CCAction_11", {{"action_music_file", "other.wav"}})})}));
    ASSERT_TRUE(launch());
    EXPECT_EQ(audio().effectPlays(path("one.wav")), 1);
    EXPECT_EQ(audio().effectPlays(path("two.wav")), 1);
    EXPECT_FALSE(spriteOf(0));
    // The next sprite keeps its index as its tag; an unknown action plays its sound and runs nothing.
    auto found = spriteOf(1);
    ASSERT_TRUE(found);
    EXPECT_EQ(audio().effectPlays(path("other.wav")), 1);
    EXPECT_EQ(found->numberOfRunningActions(), 0u);
    EXPECT_EQ(layer()->actionNumber(), 11);
}

// A real JPEG (written by ImageMagick) whose frame header is changed to declare width x height: a
// picture bomb as it comes, a few kilobytes that would decode to gigabytes. False when it cannot be made.
bool writeJpegDeclaring(const std::string& file, int width, int height) {
    const proctest::RunResult made = proctest::run("convert", {"-size", "64x48", "xc:orange", file});
    if (made.exitCode != 0) {
        return false;
    }
    std::string bytes;
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const auto sof = bytes.find("\xFF\xC0");
    if (sof == std::string::npos || sof + 9 > bytes.size()) {
        return false;
    }
    bytes[sof + 5] = char(height >> 8);
    bytes[sof + 6] = char(height & 0xFF);
    bytes[sof + 7] = char(width >> 8);
    bytes[sof + 8] = char(width & 0xFF);
    std::ofstream(file, std::ios::binary) << bytes;
    return true;
}

TEST_F(PageBuild, OversizedPicturesAreMissingPicturesNamedInTheLog) {
    // Over the budget for a 1024 x 768 book (eight times its area), though it would decode.
    picture("huge-sky.png", 2600, 2600, {90, 160, 250, 255});
    picture("exit.png", 64, 64, {250, 0, 0, 255});
    ASSERT_TRUE(writeJpegDeclaring(path("bomb.jpg"), 30000, 30000));
    const proctest::RunResult photo =
        proctest::run("convert", {"-size", "120x80", "xc:green", path("photo.jpg")});
    ASSERT_EQ(photo.exitCode, 0) << photo.output;
    writeBook(1);
    writePage(0, page({button("button_exit", "exit.png", "930,20,64,64")},
                      {sprite("bomb", "bomb.jpg", "100,100"), sprite("photo", "photo.jpg", "300,300")},
                      {{"scene_picture_file", "huge-sky.png"}}));
    ASSERT_TRUE(launch());

    // The page is built without the two pictures, as with missing files.
    ASSERT_TRUE(layer());
    ASSERT_TRUE(layer()->menu());
    EXPECT_EQ(layer()->menu()->children().size(), 1u);
    EXPECT_FALSE(spriteOf(0));
    auto shown = spriteOf(1);
    ASSERT_TRUE(shown) << "a JPEG within the limits loads";
    EXPECT_EQ(shown->contentSize(), stage::Size(120, 80));
    EXPECT_EQ(director().textureCache().count(), 2u); // the photo and the button

    const auto errors = messages(log_.text(), "ERROR");
    const auto errorNaming = [&](const std::string& file) {
        return std::any_of(errors.begin(), errors.end(),
                           [&](const std::string& m) { return has(m, file) && has(m, "texture cache"); });
    };
    EXPECT_TRUE(errorNaming(path("huge-sky.png")));
    EXPECT_TRUE(errorNaming(path("bomb.jpg")));
    EXPECT_TRUE(contains(errors, "backgroundSprite创建出现了问题，backgroundSprite为空"));
    EXPECT_TRUE(has(log_.text(), "sprite创建出现了问题，sprite为空: " + path("bomb.jpg")));
}

TEST_F(PageBuild, TwoSpritesOfOneNameEachRunTheirOwnActions) {
    picture("a.png", 20, 20, {0, 255, 0, 255});
    sound("s.wav");
    writeBook(1);
    // The second sprite has more default actions than the first one of its name.
    writePage(0, page({}, {sprite("twin", "a.png", "0,0", {}, {}),
                           sprite("twin", "a.png", "100,100", {},
                                  {action("Sprite_CCAction_9",
                                          {{"action_repeat_num", "2"}, {"action_music_file", "s.wav"}}),
                                   action("Sprite_CCAction_11", {{"action_music_file", "s.wav"}})})}));
    ASSERT_TRUE(launch());
    EXPECT_EQ(audio().effectPlays(path("s.wav")), 2);
    EXPECT_EQ(spriteOf(0)->numberOfRunningActions(), 0u);
    EXPECT_EQ(spriteOf(1)->numberOfRunningActions(), 1u);
}

// --- background music ----------------------------------------------------------------------------------

class PageMusic : public PageTest {
protected:
    void bookWithMusic(const char* type) {
        sound("song.wav");
        writeBook(1);
        writePage(0, page({}, {}, {{"scene_music", "song.wav"}, {"scene_music_type", type}}));
    }
    int plays() { return audio().musicPlays(path("song.wav")); }
    bool lastPlayLoops() {
        for (auto it = audio().records().rbegin(); it != audio().records().rend(); ++it) {
            if (it->kind == stage::headless::SoundRecord::Kind::PlayMusic) {
                return it->loop;
            }
        }
        return false;
    }
};

TEST_F(PageMusic, TypeThreePlaysOnceAndThirtyReplaysEveryTenthOfASecond) {
    bookWithMusic("3");
    ASSERT_TRUE(launch());
    EXPECT_EQ(plays(), 1);
    EXPECT_FALSE(lastPlayLoops());
    EXPECT_EQ(layer()->musicType(), 3);
    // One frame arms the timer; six frames of 1/60 s make 0.1 s.
    frames(1 + 5);
    EXPECT_EQ(plays(), 1);
    frames(1);
    EXPECT_EQ(plays(), 2);
    frames(6);
    EXPECT_EQ(plays(), 3);
    seconds(5);
    EXPECT_EQ(plays(), 31);
    EXPECT_FALSE(lastPlayLoops());
    EXPECT_EQ(bookState().musicReplayCount, 31);
    EXPECT_FALSE(layer()->isScheduled("ThePage::check"));
}

TEST_F(PageMusic, TypeZeroLoopsWithoutReplays) {
    bookWithMusic("0");
    ASSERT_TRUE(launch());
    seconds(2);
    EXPECT_EQ(plays(), 1);
    EXPECT_TRUE(lastPlayLoops());
    EXPECT_EQ(audio().currentMusic(), path("song.wav"));
    EXPECT_TRUE(has(log_.text(), "play music iMusicType=0"));
}

TEST_F(PageMusic, TypeWithTrailingTextCountsItsDigits) {
    bookWithMusic("2abc");
    ASSERT_TRUE(launch());
    seconds(4);
    EXPECT_EQ(plays(), 21);
}

TEST_F(PageMusic, EmptyTypeLoopsAndIsReported) {
    bookWithMusic("");
    ASSERT_TRUE(launch());
    seconds(1);
    EXPECT_EQ(plays(), 1);
    EXPECT_TRUE(lastPlayLoops());
    EXPECT_TRUE(has(log_.text(), "musicType为空"));
}

TEST_F(PageMusic, NegativeTypeLoopsInsteadOfRestartingForEver) {
    bookWithMusic("-1");
    ASSERT_TRUE(launch());
    seconds(3);
    EXPECT_EQ(plays(), 1);
    EXPECT_TRUE(lastPlayLoops());
}

TEST_F(PageMusic, NoMusicPlaysNothingAndSchedulesNothing) {
    writeBook(1);
    writePage(0, page());
    ASSERT_TRUE(launch());
    seconds(1);
    EXPECT_TRUE(std::none_of(audio().records().begin(), audio().records().end(), [](const auto& r) {
        return r.kind == stage::headless::SoundRecord::Kind::PlayMusic;
    }));
    EXPECT_FALSE(layer()->isScheduled("ThePage::check"));
}

TEST_F(PageMusic, BackgroundPausesTheBookAndForegroundResumesIt) {
    bookWithMusic("0");
    ASSERT_TRUE(launch());
    AppDelegate app;
    // The program's loop hands the window's background events to the delegate.
    director().setBackgroundHandlers([&] { app.applicationDidEnterBackground(); },
                                     [&] { app.applicationWillEnterForeground(); });
    director().handleEvent({stage::InputEvent::Kind::EnterBackground, 0, {}, {}});
    EXPECT_FALSE(director().isAnimating());
    EXPECT_FALSE(audio().isMusicPlaying());
    director().handleEvent({stage::InputEvent::Kind::EnterForeground, 0, {}, {}});
    EXPECT_TRUE(director().isAnimating());
    EXPECT_TRUE(audio().isMusicPlaying());
    EXPECT_DOUBLE_EQ(director().animationInterval(), 1.0 / 60);
}

TEST_F(PageBuild, MissingDescriptorStartsNothing) {
    EXPECT_FALSE(launch());
    EXPECT_FALSE(director().runningScene());
    frames(2);
    EXPECT_FALSE(director().runningScene());
    EXPECT_TRUE(has(log_.text(), "g创建出现了问题，g为空"));
}

TEST_F(PageBuild, DesignSizeIsShownWholeInAWindowOfAnotherShape) {
    resetWindow({1000, 1000});
    writeBook(1, "1024", "768");
    writePage(0, page());
    ASSERT_TRUE(launch());
    EXPECT_EQ(director().winSize(), stage::Size(1024, 768));
    const stage::Rect viewport = director().viewportInPixels();
    EXPECT_FLOAT_EQ(viewport.size.width, 1000);
    EXPECT_FLOAT_EQ(viewport.size.height, 750);
    EXPECT_FLOAT_EQ(viewport.origin.y, 125);
    EXPECT_EQ(director().projection(), stage::Projection::TwoD);
}

} // namespace
