#include "stage/scene.h"

#include "stage/director.h"

namespace stage {

namespace {

Size currentWinSize() {
    Director* d = Director::current();
    return d != nullptr ? d->winSize() : Size{};
}

} // namespace

ScenePtr Scene::create() {
    return std::make_shared<Scene>();
}

Scene::Scene() {
    setIgnoreAnchorPointForPosition(true);
    setAnchorPoint({0.5f, 0.5f});
    setContentSize(currentWinSize());
}

std::shared_ptr<Layer> Layer::create() {
    return std::make_shared<Layer>();
}

Layer::Layer() {
    setIgnoreAnchorPointForPosition(true);
    setAnchorPoint({0.5f, 0.5f});
    setContentSize(currentWinSize());
}

void Layer::registerTouches() {
    if (Director* d = Director::current()) {
        d->touchDispatcher().addTargetedDelegate(this, touchPriority_, swallows_);
    }
}

void Layer::unregisterTouches() {
    if (Director* d = Director::current()) {
        d->touchDispatcher().removeDelegate(this);
    }
}

void Layer::setTouchEnabled(bool enabled) {
    if (enabled == touchEnabled_) {
        return;
    }
    touchEnabled_ = enabled;
    if (isRunning()) {
        if (enabled) {
            registerTouches();
        } else {
            unregisterTouches();
        }
    }
}

void Layer::setTouchPriority(int priority) {
    if (priority == touchPriority_) {
        return;
    }
    touchPriority_ = priority;
    if (touchEnabled_ && isRunning()) {
        unregisterTouches();
        registerTouches();
    }
}

void Layer::setSwallowsTouches(bool swallows) {
    if (swallows == swallows_) {
        return;
    }
    swallows_ = swallows;
    if (touchEnabled_ && isRunning()) {
        unregisterTouches();
        registerTouches();
    }
}

void Layer::onEnter() {
    if (touchEnabled_) {
        registerTouches();
    }
    Node::onEnter();
}

void Layer::onExit() {
    if (touchEnabled_) {
        unregisterTouches();
    }
    Node::onExit();
}

} // namespace stage
