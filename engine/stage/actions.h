// The concrete actions: movement, jumps, Bezier curves, scale, rotation, tint, blink, visibility and
// call-backs.
//
// Movement is stackable: a move adds its own offset on top of whatever else moved the node meanwhile, so
// two moves at once add up, and a move-to can miss its target if something else moves the node.
#pragma once

#include "stage/action.h"

#include <cstdint>
#include <functional>

namespace stage {

class MoveBy : public IntervalAction {
public:
    static std::shared_ptr<MoveBy> create(float duration, Point delta);
    void startWithTarget(Node* target) override;
    void update(float t) override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override;
    MoveBy(float duration, Point delta) : IntervalAction(duration), delta_(delta) {}

protected:
    Point delta_;
    Point start_;
    Point previous_;
};

// Moves to an absolute position: on start the offset becomes target - current position. Its reverse is a
// move by minus the offset of its latest start ((0,0) before it ever ran).
class MoveTo : public MoveBy {
public:
    static std::shared_ptr<MoveTo> create(float duration, Point position);
    void startWithTarget(Node* target) override;
    ActionPtr clone() const override;
    MoveTo(float duration, Point position) : MoveBy(duration, Point{}), end_(position) {}

private:
    Point end_;
};

class Place : public InstantAction {
public:
    static std::shared_ptr<Place> create(Point position) { return std::make_shared<Place>(position); }
    void update(float t) override;
    ActionPtr clone() const override { return create(position_); }
    explicit Place(Point position) : position_(position) {}

private:
    Point position_;
};

// `jumps` hops, each a parabola `height` above the straight line from start to start + delta. A negative
// count means no hops (a straight move).
class JumpBy : public IntervalAction {
public:
    static std::shared_ptr<JumpBy> create(float duration, Point delta, float height, int jumps);
    void startWithTarget(Node* target) override;
    void update(float t) override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override;
    JumpBy(float duration, Point delta, float height, unsigned jumps)
        : IntervalAction(duration), delta_(delta), height_(height), jumps_(jumps) {}

protected:
    Point delta_;
    float height_;
    unsigned jumps_;
    Point start_;
    Point previous_;
};

// Jumps to an absolute position. Its reverse jumps by minus the offset of its latest start, or by minus
// the absolute position before it ever ran.
class JumpTo : public JumpBy {
public:
    static std::shared_ptr<JumpTo> create(float duration, Point position, float height, int jumps);
    void startWithTarget(Node* target) override;
    ActionPtr clone() const override;
    JumpTo(float duration, Point position, float height, unsigned jumps)
        : JumpBy(duration, position, height, jumps), end_(position) {}

private:
    Point end_;
};

struct BezierConfig {
    Point controlPoint1;
    Point controlPoint2;
    Point endPosition;
};

// A cubic Bezier path relative to the start position.
class BezierBy : public IntervalAction {
public:
    static std::shared_ptr<BezierBy> create(float duration, const BezierConfig& config);
    void startWithTarget(Node* target) override;
    void update(float t) override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override;
    BezierBy(float duration, const BezierConfig& config) : IntervalAction(duration), config_(config) {}

private:
    BezierConfig config_;
    Point start_;
    Point previous_;
};

// Has no reverse.
class ScaleTo : public IntervalAction {
public:
    static std::shared_ptr<ScaleTo> create(float duration, float scale) {
        return std::make_shared<ScaleTo>(duration, scale, scale);
    }
    static std::shared_ptr<ScaleTo> create(float duration, float sx, float sy) {
        return std::make_shared<ScaleTo>(duration, sx, sy);
    }
    void startWithTarget(Node* target) override;
    void update(float t) override;
    ActionPtr clone() const override;
    ScaleTo(float duration, float sx, float sy) : IntervalAction(duration), endX_(sx), endY_(sy) {}

protected:
    float endX_, endY_;
    float startX_ = 1, startY_ = 1;
    float deltaX_ = 0, deltaY_ = 0;
};

// Scales linearly from s0 to s0 * factor. Its reverse scales by 1/factor (a factor of 0 reverses to 1).
class ScaleBy : public ScaleTo {
public:
    static std::shared_ptr<ScaleBy> create(float duration, float factor) {
        return std::make_shared<ScaleBy>(duration, factor, factor);
    }
    static std::shared_ptr<ScaleBy> create(float duration, float sx, float sy) {
        return std::make_shared<ScaleBy>(duration, sx, sy);
    }
    void startWithTarget(Node* target) override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override;
    ScaleBy(float duration, float sx, float sy) : ScaleTo(duration, sx, sy) {}
};

// Degrees, clockwise; no wrapping.
class RotateBy : public IntervalAction {
public:
    static std::shared_ptr<RotateBy> create(float duration, float degrees);
    void startWithTarget(Node* target) override;
    void update(float t) override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override;
    RotateBy(float duration, float degrees) : IntervalAction(duration), angle_(degrees) {}

private:
    float angle_;
    float start_ = 0;
};

// Adds signed deltas to the colour channels. Results outside 0..255 wrap around modulo 256.
class TintBy : public IntervalAction {
public:
    static std::shared_ptr<TintBy> create(float duration, std::int16_t dr, std::int16_t dg, std::int16_t db);
    void startWithTarget(Node* target) override;
    void update(float t) override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override;
    TintBy(float duration, std::int16_t dr, std::int16_t dg, std::int16_t db)
        : IntervalAction(duration), dr_(dr), dg_(dg), db_(db) {}

private:
    std::int16_t dr_, dg_, db_;
    Color3B from_;
};

// `times` blinks in `duration`: within each blink the node is hidden for the first half and shown for the
// second. A natural end restores the visibility the node had at the start; stopping it early does not.
class Blink : public IntervalAction {
public:
    static std::shared_ptr<Blink> create(float duration, unsigned times);
    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float t) override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override { return clone(); }
    Blink(float duration, unsigned times) : IntervalAction(duration), times_(times) {}

private:
    unsigned times_;
    bool originalVisible_ = true;
};

class Show : public InstantAction {
public:
    static std::shared_ptr<Show> create() { return std::make_shared<Show>(); }
    void update(float) override;
    ActionPtr clone() const override { return create(); }
    ActionPtr reverse() const override;
};

class Hide : public InstantAction {
public:
    static std::shared_ptr<Hide> create() { return std::make_shared<Hide>(); }
    void update(float) override;
    ActionPtr clone() const override { return create(); }
    ActionPtr reverse() const override;
};

// Calls a function with the node it runs on. Its reverse calls it again.
class CallFunc : public InstantAction {
public:
    using Callback = std::function<void(Node*)>;
    static std::shared_ptr<CallFunc> create(Callback callback);
    static std::shared_ptr<CallFunc> create(std::function<void()> callback);
    void update(float) override;
    ActionPtr clone() const override { return create(callback_); }
    explicit CallFunc(Callback callback) : callback_(std::move(callback)) {}

private:
    Callback callback_;
};

} // namespace stage
