#include "stage/node.h"

#include "stage/action.h"
#include "stage/log.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace stage {

namespace {

// Insertion numbers break ties between equal z: a later arrival is drawn later (in front).
std::uint64_t nextArrival() {
    static std::uint64_t counter = 0;
    return ++counter;
}

} // namespace

struct Node::Timer {
    std::string key;
    std::function<void(float)> callback;
    float interval = 0;
    unsigned repeat = 0;
    float delay = 0;
    float elapsed = -1; // -1: not armed yet
    unsigned timesExecuted = 0;
    bool useDelay = false;
    bool forever = false;
    bool removed = false;

    // Frame time until the next update that may fire it; 0 when the next frame must see it.
    double secondsUntilDue() const {
        if (removed) {
            return std::numeric_limits<double>::infinity();
        }
        if (elapsed == -1) {
            return 0; // the arming frame
        }
        const float due = useDelay ? delay : interval;
        return std::max(0.0, double(due) - double(elapsed));
    }

    // Returns false once the timer has used up its repeats.
    bool update(float dt) {
        if (elapsed == -1) {
            // The first frame after scheduling only arms the timer; its delta is dropped.
            elapsed = 0;
            timesExecuted = 0;
            return true;
        }
        elapsed += dt;
        if (forever && !useDelay) {
            if (elapsed >= interval) {
                const float arg = elapsed;
                elapsed = 0; // the remainder is dropped, so a timer never catches up
                callback(arg);
            }
            return true;
        }
        if (useDelay) {
            if (elapsed >= delay) {
                const float arg = elapsed;
                elapsed -= delay;
                timesExecuted += 1;
                useDelay = false;
                callback(arg);
            }
        } else if (elapsed >= interval) {
            const float arg = elapsed;
            elapsed = 0;
            timesExecuted += 1;
            callback(arg);
        }
        return forever || timesExecuted <= repeat;
    }
};

NodePtr Node::create() {
    return std::make_shared<Node>();
}

// A node that has not entered a running tree keeps its actions and timers frozen until it does.
Node::Node() : paused_(true) {}

Node::~Node() {
    for (auto& child : children_) {
        child->parent_ = nullptr;
    }
    for (auto& entry : actions_) {
        entry.action->owner_ = nullptr;
    }
}

void Node::setZOrder(int z) {
    if (parent_ == nullptr) {
        z_ = z;
        arrival_ = nextArrival();
        return;
    }
    for (const auto& child : parent_->children_) {
        if (child.get() == this) {
            parent_->reorderChild(child, z);
            return;
        }
    }
}

void Node::addChild(const NodePtr& child) {
    if (child) {
        addChild(child, child->z_, child->tag_);
    }
}

void Node::addChild(const NodePtr& child, int z) {
    if (child) {
        addChild(child, z, child->tag_);
    }
}

void Node::addChild(const NodePtr& child, int z, int tag) {
    if (!child) {
        log(LogLevel::Error, "addChild: the child is null");
        return;
    }
    if (child->parent_ != nullptr || child.get() == this) {
        log(LogLevel::Error, "addChild: the child already has a parent");
        return;
    }
    child->tag_ = tag;
    child->parent_ = this;
    insertChild(child, z);
    if (running_) {
        child->onEnter();
        child->onEnterTransitionDidFinish();
    }
}

void Node::insertChild(const NodePtr& child, int z) {
    child->z_ = z;
    child->arrival_ = nextArrival();
    // Children stay sorted by (z, arrival); a new arrival always goes after its equals.
    auto pos = std::upper_bound(children_.begin(), children_.end(), z,
                                [](int zz, const NodePtr& c) { return zz < c->z_; });
    children_.insert(pos, child);
}

void Node::reorderChild(const NodePtr& child, int z) {
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end()) {
        return;
    }
    NodePtr keep = *it;
    children_.erase(it);
    insertChild(keep, z);
}

void Node::detachChild(std::size_t index, bool cleanup) {
    NodePtr child = children_[index];
    if (running_) {
        child->onExitTransitionDidStart();
        child->onExit();
    }
    if (cleanup) {
        child->cleanup();
    }
    // Life-cycle calls may have changed the list; find the child again.
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it != children_.end()) {
        children_.erase(it);
    }
    child->parent_ = nullptr;
}

void Node::removeChild(const NodePtr& child, bool cleanup) {
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it != children_.end()) {
        detachChild(std::size_t(it - children_.begin()), cleanup);
    }
}

bool Node::removeChildByTag(int tag, bool cleanup) {
    for (std::size_t i = 0; i < children_.size(); ++i) {
        if (children_[i]->tag_ == tag) {
            detachChild(i, cleanup);
            return true;
        }
    }
    log(LogLevel::Debug, "removeChildByTag: no child with tag " + std::to_string(tag));
    return false;
}

void Node::removeFromParent(bool cleanup) {
    if (parent_ == nullptr) {
        return;
    }
    NodePtr self = shared_from_this();
    parent_->removeChild(self, cleanup);
}

void Node::removeAllChildren(bool cleanup) {
    while (!children_.empty()) {
        detachChild(children_.size() - 1, cleanup);
    }
}

NodePtr Node::getChildByTag(int tag) const {
    for (const auto& child : children_) {
        if (child->tag_ == tag) {
            return child;
        }
    }
    return nullptr;
}

void Node::onEnter() {
    running_ = true;
    // Work on a copy: entering may add or remove children.
    const std::vector<NodePtr> snapshot = children_;
    for (const auto& child : snapshot) {
        if (child->parent_ == this && !child->running_) {
            child->onEnter();
        }
    }
    resumeSchedulerAndActions();
}

void Node::onEnterTransitionDidFinish() {
    const std::vector<NodePtr> snapshot = children_;
    for (const auto& child : snapshot) {
        if (child->parent_ == this) {
            child->onEnterTransitionDidFinish();
        }
    }
}

void Node::onExitTransitionDidStart() {
    const std::vector<NodePtr> snapshot = children_;
    for (const auto& child : snapshot) {
        if (child->parent_ == this) {
            child->onExitTransitionDidStart();
        }
    }
}

void Node::onExit() {
    pauseSchedulerAndActions();
    running_ = false;
    const std::vector<NodePtr> snapshot = children_;
    for (const auto& child : snapshot) {
        if (child->parent_ == this && child->running_) {
            child->onExit();
        }
    }
}

void Node::cleanup() {
    stopAllActions();
    unscheduleAll();
    const std::vector<NodePtr> snapshot = children_;
    for (const auto& child : snapshot) {
        child->cleanup();
    }
}

// ---------------------------------------------------------------------------------------------------------
// Actions

ActionPtr Node::runAction(const ActionPtr& action) {
    if (!action) {
        log(LogLevel::Error, "runAction: the action is null");
        return nullptr;
    }
    if (action->owner_ != nullptr) {
        // One action object holds the state of one run; running it twice would corrupt both.
        log(LogLevel::Error, "runAction: the action is already running; run a clone instead");
        return nullptr;
    }
    action->owner_ = this;
    actions_.push_back({action, false});
    action->startWithTarget(this);
    return action;
}

void Node::eraseRemovedActions() {
    actions_.erase(
        std::remove_if(actions_.begin(), actions_.end(), [](const RunningAction& e) { return e.removed; }),
        actions_.end());
}

void Node::stopAllActions() {
    for (auto& entry : actions_) {
        if (!entry.removed) {
            entry.removed = true;
            entry.action->owner_ = nullptr;
        }
    }
    if (actionsUpdating_ == 0) {
        eraseRemovedActions();
    }
}

void Node::stopAction(const ActionPtr& action) {
    for (auto& entry : actions_) {
        if (!entry.removed && entry.action == action) {
            entry.removed = true;
            entry.action->owner_ = nullptr;
            break;
        }
    }
    if (actionsUpdating_ == 0) {
        eraseRemovedActions();
    }
}

void Node::stopActionByTag(int tag) {
    for (auto& entry : actions_) {
        if (!entry.removed && entry.action->tag() == tag) {
            stopAction(entry.action);
            return;
        }
    }
}

ActionPtr Node::getActionByTag(int tag) const {
    for (const auto& entry : actions_) {
        if (!entry.removed && entry.action->tag() == tag) {
            return entry.action;
        }
    }
    return nullptr;
}

std::size_t Node::numberOfRunningActions() const {
    return std::size_t(
        std::count_if(actions_.begin(), actions_.end(), [](const RunningAction& e) { return !e.removed; }));
}

void Node::updateActions(float dt) {
    if (paused_ || actions_.empty()) {
        return;
    }
    NodePtr keepAlive = weak_from_this().lock();
    ++actionsUpdating_;
    // Actions started on this node meanwhile are appended and stepped in this same frame.
    for (std::size_t i = 0; i < actions_.size(); ++i) {
        if (actions_[i].removed) {
            continue;
        }
        ActionPtr action = actions_[i].action;
        action->step(dt);
        if (actions_[i].removed) {
            continue; // stopped by its own call-back
        }
        if (action->isDone()) {
            action->stop();
            // stop() may have stopped actions itself; look the entry up again by identity.
            for (auto& entry : actions_) {
                if (entry.action == action && !entry.removed) {
                    entry.removed = true;
                    action->owner_ = nullptr;
                    break;
                }
            }
        }
    }
    --actionsUpdating_;
    if (actionsUpdating_ == 0) {
        eraseRemovedActions();
    }
}

// ---------------------------------------------------------------------------------------------------------
// Timers

void Node::schedule(const std::string& key, std::function<void(float)> callback, float interval,
                    unsigned repeat, float delay) {
    if (!callback) {
        log(LogLevel::Error, "schedule: no call-back for " + key);
        return;
    }
    if (!(interval >= 0)) {
        interval = 0;
    }
    for (auto& timer : timers_) {
        if (!timer->removed && timer->key == key) {
            log(LogLevel::Debug, "schedule: " + key + " is already scheduled; only its interval changes");
            timer->interval = interval;
            return;
        }
    }
    auto timer = std::make_unique<Timer>();
    timer->key = key;
    timer->callback = std::move(callback);
    timer->interval = interval;
    timer->repeat = repeat;
    timer->delay = delay;
    timer->useDelay = delay > 0;
    timer->forever = repeat >= kRepeatForever;
    timers_.push_back(std::move(timer));
}

void Node::scheduleOnce(const std::string& key, std::function<void(float)> callback, float delay) {
    schedule(key, std::move(callback), 0, 0, delay);
}

void Node::unschedule(const std::string& key) {
    for (auto& timer : timers_) {
        if (!timer->removed && timer->key == key) {
            timer->removed = true;
        }
    }
    if (timersUpdating_ == 0) {
        timers_.erase(
            std::remove_if(timers_.begin(), timers_.end(), [](const auto& t) { return t->removed; }),
            timers_.end());
    }
}

void Node::unscheduleAll() {
    for (auto& timer : timers_) {
        timer->removed = true;
    }
    if (timersUpdating_ == 0) {
        timers_.clear();
    }
}

bool Node::isScheduled(const std::string& key) const {
    return std::any_of(timers_.begin(), timers_.end(),
                       [&](const auto& t) { return !t->removed && t->key == key; });
}

void Node::updateTimers(float dt) {
    if (paused_ || timers_.empty()) {
        return;
    }
    NodePtr keepAlive = weak_from_this().lock();
    ++timersUpdating_;
    for (std::size_t i = 0; i < timers_.size(); ++i) {
        Timer* timer = timers_[i].get();
        if (timer->removed) {
            continue;
        }
        if (!timer->update(dt)) {
            timer->removed = true;
        }
        if (paused_) {
            break; // a call-back took the node out of the running tree
        }
    }
    --timersUpdating_;
    if (timersUpdating_ == 0) {
        timers_.erase(
            std::remove_if(timers_.begin(), timers_.end(), [](const auto& t) { return t->removed; }),
            timers_.end());
    }
}

bool Node::needsNextFrame() const {
    return !paused_ && numberOfRunningActions() > 0;
}

double Node::secondsUntilTimerDue() const {
    double soonest = std::numeric_limits<double>::infinity();
    if (paused_) {
        return soonest;
    }
    for (const auto& timer : timers_) {
        soonest = std::min(soonest, timer->secondsUntilDue());
    }
    return soonest;
}

void Node::collectTree(std::vector<NodePtr>& out) {
    out.push_back(shared_from_this());
    for (const auto& child : children_) {
        child->collectTree(out);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Transforms and drawing

Affine Node::nodeToParentTransform() const {
    const Point ap{anchor_.x * contentSize_.width, anchor_.y * contentSize_.height};
    Point t = position_;
    if (ignoreAnchor_) {
        t += ap;
    }
    // Positive rotation is clockwise on screen, so the angle is negated here.
    const float radians = -rotation_ * float(M_PI) / 180.0f;
    const float cs = std::cos(radians);
    const float sn = std::sin(radians);
    Affine m;
    m.a = cs * scaleX_;
    m.b = sn * scaleX_;
    m.c = -sn * scaleY_;
    m.d = cs * scaleY_;
    // Scaling and rotation pivot on the anchor point.
    m.tx = t.x - (m.a * ap.x + m.c * ap.y);
    m.ty = t.y - (m.b * ap.x + m.d * ap.y);
    return m;
}

Affine Node::nodeToWorldTransform() const {
    Affine m = nodeToParentTransform();
    for (const Node* p = parent_; p != nullptr; p = p->parent_) {
        m = p->nodeToParentTransform() * m;
    }
    return m;
}

Point Node::convertToNodeSpace(Point world) const {
    return nodeToWorldTransform().inverted().apply(world);
}

Point Node::convertToWorldSpace(Point local) const {
    return nodeToWorldTransform().apply(local);
}

Rect Node::boundingBox() const {
    const Affine m = nodeToParentTransform();
    const Point corners[4] = {m.apply({0, 0}), m.apply({contentSize_.width, 0}),
                              m.apply({contentSize_.width, contentSize_.height}),
                              m.apply({0, contentSize_.height})};
    float minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const Point& p : corners) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return {minX, minY, maxX - minX, maxY - minY};
}

void Node::visit(Renderer& renderer, const Affine& parentToPixels, const Inherited& inherited) {
    if (!visible_) {
        return;
    }
    const Affine toPixels = parentToPixels * nodeToParentTransform();
    const auto mul = [](std::uint8_t a, std::uint8_t b) {
        return std::uint8_t(unsigned(a) * unsigned(b) / 255u);
    };
    const Color4B shown{mul(color_.r, inherited.color.r), mul(color_.g, inherited.color.g),
                        mul(color_.b, inherited.color.b), mul(opacity_, inherited.opacity)};
    Inherited forChildren;
    if (cascade_) {
        forChildren.opacity = shown.a;
        forChildren.color = {shown.r, shown.g, shown.b};
    }
    // Drawing may not change the tree, but hold the children in case a subclass does.
    const std::vector<NodePtr> snapshot = children_;
    std::size_t i = 0;
    for (; i < snapshot.size() && snapshot[i]->z_ < 0; ++i) {
        snapshot[i]->visit(renderer, toPixels, forChildren);
    }
    draw(renderer, toPixels, shown);
    for (; i < snapshot.size(); ++i) {
        snapshot[i]->visit(renderer, toPixels, forChildren);
    }
}

void Node::draw(Renderer&, const Affine&, Color4B) {}

} // namespace stage
