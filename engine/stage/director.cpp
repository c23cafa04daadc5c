#include "stage/director.h"

#include "stage/close_request.h"
#include "stage/log.h"
#include "stage/transition.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

namespace stage {

namespace {
Director* g_current = nullptr;
} // namespace

Director* Director::current() {
    return g_current;
}

Director::Director(Backend& backend)
    : backend_(backend), textures_(backend.renderer()),
      shown_(std::make_unique<DrawList>(backend.renderer())),
      drawing_(std::make_unique<DrawList>(backend.renderer())) {
    if (g_current != nullptr) {
        log(LogLevel::Warning, "a second director takes over from the first");
    }
    g_current = this;
    frame_ = backend.windowSize();
    design_ = frame_;
    updateViewport();
    textures_.setPixelBudget(TextureCache::pixelBudgetFor(design_));
}

Director::~Director() {
    if (running_ && !ended_) {
        running_->onExitTransitionDidStart();
        running_->onExit();
        running_->cleanup();
    }
    running_.reset();
    next_.reset();
    touches_.removeAllDelegates();
    textures_.removeAllTextures();
    if (g_current == this) {
        g_current = nullptr;
    }
}

// --- view ------------------------------------------------------------------------------------------------

void Director::setDesignResolutionSize(Size design) {
    if (!(design.width > 0) || !(design.height > 0)) {
        log(LogLevel::Error, "design resolution must be positive; kept the old one");
        return;
    }
    design_ = design;
    designSet_ = true;
    updateViewport();
    textures_.setPixelBudget(TextureCache::pixelBudgetFor(design_));
}

void Director::setFrameSize(Size pixels) {
    if (!(pixels.width > 0) || !(pixels.height > 0)) {
        return;
    }
    frame_ = pixels;
    redraw_ = true;
    if (!designSet_) {
        design_ = frame_;
        textures_.setPixelBudget(TextureCache::pixelBudgetFor(design_));
    }
    updateViewport();
}

void Director::updateViewport() {
    if (!(design_.width > 0) || !(design_.height > 0) || !(frame_.width > 0) || !(frame_.height > 0)) {
        scale_ = 1;
        offset_ = {};
        return;
    }
    // Show all: one scale for both axes, the rest of the window left as bars.
    scale_ = std::min(frame_.width / design_.width, frame_.height / design_.height);
    offset_ = {(frame_.width - design_.width * scale_) / 2, (frame_.height - design_.height * scale_) / 2};
}

Rect Director::viewportInPixels() const {
    return {offset_.x, offset_.y, design_.width * scale_, design_.height * scale_};
}

Point Director::convertToGL(Point viewPoint) const {
    return {viewPoint.x, design_.height - viewPoint.y};
}

Point Director::convertToUI(Point glPoint) const {
    return {glPoint.x, design_.height - glPoint.y};
}

Point Director::windowToView(Point pixel) const {
    return {(pixel.x - offset_.x) / scale_, (pixel.y - offset_.y) / scale_};
}

void Director::setAnimationInterval(double seconds) {
    if (!(seconds > 0)) {
        log(LogLevel::Error, "animation interval must be positive");
        return;
    }
    interval_ = seconds;
}

// --- scenes ----------------------------------------------------------------------------------------------

void Director::runWithScene(ScenePtr scene) {
    if (!scene) {
        log(LogLevel::Error, "runWithScene: no scene");
        return;
    }
    next_ = std::move(scene);
    hasNext_ = true;
    startAnimation();
}

void Director::replaceScene(ScenePtr scene) {
    if (!scene) {
        log(LogLevel::Error, "replaceScene: no scene");
        return;
    }
    next_ = std::move(scene);
    hasNext_ = true;
}

void Director::swapScene() {
    hasNext_ = false;
    ScenePtr next = std::move(next_);
    if (!next || next == running_) {
        return;
    }
    auto runningTransition = std::dynamic_pointer_cast<TransitionScene>(running_);
    if (runningTransition && next != runningTransition->inScene()) {
        // Another change while a transition runs: complete the transition first, so that its in-scene is
        // properly on stage and the new change starts from there.
        runningTransition->finishNow();
        runningTransition->onExitTransitionDidStart();
        runningTransition->onExit();
        runningTransition->cleanup();
        running_ = runningTransition->inScene();
        runningTransition.reset();
    }
    auto nextTransition = std::dynamic_pointer_cast<TransitionScene>(next);
    if (nextTransition && nextTransition->inScene() == running_) {
        log(LogLevel::Error, "a transition to the scene already shown is ignored");
        return;
    }
    if (running_ && !nextTransition) {
        running_->onExitTransitionDidStart();
        running_->onExit();
        running_->cleanup();
    }
    ScenePtr previous = std::move(running_);
    running_ = next;
    if (nextTransition) {
        nextTransition->attach(*this, previous);
    }
    // After a transition its in-scene has entered already.
    if (!runningTransition) {
        running_->onEnter();
        running_->onEnterTransitionDidFinish();
    }
    previous.reset();
    runningTransition.reset();
    textures_.removeUnusedTextures();
}

void Director::purge() {
    endRequested_ = false;
    ended_ = true;
    touches_.removeAllDelegates();
    if (running_) {
        running_->onExitTransitionDidStart();
        running_->onExit();
        running_->cleanup();
    }
    running_.reset();
    next_.reset();
    hasNext_ = false;
    audio().stopAllEffects();
    audio().stopMusic(true);
    textures_.removeAllTextures();
    animating_ = false;
}

// --- time ------------------------------------------------------------------------------------------------

void Director::pause() {
    if (paused_) {
        return;
    }
    intervalBeforePause_ = interval_;
    interval_ = 0.25;
    paused_ = true;
}

void Director::resume() {
    if (!paused_) {
        return;
    }
    interval_ = intervalBeforePause_;
    paused_ = false;
    nextDeltaZero_ = true;
}

void Director::startAnimation() {
    if (!animating_) {
        nextDeltaZero_ = true;
    }
    animating_ = true;
}

void Director::step(float dt) {
    if (endRequested_ && !ended_) {
        purge();
        return;
    }
    if (ended_ || !animating_) {
        return;
    }
    if (nextDeltaZero_ || !(dt >= 0) || !std::isfinite(dt)) {
        dt = 0;
        nextDeltaZero_ = false;
    }
    if (!paused_) {
        tick(dt);
    }
    if (hasNext_) {
        swapScene();
    }
    draw();
    ++frames_;
}

void Director::tick(float dt) {
    if (!running_) {
        return;
    }
    // All actions first, then all timers; nodes are held for the whole pass, so call-backs may remove them.
    std::vector<NodePtr> nodes;
    running_->collectTree(nodes);
    for (const auto& node : nodes) {
        node->updateActions(dt);
    }
    nodes.clear();
    if (running_) {
        running_->collectTree(nodes);
    }
    for (const auto& node : nodes) {
        node->updateTimers(dt);
    }
}

void Director::setDrawOnlyChanges(bool on) {
    drawOnlyChanges_ = on;
    shownValid_ = false;
}

void Director::draw() {
    Renderer& r = backend_.renderer();
    // Transitions draw into render targets and meshes, which a list cannot hold; they change every frame
    // anyway.
    if (!drawOnlyChanges_ || std::dynamic_pointer_cast<TransitionScene>(running_)) {
        drawInto(r);
        shownValid_ = false;
        ++presented_;
        return;
    }
    drawInto(*drawing_);
    if (!drawing_->complete()) {
        drawInto(r);
        shownValid_ = false;
        ++presented_;
        return;
    }
    const bool onScreen = shownValid_ && !redraw_;
    if (onScreen && drawing_->sameAs(*shown_)) {
        return; // what is on screen already
    }
    // Where the output still holds the frame on screen, only what changed is drawn and shown.
    if (onScreen && r.keepsFrame() && drawing_->changedAreas(*shown_, changedAreas_)) {
        drawing_->playBack(r, changedAreas_);
        ++presentedInPart_;
    } else {
        drawing_->playBack(r);
    }
    std::swap(shown_, drawing_);
    shownValid_ = true;
    redraw_ = false;
    ++presented_;
}

void Director::drawInto(Renderer& r) {
    r.beginFrame();
    r.clear({0, 0, 0, 255});
    const Rect viewport = viewportInPixels();
    r.setClipRect(&viewport);
    if (running_) {
        // Design units (origin bottom left) to window pixels (origin top left).
        const Affine designToPixels{scale_, 0, 0, -scale_, offset_.x, offset_.y + design_.height * scale_};
        running_->visit(r, designToPixels, {});
    }
    r.setClipRect(nullptr);
    r.endFrame();
}

double Director::secondsUntilDue() const {
    if (ended_ || !animating_) {
        return std::numeric_limits<double>::infinity();
    }
    if (endRequested_ || hasNext_ || (redraw_ && drawOnlyChanges_)) {
        return 0;
    }
    if (!running_ || paused_) {
        return std::numeric_limits<double>::infinity();
    }
    std::vector<NodePtr> nodes;
    running_->collectTree(nodes);
    double soonest = std::numeric_limits<double>::infinity();
    for (const auto& node : nodes) {
        if (node->needsNextFrame()) {
            return 0;
        }
        soonest = std::min(soonest, node->secondsUntilTimerDue());
    }
    return soonest;
}

// --- events and loop -------------------------------------------------------------------------------------

void Director::handleEvent(const InputEvent& event) {
    using Kind = InputEvent::Kind;
    switch (event.kind) {
    case Kind::TouchBegan: {
        // Presses on the bars beside the design area are dropped.
        if (!viewportInPixels().containsPoint(event.position)) {
            return;
        }
        Touch touch(event.touchId, windowToView(event.position), design_.height);
        auto it = activeTouches_.insert_or_assign(event.touchId, touch).first;
        touches_.touchBegan(it->second);
        return;
    }
    case Kind::TouchMoved: {
        auto it = activeTouches_.find(event.touchId);
        if (it != activeTouches_.end()) {
            it->second.moveTo(windowToView(event.position));
            touches_.touchMoved(it->second);
        }
        return;
    }
    case Kind::TouchEnded:
    case Kind::TouchCancelled: {
        auto it = activeTouches_.find(event.touchId);
        if (it == activeTouches_.end()) {
            return;
        }
        Touch touch = it->second;
        activeTouches_.erase(it);
        touch.moveTo(windowToView(event.position));
        if (event.kind == Kind::TouchEnded) {
            touches_.touchEnded(touch);
        } else {
            touches_.touchCancelled(touch);
        }
        return;
    }
    case Kind::Quit:
        end();
        return;
    case Kind::EnterBackground:
        if (onBackground_) {
            onBackground_();
        }
        return;
    case Kind::EnterForeground:
        if (onForeground_) {
            onForeground_();
        }
        return;
    case Kind::Resized:
        setFrameSize(event.windowSize);
        return;
    case Kind::KeyPressed:
        if (onKey_) {
            onKey_(event.key);
        }
        return;
    case Kind::Exposed:
        redraw_ = true;
        return;
    }
}

void Director::setBackgroundHandlers(std::function<void()> onEnterBackground,
                                     std::function<void()> onEnterForeground) {
    onBackground_ = std::move(onEnterBackground);
    onForeground_ = std::move(onEnterForeground);
}

void Director::setFrameReport(double seconds, std::function<void()> report) {
    reportInterval_ = seconds;
    report_ = std::move(report);
}

int Director::run() {
    using Clock = std::chrono::steady_clock;
    // The longest sleep in one go: signals and the frame report are looked at in between.
    constexpr double kLongestWait = 0.25;
    setDrawOnlyChanges(true);
    Clock::time_point last = Clock::now();
    Clock::time_point lastReport = last;
    bool wasAnimating = animating_;
    bool inputSinceStep = true;
    double wait = 0;
    std::vector<InputEvent> events;
    while (!ended_) {
        events.clear();
        backend_.waitEvents(events, wait);
        for (const auto& e : events) {
            handleEvent(e);
        }
        inputSinceStep = inputSinceStep || !events.empty();
        if (closeRequested()) {
            end(); // a termination signal: the same as closing the window
        }
        if (endRequested_ && !animating_) {
            purge();
            break;
        }
        const Clock::time_point now = Clock::now();
        if (report_ && reportInterval_ > 0 &&
            std::chrono::duration<double>(now - lastReport).count() >= reportInterval_) {
            lastReport = now;
            report_();
        }
        if (animating_ && !wasAnimating) {
            last = now; // the time spent stopped is not a frame delta
        }
        wasAnimating = animating_;
        const double elapsed = std::chrono::duration<double>(now - last).count();
        // When the next step is due, in seconds after the last one. Input may have changed what is on
        // stage (a touch moves a sprite), so a frame follows it.
        const double due = !animating_      ? std::numeric_limits<double>::infinity()
                           : inputSinceStep ? interval_
                                            : std::max(interval_, secondsUntilDue());
        if (animating_ && elapsed > interval_ && elapsed >= due) {
            last = now;
            inputSinceStep = false;
            step(float(elapsed));
            wait = 0;
            continue;
        }
        wait = std::min(kLongestWait, std::max(due, interval_) - elapsed);
        if (report_ && reportInterval_ > 0) {
            wait = std::min(wait, reportInterval_ - std::chrono::duration<double>(now - lastReport).count());
        }
        wait = std::max(wait, 0.0);
    }
    closeRequestHandled();
    return 0;
}

} // namespace stage
