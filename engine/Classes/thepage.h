#pragma once
// One page of the book: a layer that ThePage::scene puts into a new scene with the page's background.
// When the page has finished appearing (after any page transition) drawView builds the rest: background
// music, buttons, sprites with their default actions, and the hot spots that jump to other pages.
// Touches on the page start the sprites' hot-spot actions and swipes turn the page; the page buttons and
// jump hot spots change pages with the page's transition.

#include "sceneformat.h"
#include "sprite.h"

#include "stage/menu.h"
#include "stage/scene.h"

#include <memory>
#include <string>
#include <vector>

// What the engine keeps across pages (one book per process).
struct BookState {
    int currentPage = 0;
    int pageCount = 0;
    std::string dataPath;
    // Tag of the next jump hot spot; every ThePage::scene starts again at 0.
    int nextJumpTag = 0;
    // Set by drawView when the page has a "button_left" / "button_right" button; swipes need them.
    bool previousPageAllowed = false;
    bool nextPageAllowed = false;
    // Replays of music that does not loop (for the log).
    int musicReplayCount = 1;
};
BookState& bookState();

// The inputs of one action run, converted from the action record by the caller.
struct ActionRun {
    float d = 0;          // one run of the action, s
    int n = 0;            // how often: 1, N > 1, or -1 without end
    int u = 0;            // movements: 1 one way (back to the start before each run), 0 there and back
    float rightDelay = 0; // s
    float leftDelay = 0;  // s
    std::string texturePath;

    static ActionRun of(const SAction& action, const std::string& resourcePath);
};

class ThePage : public stage::Layer {
public:
    // The action number meaning "none".
    static constexpr int kNoAction = 11;
    // A frame animation of sprite i is a separate sprite tagged i - 500.
    static constexpr int kAnimationTagOffset = 500;
    // A swipe must go further than this (design units) to turn the page.
    static constexpr float kSwipeDistance = 150;
    // Music that does not loop is replayed on a timer of this interval, ten times per unit of its type.
    static constexpr float kMusicReplayInterval = 0.1f;

    // Builds the current page (bookState().currentPage): a new scene with the page's layer and its
    // background. After a failure the scene is empty (no layer); null only when no scene can be made.
    static stage::ScenePtr scene(const char* dataPath);
    static std::shared_ptr<ThePage> create();
    static std::shared_ptr<ThePage> node() { return create(); }
    // Ends the program (the director's end).
    static void Exit();
    // The reader's keys, on every page: Escape ends the program (even on a page that failed to build or
    // while a transition runs); Left and Right press the page's arrow buttons, where it has them.
    static void keyPressed(stage::Key key);
    // The page on stage; null while a transition runs or when the page on stage has no layer.
    static std::shared_ptr<ThePage> onStage();
    // The placement rule: the node whose top-left corner is at topLeft (design units, origin top left)
    // gets its centre position.
    static stage::Point placeAt(const SPoint& topLeft, stage::Size size);

    ThePage();
    ~ThePage() override;

    void drawView();
    // The music replay timer.
    void check(float dt);

    void onEnter() override;
    void onEnterTransitionDidFinish() override;
    void onExit() override;

    // --- touches (the layer is a targeted delegate with priority 0 that swallows) ---
    bool ccTouchBegan(stage::Touch& touch);
    void ccTouchMoved(stage::Touch& touch);
    void ccTouchEnded(stage::Touch& touch);
    // Starts the hot-spot actions under a point of the page (origin bottom left).
    void TouchJudgeAndAction(stage::Point point);

    bool touchBegan(stage::Touch& touch) override { return ccTouchBegan(touch); }
    void touchMoved(stage::Touch& touch) override { ccTouchMoved(touch); }
    void touchEnded(stage::Touch& touch) override { ccTouchEnded(touch); }

    // --- buttons and jump hot spots ---
    void turnLeftCallback(stage::MenuItem& sender);
    void turnRightCallback(stage::MenuItem& sender);
    void HomeCallback(stage::MenuItem& sender);
    void menuCloseCallback(stage::MenuItem& sender);
    void jumpToOtherPage(stage::MenuItem& sender);
    // Builds the current page and shows it with the page's transition.
    void runPageTransition();
    // Presses the page's "button_right" (forward) or "button_left" arrow as a touch would: only when the
    // page has it and takes touches. False when nothing was pressed.
    bool pressArrow(bool forward);

    // --- the action runner ---
    // Runs action number k (1 ... 10 by "Sprite_CCAction_k") of the record on a sprite of this page. Set
    // the page's action number before the call. Numbers outside 1 ... 9 run nothing.
    void runSpriteAction(int k, Sprite& sprite, const SAction& action, const ActionRun& run);

    // --- state ---
    // The parsed page; null once the page has started to leave (the record is released then).
    const SScene* sceneRecord() const { return scene_; }
    const std::string& dataPathChar() const { return dataPathChar_; }
    const std::string& resourcePath() const { return resourcePath_; }
    int transition() const { return transition_; }
    int transitionDuration() const { return transitionDuration_; }
    int actionNumber() const { return actionNumber_; }
    void setActionNumber(int number) { actionNumber_ = number; }
    int musicType() const { return musicType_; }
    const std::string& backgroundMusicPath() const { return backgroundMusicPath_; }
    const std::vector<int>& jumpPages() const { return jumpPages_; }
    const std::vector<std::string>& jumpTransitions() const { return jumpTransitions_; }
    const std::vector<int>& jumpDelays() const { return jumpDelays_; }
    bool isLeaving() const { return leaving_; }
    const std::shared_ptr<stage::Menu>& menu() const { return menu_; }
    stage::Point touchStart() const { return touchStart_; }

private:
    using Callback = void (ThePage::*)(stage::MenuItem&);
    stage::MenuItem::Callback bind(Callback callback);
    void drawMusic();
    void drawButtons(std::vector<stage::MenuItemPtr>& items);
    void drawSprites(std::vector<stage::MenuItemPtr>& items);
    // A page change asked for by this page. False (logged) when it must not happen: the page is leaving
    // already, or the change needs the page's transition and it has none.
    bool mayLeave(const char* who, bool needsTransition) const;
    // Stops the effects and releases the page record; the page takes no more touches or page changes.
    void leave();
    void releaseScene();
    // The action for one run, or null when the table runs nothing for these inputs.
    stage::ActionPtr buildAction(int k, Sprite& sprite, const SAction& action, const ActionRun& run);
    void runFrameAnimation(Sprite& sprite, const SAction& action, const ActionRun& run);

    SScene* scene_ = nullptr;
    std::string resourcePath_;
    std::string dataPathChar_;
    std::vector<int> jumpPages_;
    std::vector<std::string> jumpTransitions_;
    std::vector<int> jumpDelays_;
    int musicType_ = 0;
    std::string backgroundMusicPath_;
    int transition_ = 0;
    int transitionDuration_ = 0;
    int actionNumber_ = kNoAction;
    stage::Point touchStart_;
    bool leaving_ = false;
    std::shared_ptr<stage::Menu> menu_;
    stage::MenuItemPtr leftArrow_;
    stage::MenuItemPtr rightArrow_;
};
