// Touches and page changes: hot spots under a touch, swipes, the page buttons, jump hot spots and the
// transitions they use, and the page changes that must not happen.
#include "page_support.h"

#include "sparse.h"

#include "stage/transition.h"

#include <cstring>

using namespace pagetest;
using stage::headless::SoundRecord;

namespace {

const stage::Point kLeftButton{20, 720};
const stage::Point kRightButton{1004, 720};
const stage::Point kHomeButton{520, 20};
const stage::Point kExitButton{1004, 20};

class Navigation : public PageTest {
protected:
    Navigation() {
        for (const char* name : {"left.png", "right.png", "home.png", "exit.png"}) {
            picture(name, 40, 40, {255, 200, 0, 255});
        }
        picture("s.png", 100, 100, {255, 255, 255, 255});
        sound("a.wav");
        sound("b.wav");
    }

    // A page named "page<n>" with the arrow buttons asked for, the home and exit buttons, and sprites.
    void navPage(int number, bool left, bool right, Values values = {},
                 std::initializer_list<cJSON*> sprites = {}) {
        std::vector<cJSON*> buttons;
        if (left) {
            buttons.push_back(button("button_left", "left.png", "0,700,40,40"));
        }
        if (right) {
            buttons.push_back(button("button_right", "right.png", "984,700,40,40"));
        }
        buttons.push_back(button("button_home", "home.png", "500,0,40,40"));
        buttons.push_back(button("button_exit", "exit.png", "984,0,40,40"));
        booktest::Json doc = page({}, sprites, values);
        cJSON* array = cJSON_GetObjectItem(booktest::sceneOf(doc.get()), "button");
        for (cJSON* b : buttons) {
            cJSON_AddItemToArray(array, b);
        }
        const std::string name = "page" + std::to_string(number);
        booktest::setString(booktest::sceneOf(doc.get()), "scene_name", name.c_str());
        writePage(number, doc);
    }

    // Five pages, each with both arrows; page 0 shown.
    void fivePages(Values values = {}) {
        writeBook(5);
        for (int i = 0; i < 5; ++i) {
            navPage(i, true, true, values);
        }
        ASSERT_TRUE(launch());
    }

    std::string shownPage() const {
        auto page = layer();
        if (!page || page->sceneRecord() == nullptr) {
            return "none";
        }
        return page->sceneRecord()->scene_name;
    }

    // The transition the director runs after the frame that follows a page change.
    std::shared_ptr<stage::TransitionScene> transitionNow() {
        frames(1);
        return std::dynamic_pointer_cast<stage::TransitionScene>(director().runningScene());
    }
};

// --- hot spots
// -----------------------------------------------------------------------------------------------

TEST_F(Navigation, OverlappingHotSpotsOfOneSpriteRunBothActionsInOrder) {
    writeBook(1);
    navPage(0, false, false, {},
            {sprite("s", "s.png", "100,100",
                    {action("Sprite_CCAction_1", {{"dst_point", "500,100"},
                                                  {"action_delay_time", "1000"},
                                                  {"action_music_file", "a.wav"},
                                                  {"hotspot_position", "0,0,100,100"}}),
                     action("Sprite_CCAction_6", {{"color_red", "-100"},
                                                  {"action_delay_time", "1000"},
                                                  {"action_music_file", "b.wav"},
                                                  {"hotspot_position", "50,50,100,100"}})})});
    ASSERT_TRUE(launch());
    auto s = spriteOf(0);
    ASSERT_TRUE(s);
    audio().clearRecords();
    tap({170, 170});
    EXPECT_EQ(s->numberOfRunningActions(), 2u);
    EXPECT_EQ(layer()->actionNumber(), 6); // the last one handled
    // Effects stop once for the touch, then both sounds play in order.
    std::vector<std::string> sounds;
    for (const SoundRecord& r : audio().records()) {
        if (r.kind == SoundRecord::Kind::StopAllEffects) {
            sounds.push_back("stop");
        } else if (r.kind == SoundRecord::Kind::PlayEffect) {
            sounds.push_back(r.path.substr(r.path.size() - 5));
        }
    }
    EXPECT_EQ(sounds, (std::vector<std::string>{"stop", "a.wav", "b.wav"}));
    EXPECT_EQ(audio().playingEffects(), 2u);
    seconds(1.1f);
    EXPECT_EQ(s->position(), stage::Point(550, 618));
    EXPECT_EQ(s->color().r, 155);

    // Outside the second area only the first action runs (the sprite first goes back to its start).
    tap({110, 110});
    EXPECT_EQ(s->position(), stage::Point(150, 618));
    EXPECT_EQ(s->numberOfRunningActions(), 1u);
    // Outside both nothing happens.
    tap({700, 400});
    EXPECT_EQ(s->numberOfRunningActions(), 1u);
}

TEST_F(Navigation, HotSpotsOfSeveralSpritesRunInSpriteOrderAndStayWhereTheSpriteStarted) {
    writeBook(1);
    const auto move = [](const char* area) {
        return action("Sprite_CCAction_1",
                      {{"dst_point", "700,500"}, {"action_delay_time", "500"}, {"hotspot_position", area}});
    };
    navPage(0, false, false, {},
            {sprite("one", "s.png", "100,100", {move("0,0,100,100")}),
             sprite("two", "s.png", "150,150", {move("0,0,100,100")})});
    ASSERT_TRUE(launch());
    tap({175, 175});
    EXPECT_EQ(spriteOf(0)->numberOfRunningActions(), 1u);
    EXPECT_EQ(spriteOf(1)->numberOfRunningActions(), 1u);
    seconds(0.6f);
    // The areas belong to the written positions: the moved sprites are not hit where they are now...
    tap({750, 550});
    EXPECT_EQ(spriteOf(0)->position(), stage::Point(750, 218));
    // ...but are where they started.
    tap({120, 120});
    EXPECT_EQ(spriteOf(0)->position(), stage::Point(150, 618));
    EXPECT_EQ(spriteOf(1)->position(), stage::Point(750, 218));
}

TEST_F(Navigation, RunningFrameAnimationIsRemovedBeforeTheNewAction) {
    writeStrip(path("strip.png"), 20, 20, {{255, 0, 0, 255}, {0, 255, 0, 255}});
    writeBook(1);
    navPage(0, false, false, {},
            {sprite("s", "s.png", "100,100",
                    {action("Sprite_CCAction_1", {{"dst_point", "500,100"},
                                                  {"action_delay_time", "500"},
                                                  {"hotspot_position", "0,0,100,100"}})},
                    {action("Sprite_CCAction_8", {{"texture_picture_file", "strip.png"},
                                                  {"texture_num", "2"},
                                                  {"texture_width", "20"},
                                                  {"texture_height", "20"},
                                                  {"action_delay_time", "100"},
                                                  {"action_repeat_num", "-1"}})})});
    ASSERT_TRUE(launch());
    seconds(0.5f);
    ASSERT_TRUE(layer()->getChildByTag(-500));
    auto s = spriteOf(0);
    EXPECT_FALSE(s->isVisible());
    tap({150, 150});
    EXPECT_FALSE(layer()->getChildByTag(-500));
    EXPECT_TRUE(s->isVisible());
    EXPECT_EQ(s->numberOfRunningActions(), 1u);
    seconds(0.6f);
    EXPECT_EQ(s->position(), stage::Point(550, 618));
}

TEST_F(Navigation, SecondSwingWhileOneRunsDoesNothing) {
    writeBook(1);
    navPage(0, false, false, {},
            {sprite("s", "s.png", "100,100",
                    {action("Sprite_CCAction_3", {{"toright_angle", "30"},
                                                  {"toright_delay_time", "500"},
                                                  {"toleft_angle", "-30"},
                                                  {"toleft_delay_time", "500"},
                                                  {"action_delay_time", "500"},
                                                  {"hotspot_position", "0,0,100,100"}})})});
    ASSERT_TRUE(launch());
    auto s = spriteOf(0);
    tap({150, 150});
    EXPECT_FALSE(s->isReady());
    EXPECT_EQ(s->numberOfRunningActions(), 1u);
    float furthest = 0;
    for (int i = 0; i < 20; ++i) {
        frames(1);
        furthest = std::max(furthest, std::abs(s->rotation()));
    }
    tap({150, 150});
    EXPECT_EQ(s->numberOfRunningActions(), 1u);
    for (int i = 0; i < 120; ++i) {
        frames(1);
        furthest = std::max(furthest, std::abs(s->rotation()));
    }
    EXPECT_LE(furthest, 30.01f);
    EXPECT_NEAR(s->rotation(), 0, 1e-3);
    EXPECT_TRUE(s->isReady());
    // Once it has ended, the next touch swings again.
    tap({150, 150});
    EXPECT_FALSE(s->isReady());
    EXPECT_EQ(s->numberOfRunningActions(), 1u);
}

TEST_F(Navigation, SwingStoppedByALaterTouchCanSwingAgain) {
    writeBook(1);
    navPage(
        0, false, false, {},
        {sprite("swinger", "s.png", "100,100",
                {action("Sprite_CCAction_3", {{"toright_angle", "30"},
                                              {"toright_delay_time", "1000"},
                                              {"toleft_angle", "-30"},
                                              {"toleft_delay_time", "1000"},
                                              {"hotspot_position", "0,0,100,100"}})}),
         sprite("other", "s.png", "400,100",
                {action("Sprite_CCAction_6", {{"color_red", "-10"}, {"hotspot_position", "0,0,100,100"}})})});
    ASSERT_TRUE(launch());
    auto swinger = spriteOf(0);
    tap({150, 150});
    seconds(0.5f);
    EXPECT_FALSE(swinger->isReady());
    tap({450, 150}); // the page's last action is now a tint
    // Touching the swinger stops its swing half way; it is not left waiting for an end that never comes.
    tap({150, 150});
    EXPECT_EQ(swinger->numberOfRunningActions(), 1u);
    EXPECT_FALSE(swinger->isReady());
    seconds(4.1f);
    EXPECT_TRUE(swinger->isReady());
}

TEST_F(Navigation, TouchStoppingAHalfDoneBlinkLeavesTheSpriteVisible) {
    writeBook(1);
    navPage(
        0, false, false, {},
        {sprite(
            "s", "s.png", "100,100",
            {action("Sprite_CCAction_6", {{"color_red", "-50"}, {"hotspot_position", "0,0,100,100"}})},
            {action("Sprite_CCAction_9", {{"action_delay_time", "1000"}, {"action_repeat_num", "-1"}})})});
    ASSERT_TRUE(launch());
    seconds(0.2f); // the first half of a blink hides the sprite
    auto s = spriteOf(0);
    ASSERT_FALSE(s->isVisible());
    tap({150, 150});
    EXPECT_TRUE(s->isVisible());
    seconds(2);
    EXPECT_TRUE(s->isVisible());
}

TEST_F(Navigation, TouchesGoThroughTheBarsOfAWindowOfAnotherShape) {
    resetWindow({1024, 1024}); // bars of 128 pixels above and below the page
    writeBook(1);
    navPage(
        0, false, false, {},
        {sprite("s", "s.png", "0,0",
                {action("Sprite_CCAction_2", {{"scale_rate", "2"}, {"hotspot_position", "0,0,100,100"}})})});
    ASSERT_TRUE(launch());
    auto s = spriteOf(0);
    // The bar above the page is not part of it.
    director().handleEvent({stage::InputEvent::Kind::TouchBegan, 0, {50, 100}, {}});
    director().handleEvent({stage::InputEvent::Kind::TouchEnded, 0, {50, 100}, {}});
    EXPECT_EQ(s->numberOfRunningActions(), 0u);
    // The sprite's top-left corner is 128 pixels down.
    director().handleEvent({stage::InputEvent::Kind::TouchBegan, 0, {50, 178}, {}});
    EXPECT_EQ(layer()->touchStart(), stage::Point(50, 718));
    director().handleEvent({stage::InputEvent::Kind::TouchEnded, 0, {50, 178}, {}});
    EXPECT_EQ(s->numberOfRunningActions(), 1u);
}

// --- swipes ------------------------------------------------------------------------------------------------

TEST_F(Navigation, SwipeFurtherThan150UnitsTurnsThePageOnlyThen) {
    fivePages({{"scene_enter_delay_time", "1000"}});
    show(2);
    ASSERT_EQ(shownPage(), "page2");

    swipe({600, 400}, {450, 400}); // dx = -150
    EXPECT_EQ(bookState().currentPage, 2);
    EXPECT_FALSE(transitionNow());
    EXPECT_EQ(shownPage(), "page2");

    swipe({600, 400}, {449, 400}); // dx = -151
    EXPECT_EQ(bookState().currentPage, 3);
    auto turn = std::dynamic_pointer_cast<stage::PageTurnTransition>(transitionNow());
    ASSERT_TRUE(turn);
    EXPECT_FALSE(turn->backwards());
    EXPECT_FLOAT_EQ(turn->duration(), 1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(shownPage(), "page3");

    swipe({400, 400}, {551, 400}); // dx = +151
    EXPECT_EQ(bookState().currentPage, 2);
    turn = std::dynamic_pointer_cast<stage::PageTurnTransition>(transitionNow());
    ASSERT_TRUE(turn);
    EXPECT_TRUE(turn->backwards());
    ASSERT_TRUE(settle());
    EXPECT_EQ(shownPage(), "page2");
    swipe({400, 400}, {550, 400}); // dx = +150
    EXPECT_EQ(bookState().currentPage, 2);
}

TEST_F(Navigation, PagesWithoutArrowButtonsIgnoreSwipes) {
    writeBook(5);
    navPage(0, true, true);
    navPage(1, false, false);
    navPage(2, false, true);
    navPage(3, true, false);
    navPage(4, true, true);
    ASSERT_TRUE(launch());
    // Page 0 has a left button, yet there is nothing before it.
    swipe({300, 400}, {700, 400});
    EXPECT_EQ(bookState().currentPage, 0);

    show(1);
    swipe({700, 400}, {300, 400});
    swipe({300, 400}, {700, 400});
    EXPECT_EQ(bookState().currentPage, 1);
    EXPECT_FALSE(transitionNow());
    EXPECT_EQ(shownPage(), "page1");

    show(2); // only a right button: forward yes, back no
    swipe({300, 400}, {700, 400});
    EXPECT_EQ(bookState().currentPage, 2);
    show(3); // only a left button: back yes, forward no
    swipe({700, 400}, {300, 400});
    EXPECT_EQ(bookState().currentPage, 3);
    show(4); // the last page: nothing after it
    swipe({700, 400}, {300, 400});
    EXPECT_EQ(bookState().currentPage, 4);
    EXPECT_FALSE(transitionNow());
}

// --- buttons -----------------------------------------------------------------------------------------------

TEST_F(Navigation, TransitionsLastTheWholeSecondsOfTheEnterDelay) {
    sound("song.wav");
    writeBook(3);
    navPage(0, false, true, {{"scene_enter_delay_time", "2500"}, {"scene_music", "song.wav"}});
    navPage(1, false, true, {{"scene_enter_delay_time", "900"}, {"scene_music", "song.wav"}});
    navPage(2, false, false, {{"scene_music", "song.wav"}});
    ASSERT_TRUE(launch());
    EXPECT_EQ(layer()->transitionDuration(), 2);
    EXPECT_EQ(audio().musicPlays(path("song.wav")), 1);

    tap(kRightButton);
    auto t = transitionNow();
    ASSERT_TRUE(t);
    EXPECT_FLOAT_EQ(t->duration(), 2);
    // The new page is built only after the transition: no music of it before then.
    seconds(1.8f);
    EXPECT_EQ(audio().musicPlays(path("song.wav")), 1);
    ASSERT_TRUE(settle(30));
    EXPECT_EQ(shownPage(), "page1");
    EXPECT_EQ(audio().musicPlays(path("song.wav")), 2);
    EXPECT_EQ(layer()->transitionDuration(), 0);

    tap(kRightButton);
    t = transitionNow();
    ASSERT_TRUE(t);
    EXPECT_FLOAT_EQ(t->duration(), 0);
    ASSERT_TRUE(settle(8));
    EXPECT_EQ(shownPage(), "page2");
}

TEST_F(Navigation, ButtonsTurnPagesWithThePagesTransitionAndGoHomeWithRotoZoom) {
    writeBook(4);
    navPage(0, true, true, {{"scene_change", "Scene_CCAction_5"}});
    navPage(1, true, true, {{"scene_change", "Scene_CCAction_3"}});
    navPage(2, true, true, {{"scene_change", "Scene_CCAction_7"}});
    navPage(3, true, true, {{"scene_change", "Scene_CCAction_2"}});
    ASSERT_TRUE(launch());

    tap(kLeftButton); // nothing before page 0
    EXPECT_EQ(bookState().currentPage, 0);
    EXPECT_FALSE(transitionNow());

    tap(kRightButton);
    auto slide = std::dynamic_pointer_cast<stage::SlideInTransition>(transitionNow());
    ASSERT_TRUE(slide);
    EXPECT_EQ(slide->edge(), stage::SlideEdge::Top);
    ASSERT_TRUE(settle());
    EXPECT_EQ(shownPage(), "page1");

    // "Slide in from the left" becomes "from the right" for the next page.
    tap(kRightButton);
    slide = std::dynamic_pointer_cast<stage::SlideInTransition>(transitionNow());
    ASSERT_TRUE(slide);
    EXPECT_EQ(slide->edge(), stage::SlideEdge::Right);
    ASSERT_TRUE(settle());
    tap(kLeftButton);
    EXPECT_TRUE(std::dynamic_pointer_cast<stage::ShrinkGrowTransition>(transitionNow()));
    ASSERT_TRUE(settle());
    EXPECT_EQ(shownPage(), "page1");
    tap(kLeftButton);
    slide = std::dynamic_pointer_cast<stage::SlideInTransition>(transitionNow());
    ASSERT_TRUE(slide);
    EXPECT_EQ(slide->edge(), stage::SlideEdge::Left);
    ASSERT_TRUE(settle());

    show(3);
    tap(kRightButton); // nothing after the last page
    EXPECT_EQ(bookState().currentPage, 3);
    EXPECT_FALSE(transitionNow());
    tap(kHomeButton);
    EXPECT_EQ(bookState().currentPage, 0);
    EXPECT_TRUE(std::dynamic_pointer_cast<stage::RotoZoomTransition>(transitionNow()));
    ASSERT_TRUE(settle());
    EXPECT_EQ(shownPage(), "page0");

    const std::string text = log_.text();
    for (const char* line :
         {"ThePage::turnLeftCallback", "ThePage::turnRightCallback", "ThePage::HomeCallback"}) {
        EXPECT_TRUE(has(text, line)) << line;
    }
}

TEST_F(Navigation, ExitButtonEndsTheProgram) {
    sound("song.wav");
    writeBook(1);
    navPage(0, false, false, {{"scene_music", "song.wav"}});
    ASSERT_TRUE(launch());
    tap(kExitButton);
    frames(2);
    EXPECT_TRUE(director().hasEnded());
    EXPECT_FALSE(audio().isMusicPlaying());
    EXPECT_TRUE(has(log_.text(), "ThePage::menuCloseCallback"));
}

TEST_F(Navigation, TwoReleasesBeforeTheNextFrameTurnOnePage) {
    fivePages();
    tap(kRightButton);
    tap(kRightButton);
    EXPECT_EQ(bookState().currentPage, 1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(shownPage(), "page1");
    EXPECT_EQ(SParser::engine().liveScenes(), 1u);
}

TEST_F(Navigation, PageChangesReleaseTheOldPageAndStopItsSounds) {
    sound("song.wav");
    writeBook(2);
    navPage(0, false, true, {{"scene_music", "song.wav"}},
            {sprite("s", "s.png", "100,100", {},
                    {action("Sprite_CCAction_11", {{"action_music_file", "a.wav"}})})});
    navPage(1, false, false);
    ASSERT_TRUE(launch());
    EXPECT_EQ(audio().playingEffects(), 1u);
    tap(kRightButton);
    EXPECT_EQ(audio().playingEffects(), 0u);
    EXPECT_EQ(SParser::engine().liveScenes(), 1u); // the new page's; the old one's is gone
    ASSERT_TRUE(settle());
    EXPECT_FALSE(audio().isMusicPlaying()); // page 1 has no music, page 0's stopped with it
}

// --- jumps
// ---------------------------------------------------------------------------------------------------

class Jumps : public Navigation {
protected:
    void jumpBook(const char* target, const char* change, const char* delay,
                  const char* pageChange = "Scene_CCAction_6") {
        writeBook(4);
        navPage(0, false, false, {{"scene_change", pageChange}},
                {sprite("door", "s.png", "300,300",
                        {action("Sprite_CCAction_10", {{"toPageNumber", target},
                                                       {"scene_change", change},
                                                       {"action_delay_time", delay},
                                                       {"hotspot_position", "0,0,100,100"}})})});
        for (int i = 1; i < 4; ++i) {
            navPage(i, false, false);
        }
        ASSERT_TRUE(launch());
    }
};

TEST_F(Jumps, JumpHotSpotGoesToItsPageWithItsTransitionAndDelay) {
    jumpBook("3", "Scene_CCAction_2", "3000");
    tap({350, 350});
    EXPECT_EQ(bookState().currentPage, 3);
    auto t = std::dynamic_pointer_cast<stage::JumpZoomTransition>(transitionNow());
    ASSERT_TRUE(t);
    EXPECT_FLOAT_EQ(t->duration(), 3);
    ASSERT_TRUE(settle());
    EXPECT_EQ(shownPage(), "page3");
    EXPECT_TRUE(has(log_.text(), "actionDelayTime==========:3"));
    EXPECT_TRUE(has(log_.text(), "ThePage::jumpToOtherPage"));
}

TEST_F(Jumps, JumpWithAnUnknownTransitionKeepsThePagesOwn) {
    jumpBook("2", "Scene_CCAction_0", "1500");
    tap({350, 350});
    auto t = std::dynamic_pointer_cast<stage::SlideInTransition>(transitionNow());
    ASSERT_TRUE(t);
    EXPECT_EQ(t->edge(), stage::SlideEdge::Bottom);
    EXPECT_FLOAT_EQ(t->duration(), 1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(shownPage(), "page2");
}

TEST_F(Jumps, JumpToAPageThatDoesNotExistShowsAnEmptyPage) {
    jumpBook("9", "Scene_CCAction_1", "0");
    tap({350, 350});
    EXPECT_EQ(bookState().currentPage, 9);
    ASSERT_TRUE(settle());
    ASSERT_TRUE(director().runningScene());
    EXPECT_TRUE(director().runningScene()->children().empty());
    frames(60);
    director().handleEvent({stage::InputEvent::Kind::TouchBegan, 0, {350, 350}, {}});
    director().handleEvent({stage::InputEvent::Kind::TouchEnded, 0, {350, 350}, {}});
    frames(2);
    EXPECT_TRUE(has(log_.text(), "s创建出现了问题，s为空"));
    EXPECT_EQ(SParser::engine().liveScenes(), 0u);
}

// --- refused page changes
// ------------------------------------------------------------------------------------

TEST_F(Navigation, PageWithoutAValidTransitionRefusesButtonPageChangesAndStaysUsable) {
    writeBook(3);
    navPage(0, false, false);
    navPage(
        1, true, true, {{"scene_change", "Scene_CCAction_9"}},
        {sprite("s", "s.png", "100,100",
                {action("Sprite_CCAction_2", {{"scale_rate", "2"}, {"hotspot_position", "200,200,100,100"}}),
                 action("Sprite_CCAction_10", {{"toPageNumber", "2"},
                                               {"scene_change", "nonsense"},
                                               {"hotspot_position", "500,500,1,1"}})})});
    navPage(2, false, false);
    ASSERT_TRUE(launch());
    show(1);
    auto page = layer();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->transition(), 0);

    tap(kRightButton);
    tap(kLeftButton);
    tap({150, 150}); // the jump hot spot's item lies over the sprite's picture
    EXPECT_EQ(bookState().currentPage, 1);
    EXPECT_FALSE(transitionNow());
    EXPECT_EQ(layer(), page);
    EXPECT_FALSE(page->isLeaving());
    ASSERT_TRUE(page->sceneRecord());
    EXPECT_TRUE(has(log_.text(), "the page change is refused"));

    // Still usable: its hot spots act and swipes (which always turn the page) work.
    tap({350, 350});
    EXPECT_EQ(spriteOf(0)->numberOfRunningActions(), 1u);
    swipe({700, 400}, {300, 400});
    EXPECT_EQ(bookState().currentPage, 2);
    ASSERT_TRUE(settle());
    EXPECT_EQ(shownPage(), "page2");
}

} // namespace

// --- keys
// ----------------------------------------------------------------------------------------------------

class Keys : public Navigation {
protected:
    // As the program does: the page's key handler on the director.
    Keys() {
        director().setKeyHandler([](stage::Key key) { ThePage::keyPressed(key); });
    }
    void key(stage::Key k) {
        stage::InputEvent e;
        e.kind = stage::InputEvent::Kind::KeyPressed;
        e.key = k;
        director().handleEvent(e);
    }
};

TEST_F(Keys, LeftAndRightPressThePagesArrowsWithTheirTransitionsAndRules) {
    writeBook(4);
    navPage(0, false, true, {{"scene_change", "Scene_CCAction_5"}});
    navPage(1, true, true, {{"scene_change", "Scene_CCAction_3"}});
    navPage(2, true, false, {{"scene_change", "Scene_CCAction_7"}});
    navPage(3, true, true, {{"scene_change", "Scene_CCAction_2"}});
    ASSERT_TRUE(launch());

    key(stage::Key::Left); // page 0 has no left arrow
    EXPECT_EQ(bookState().currentPage, 0);
    EXPECT_FALSE(transitionNow());
    EXPECT_FALSE(has(log_.text(), "ThePage::turnLeftCallback"));

    key(stage::Key::Right);
    auto slide = std::dynamic_pointer_cast<stage::SlideInTransition>(transitionNow());
    ASSERT_TRUE(slide);
    EXPECT_EQ(slide->edge(), stage::SlideEdge::Top);
    // While the page turns, keys do nothing, as touches do nothing.
    key(stage::Key::Right);
    key(stage::Key::Left);
    ASSERT_TRUE(settle());
    EXPECT_EQ(shownPage(), "page1");
    EXPECT_EQ(bookState().currentPage, 1);

    // "Slide in from the left" becomes "from the right" going forward, as with the button.
    key(stage::Key::Right);
    key(stage::Key::Right); // a second press before the next frame turns no second page
    slide = std::dynamic_pointer_cast<stage::SlideInTransition>(transitionNow());
    ASSERT_TRUE(slide);
    EXPECT_EQ(slide->edge(), stage::SlideEdge::Right);
    ASSERT_TRUE(settle());
    EXPECT_EQ(shownPage(), "page2");

    // Page 2 has no right arrow: Right does nothing although page 3 exists; Left goes back.
    key(stage::Key::Right);
    EXPECT_FALSE(transitionNow());
    EXPECT_EQ(shownPage(), "page2");
    key(stage::Key::Left);
    EXPECT_TRUE(std::dynamic_pointer_cast<stage::ShrinkGrowTransition>(transitionNow()));
    ASSERT_TRUE(settle());
    EXPECT_EQ(shownPage(), "page1");

    // On the last page the right arrow leads nowhere.
    show(3);
    key(stage::Key::Right);
    EXPECT_EQ(bookState().currentPage, 3);
    EXPECT_FALSE(transitionNow());
    // Other keys do nothing at all.
    key(stage::Key::Other);
    EXPECT_FALSE(transitionNow());
    EXPECT_FALSE(director().hasEnded());

    const std::string text = log_.text();
    EXPECT_TRUE(has(text, "ThePage::turnRightCallback"));
    EXPECT_TRUE(has(text, "ThePage::turnLeftCallback"));
}

TEST_F(Keys, EscapeEndsTheProgramOnEveryPageEvenAnEmptyOneOrDuringATransition) {
    sound("song.wav");
    writeBook(3);
    navPage(0, false, true, {{"scene_music", "song.wav"}, {"scene_enter_delay_time", "2000"}});
    navPage(1, true, false);
    // Page 2 failed to build: no layer, no buttons, nothing to touch.
    writePage(2, page({}, {}, {{"scene_picture_file", ""}}));
    ASSERT_TRUE(launch());

    key(stage::Key::Right);
    ASSERT_TRUE(transitionNow());
    key(stage::Key::Escape);
    frames(2);
    EXPECT_TRUE(director().hasEnded());
    EXPECT_FALSE(audio().isMusicPlaying());

    resetWindow({1024, 768});
    director().setKeyHandler([](stage::Key k) { ThePage::keyPressed(k); });
    bookState().currentPage = 2;
    director().runWithScene(ThePage::scene(book_.dir().c_str()));
    frames(1);
    ASSERT_FALSE(layer());
    key(stage::Key::Left);
    key(stage::Key::Right);
    frames(1);
    EXPECT_FALSE(director().hasEnded());
    key(stage::Key::Escape);
    frames(2);
    EXPECT_TRUE(director().hasEnded());
    EXPECT_TRUE(has(log_.text(), "Escape ends the book"));
}
