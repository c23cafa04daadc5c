// The director: runs one scene at a time, advances time, draws, and turns window events into touches.
//
// Time is explicit. step(dt) is one frame:
//   1. if end() was called: the running scene exits, delegates and sounds stop, and nothing else happens;
//   2. unless paused: every action of every running node advances by dt, then every timer;
//   3. a scene change asked for by replaceScene()/runWithScene() happens now, after the tick;
//   4. the running scene is drawn, scaled uniformly into the window (show-all, black bars).
// run() is the program's loop. It calls step() with the wall-clock delta since the last step, at most once
// per animation interval, and only when something is due: a running action or transition, a timer, a
// scene change, input, a lost window picture. Otherwise it sleeps in the backend's event wait until the
// next timer or input. It also draws only what changes: a frame that would look like the one on screen
// is neither drawn nor presented, and where the renderer keeps the frame on screen only the rectangles
// that change are drawn and shown (setDrawOnlyChanges).
//
// There is one director per program; while it exists Director::current() returns it (nodes use it to
// reach the texture cache and the touch dispatcher).
#pragma once

#include "stage/backend.h"
#include "stage/draw_list.h"
#include "stage/scene.h"
#include "stage/sprite.h"
#include "stage/touch.h"

#include <functional>
#include <map>
#include <memory>

namespace stage {

enum class Projection { TwoD, ThreeD };

class Director {
public:
    explicit Director(Backend& backend);
    ~Director();
    Director(const Director&) = delete;
    Director& operator=(const Director&) = delete;

    static Director* current();

    Backend& backend() { return backend_; }
    TextureCache& textureCache() { return textures_; }
    AudioEngine& audio() { return backend_.audio(); }
    TouchDispatcher& touchDispatcher() { return touches_; }

    // --- view ---
    // The size the book is designed for; the window shows all of it, scaled uniformly and centred.
    // Until set, the design size is the window size.
    void setDesignResolutionSize(Size design);
    // The design size (not the window's pixel size).
    Size winSize() const { return design_; }
    // The window in pixels.
    Size frameSize() const { return frame_; }
    // Follows a window resize; called by the loop on a resize event.
    void setFrameSize(Size pixels);
    // Where the design area lies in the window: pixels, origin top left.
    Rect viewportInPixels() const;
    float viewScale() const { return scale_; }
    // View point (design units, origin top left) to node space (origin bottom left), and back.
    Point convertToGL(Point viewPoint) const;
    Point convertToUI(Point glPoint) const;
    // A window pixel (origin top left) to a view point.
    Point windowToView(Point pixel) const;

    // Kept for the book's set-up; the drawing is 2-D either way.
    void setDepthTest(bool on) { depthTest_ = on; }
    bool isDepthTest() const { return depthTest_; }
    void setProjection(Projection p) { projection_ = p; }
    Projection projection() const { return projection_; }
    void setDisplayStats(bool on) { displayStats_ = on; }
    bool isDisplayStats() const { return displayStats_; }
    void setAnimationInterval(double seconds);
    double animationInterval() const { return interval_; }

    // --- scenes ---
    // Both take effect at the next frame, after its tick. A second call before then wins.
    void runWithScene(ScenePtr scene);
    void replaceScene(ScenePtr scene);
    ScenePtr runningScene() const { return running_; }
    // Ends at the next frame (the frame in which it is called still draws); run() then returns.
    void end() { endRequested_ = true; }
    bool hasEnded() const { return ended_; }

    // Paused: no ticks (actions and timers freeze), drawing goes on at 4 frames a second. Resuming makes
    // the next frame's delta 0.
    void pause();
    void resume();
    bool isPaused() const { return paused_; }
    // Stopped: no frames at all (step() returns at once); the loop still handles events.
    void stopAnimation() { animating_ = false; }
    void startAnimation();
    bool isAnimating() const { return animating_; }

    // --- time and events ---
    void step(float dt);
    // On: step() skips drawing and presenting a frame that would look exactly like the one drawn last, and
    // draws and presents only the changed parts of the others where the renderer keepsFrame(). run() turns
    // it on; off (the default), every step draws the whole frame.
    void setDrawOnlyChanges(bool on);
    bool drawsOnlyChanges() const { return drawOnlyChanges_; }
    // The window lost its picture: the next frame is drawn and presented whatever it shows.
    void setNeedsRedraw() { redraw_ = true; }
    // Seconds of frame time until the stage needs a step: 0 for the next frame (actions running, a scene
    // change or a redraw pending), the time to the next timer, or infinity while only input can change
    // anything.
    double secondsUntilDue() const;
    // Touch events are delivered at once; Quit ends; background/foreground and keys call the handlers below.
    void handleEvent(const InputEvent& event);
    // The loop; returns 0 after end().
    int run();
    void setBackgroundHandlers(std::function<void()> onEnterBackground,
                               std::function<void()> onEnterForeground);
    // Receives every key press, between frames like touches (also while a transition runs).
    void setKeyHandler(std::function<void(Key)> onKeyPressed) { onKey_ = std::move(onKeyPressed); }
    unsigned long long frames() const { return frames_; }
    // Frames drawn and shown in the window.
    unsigned long long framesPresented() const { return presented_; }
    // Of those, the frames drawn and shown only where they changed.
    unsigned long long framesPresentedInPart() const { return presentedInPart_; }
    // While run() runs, calls `report` about every `seconds` (for measuring what the loop costs).
    void setFrameReport(double seconds, std::function<void()> report);

private:
    void purge();
    void tick(float dt);
    void swapScene();
    void draw();
    void drawInto(Renderer& r);
    void updateViewport();

    Backend& backend_;
    TextureCache textures_;
    TouchDispatcher touches_;

    Size frame_;
    Size design_;
    bool designSet_ = false;
    float scale_ = 1;
    Point offset_; // design area's top-left corner in window pixels

    bool depthTest_ = false;
    Projection projection_ = Projection::ThreeD;
    bool displayStats_ = false;
    double interval_ = 1.0 / 60;
    double intervalBeforePause_ = 1.0 / 60;

    ScenePtr running_;
    ScenePtr next_;
    bool hasNext_ = false;
    bool endRequested_ = false;
    bool ended_ = false;
    bool paused_ = false;
    bool animating_ = true;
    bool nextDeltaZero_ = false;
    unsigned long long frames_ = 0;
    unsigned long long presented_ = 0;
    unsigned long long presentedInPart_ = 0;
    bool drawOnlyChanges_ = false;
    bool redraw_ = true;
    // The frame on screen and the frame being drawn, as lists of draw calls.
    std::unique_ptr<DrawList> shown_;
    std::unique_ptr<DrawList> drawing_;
    bool shownValid_ = false;
    std::vector<Rect> changedAreas_;
    double reportInterval_ = 0;
    std::function<void()> report_;

    std::map<int, Touch> activeTouches_;
    std::function<void()> onBackground_;
    std::function<void()> onForeground_;
    std::function<void(Key)> onKey_;
};

} // namespace stage
