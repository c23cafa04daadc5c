// Touches and their dispatch to targeted delegates.
//
// Delegates are tried in ascending priority number; among equal priorities the one registered last goes
// first. A delegate claims a touch by returning true from touchBegan; only claimers see its moves and end.
// A swallowing claimer hides the touch from every delegate after it.
#pragma once

#include "stage/geometry.h"

#include <set>
#include <vector>

namespace stage {

class TouchDispatcher;

class Touch {
public:
    int id() const { return id_; }
    // Design units, origin at the top left (the view's coordinates).
    Point locationInView() const { return location_; }
    Point previousLocationInView() const { return previous_; }
    Point startLocationInView() const { return start_; }
    // Design units, origin at the bottom left (where nodes are placed).
    Point location() const { return toGL(location_); }
    Point previousLocation() const { return toGL(previous_); }
    Point startLocation() const { return toGL(start_); }

    Touch(int id, Point viewLocation, float designHeight)
        : id_(id), location_(viewLocation), previous_(viewLocation), start_(viewLocation),
          designHeight_(designHeight) {}
    void moveTo(Point viewLocation) {
        previous_ = location_;
        location_ = viewLocation;
    }

private:
    Point toGL(Point p) const { return {p.x, designHeight_ - p.y}; }

    int id_;
    Point location_;
    Point previous_;
    Point start_;
    float designHeight_;
};

class TouchDelegate {
public:
    virtual ~TouchDelegate();
    // Return true to claim the touch.
    virtual bool touchBegan(Touch&) { return false; }
    virtual void touchMoved(Touch&) {}
    virtual void touchEnded(Touch&) {}
    virtual void touchCancelled(Touch&) {}

protected:
    TouchDelegate() = default;
    TouchDelegate(const TouchDelegate&) = delete;
    TouchDelegate& operator=(const TouchDelegate&) = delete;

private:
    friend class TouchDispatcher;
    TouchDispatcher* dispatcher_ = nullptr;
};

// The priority of menus: ahead of layers at the default 0.
constexpr int kMenuTouchPriority = -128;

class TouchDispatcher {
public:
    TouchDispatcher() = default;
    ~TouchDispatcher();
    TouchDispatcher(const TouchDispatcher&) = delete;
    TouchDispatcher& operator=(const TouchDispatcher&) = delete;

    // A delegate registered already keeps its place (and the call is logged).
    void addTargetedDelegate(TouchDelegate* delegate, int priority, bool swallowsTouches);
    void removeDelegate(TouchDelegate* delegate);
    void removeAllDelegates();
    bool hasDelegate(const TouchDelegate* delegate) const;

    // While off, every event is dropped, including the end of a touch that began before.
    void setDispatchEvents(bool on) { dispatchEvents_ = on; }
    bool isDispatchEvents() const { return dispatchEvents_; }

    void touchBegan(Touch& touch);
    void touchMoved(Touch& touch);
    void touchEnded(Touch& touch);
    void touchCancelled(Touch& touch);

private:
    enum class Phase { Moved, Ended, Cancelled };
    struct Handler {
        TouchDelegate* delegate;
        int priority;
        bool swallows;
        std::set<int> claimed;
        bool removed = false;
    };
    void insert(TouchDelegate* delegate, int priority, bool swallows);
    void dispatchClaimed(Touch& touch, Phase phase);
    void applyPending();

    std::vector<Handler> handlers_;
    bool dispatchEvents_ = true;
    int locked_ = 0;
    struct PendingAdd {
        TouchDelegate* delegate;
        int priority;
        bool swallows;
    };
    std::vector<PendingAdd> toAdd_;
};

} // namespace stage
