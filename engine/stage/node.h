// The scene-graph node: geometry, appearance, children in z-order, life-cycle calls, and the node's own
// actions and timers (each node runs its own; the director advances every running node once a frame).
#pragma once

#include "stage/geometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace stage {

class Action;
class Node;
class Renderer;
using ActionPtr = std::shared_ptr<Action>;
using NodePtr = std::shared_ptr<Node>;

constexpr int kInvalidTag = -1;
// A timer repeat count meaning "until unscheduled". Any count at or above it also never ends.
constexpr unsigned kRepeatForever = 0xFFFFFFFEu;

class Node : public std::enable_shared_from_this<Node> {
public:
    static NodePtr create();
    Node();
    virtual ~Node();
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // --- geometry (design units, parent's space) ---
    void setPosition(Point p) { position_ = p; }
    Point position() const { return position_; }
    // Pivot of scale and rotation as a fraction of the content size; lands on position() unless the
    // anchor is ignored for positioning (scenes, layers, menus), in which case the lower-left corner does.
    void setAnchorPoint(Point p) { anchor_ = p; }
    Point anchorPoint() const { return anchor_; }
    void setIgnoreAnchorPointForPosition(bool ignore) { ignoreAnchor_ = ignore; }
    bool ignoresAnchorPointForPosition() const { return ignoreAnchor_; }
    void setContentSize(Size s) { contentSize_ = s; }
    Size contentSize() const { return contentSize_; }
    void setScale(float s) { scaleX_ = scaleY_ = s; }
    void setScaleX(float s) { scaleX_ = s; }
    void setScaleY(float s) { scaleY_ = s; }
    float scale() const { return scaleX_; }
    float scaleX() const { return scaleX_; }
    float scaleY() const { return scaleY_; }
    // Degrees; positive turns clockwise on screen.
    void setRotation(float degrees) { rotation_ = degrees; }
    float rotation() const { return rotation_; }

    // --- appearance ---
    void setVisible(bool v) { visible_ = v; }
    bool isVisible() const { return visible_; }
    void setOpacity(std::uint8_t o) { opacity_ = o; }
    std::uint8_t opacity() const { return opacity_; }
    void setColor(Color3B c) { color_ = c; }
    Color3B color() const { return color_; }
    // When on, children are drawn with this node's opacity and colour multiplied in (menus and menu items).
    void setCascadeOpacityAndColor(bool on) { cascade_ = on; }
    bool cascadesOpacityAndColor() const { return cascade_; }

    // --- identity and z-order ---
    void setTag(int tag) { tag_ = tag; }
    int tag() const { return tag_; }
    int zOrder() const { return z_; }
    // Moves the node behind no one: it is drawn last among siblings of equal z.
    void setZOrder(int z);

    // --- children ---
    // Children are kept sorted by z and, for equal z, by insertion (earlier is drawn first, i.e. behind).
    // A child that already has a parent is refused. Adding to a running node enters the child.
    void addChild(const NodePtr& child);
    void addChild(const NodePtr& child, int z);
    void addChild(const NodePtr& child, int z, int tag);
    void reorderChild(const NodePtr& child, int z);
    // Removing exits a running child; with clean-up its actions and timers (and its subtree's) go too.
    void removeChild(const NodePtr& child, bool cleanup = true);
    // Removes the first child with the tag; false (and a log line) when there is none.
    bool removeChildByTag(int tag, bool cleanup = true);
    void removeFromParent(bool cleanup = true);
    void removeAllChildren(bool cleanup = true);
    // The first child with the tag in drawing order, or null.
    NodePtr getChildByTag(int tag) const;
    const std::vector<NodePtr>& children() const { return children_; }
    Node* parent() const { return parent_; }

    // --- life cycle (override and call the base) ---
    virtual void onEnter();
    virtual void onEnterTransitionDidFinish();
    virtual void onExitTransitionDidStart();
    virtual void onExit();
    // Stops actions and timers of this node and its subtree, without the actions' stop().
    virtual void cleanup();
    bool isRunning() const { return running_; }

    // --- actions ---
    // Starts the action now (its start values are taken here); it is stepped from the next frame. Returns
    // the action, or null when it is null or already running somewhere.
    ActionPtr runAction(const ActionPtr& action);
    // Stopping removes actions without calling their stop(), so a stopped blink keeps its phase.
    void stopAllActions();
    void stopAction(const ActionPtr& action);
    void stopActionByTag(int tag);
    ActionPtr getActionByTag(int tag) const;
    std::size_t numberOfRunningActions() const;

    // --- timers ---
    // The callback gets the time since it last fired. It fires repeat + 1 times (kRepeatForever: without
    // end), first after `delay` if that is above 0, then every `interval`; at most once a frame. The frame
    // after scheduling only arms it. Scheduling a key again only changes its interval.
    void schedule(const std::string& key, std::function<void(float)> callback, float interval = 0,
                  unsigned repeat = kRepeatForever, float delay = 0);
    void scheduleOnce(const std::string& key, std::function<void(float)> callback, float delay);
    void unschedule(const std::string& key);
    void unscheduleAll();
    bool isScheduled(const std::string& key) const;

    // Freezes (resumes) this node's actions and timers; exit and enter do this.
    void pauseSchedulerAndActions() { paused_ = true; }
    void resumeSchedulerAndActions() { paused_ = false; }
    bool isPaused() const { return paused_; }

    // --- frame steps, called by the director (tests may call them on a lone node) ---
    void updateActions(float dt);
    void updateTimers(float dt);
    // Appends this node and everything it runs (its subtree, and a transition's two scenes) in tree order.
    virtual void collectTree(std::vector<NodePtr>& out);
    // For the program's loop, which sleeps while nothing is due: whether this node's actions need the next
    // frame (it runs some and is not paused), and in how many seconds of frame time its next timer is due
    // (0: the next frame; infinity: none, or paused).
    bool needsNextFrame() const;
    double secondsUntilTimerDue() const;

    // --- transforms ---
    Affine nodeToParentTransform() const;
    // Up to the root of the tree (a scene), including the root's own transform.
    Affine nodeToWorldTransform() const;
    Point convertToNodeSpace(Point world) const;
    Point convertToWorldSpace(Point local) const;
    // The content rectangle in the parent's space.
    Rect boundingBox() const;

    // --- drawing ---
    struct Inherited {
        std::uint8_t opacity = 255;
        Color3B color;
    };
    // Draws children with z < 0, then the node, then the rest. Invisible nodes draw nothing.
    virtual void visit(Renderer& renderer, const Affine& parentToPixels, const Inherited& inherited);
    // The node's own picture, given the node-to-pixels transform and its displayed colour and opacity.
    virtual void draw(Renderer& renderer, const Affine& toPixels, Color4B color);

private:
    struct RunningAction {
        ActionPtr action;
        bool removed = false;
    };
    struct Timer;

    void insertChild(const NodePtr& child, int z);
    void detachChild(std::size_t index, bool cleanup);
    void eraseRemovedActions();

    Point position_;
    Point anchor_;
    Size contentSize_;
    float scaleX_ = 1;
    float scaleY_ = 1;
    float rotation_ = 0;
    bool ignoreAnchor_ = false;
    bool visible_ = true;
    std::uint8_t opacity_ = 255;
    Color3B color_;
    bool cascade_ = false;
    int tag_ = kInvalidTag;
    int z_ = 0;
    std::uint64_t arrival_ = 0;

    std::vector<NodePtr> children_;
    Node* parent_ = nullptr;
    bool running_ = false;
    bool paused_ = false;

    std::vector<RunningAction> actions_;
    int actionsUpdating_ = 0;
    std::vector<std::unique_ptr<Timer>> timers_;
    int timersUpdating_ = 0;
};

} // namespace stage
