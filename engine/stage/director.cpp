#include "stage/director.h"

#include "stage/close_request.h"
#include "stage/log.h"
#include "stage/transition.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace stage {

namespace {
Director* g_current = nullptr;
} // namespace

Director* Director::current() {
    return g_current;
}

Director::Director(Backend& backend) : backend_(backend), textures_(backend.renderer()) {
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

void Director::draw() {
    Renderer& r = backend_.renderer();
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
    ++presented_;
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
    Clock::time_point last = Clock::now();
    Clock::time_point lastReport = last;
    bool wasAnimating = animating_;
    std::vector<InputEvent> events;
    while (!ended_) {
        if (report_ && reportInterval_ > 0 &&
            std::chrono::duration<double>(Clock::now() - lastReport).count() >= reportInterval_) {
            lastReport = Clock::now();
            report_();
        }
        events.clear();
        backend_.pollEvents(events);
        for (const auto& e : events) {
            handleEvent(e);
        }
        if (closeRequested()) {
            end(); // a termination signal: the same as closing the window
        }
        if (endRequested_ && !animating_) {
            purge();
            break;
        }
        const Clock::time_point now = Clock::now();
        if (animating_ && !wasAnimating) {
            last = now; // the time spent stopped is not a frame delta
        }
        wasAnimating = animating_;
        const double elapsed = std::chrono::duration<double>(now - last).count();
        if (animating_ && elapsed > interval_) {
            last = now;
            step(float(elapsed));
            continue;
        }
        const double wait = animating_ ? interval_ - elapsed : 0.01;
        if (wait > 0.002) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else {
            std::this_thread::yield();
        }
    }
    closeRequestHandled();
    return 0;
}

} // namespace stage
