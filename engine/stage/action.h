// Timed actions. An action is started on a target node, then stepped once a frame by the elapsed time
// (step) which it turns into progress t in [0,1] (update). Containers (sequence, spawn, repeat, easing)
// drive their children through update, so their timing is arithmetic on t.
//
// Timing rules every interval action follows:
//  - a duration of 0 becomes FLT_EPSILON, so such an action takes two frames;
//  - the first step after a start ignores its delta and applies t = 0;
//  - the action is done once the summed deltas reach the duration.
#pragma once

#include "stage/geometry.h"
#include "stage/node.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

namespace stage {

class Action {
public:
    virtual ~Action() = default;
    Action(const Action&) = delete;
    Action& operator=(const Action&) = delete;

    // Remembers the target and takes the start values from it.
    virtual void startWithTarget(Node* target) { target_ = target; }
    // Called when the action ends by itself (or its container stops it); not by Node::stopAction.
    virtual void stop() { target_ = nullptr; }
    virtual void step(float dt) = 0;
    virtual void update(float t) = 0;
    virtual bool isDone() const { return true; }

    // A fresh, unstarted action with the same parameters.
    virtual ActionPtr clone() const = 0;
    // The action that undoes this one, or null when it has none.
    virtual ActionPtr reverse() const { return nullptr; }

    // Seconds; 0 for instant actions.
    virtual float duration() const { return 0; }
    // True for actions that never finish by design (repeat-forever); containers refuse them.
    virtual bool isEndless() const { return false; }
    virtual bool isInstant() const { return false; }

    Node* target() const { return target_; }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

protected:
    Action() = default;

private:
    friend class Node;
    Node* target_ = nullptr;
    Node* owner_ = nullptr; // the node whose list holds it while it runs
    int tag_ = kInvalidTag;
};

class IntervalAction : public Action {
public:
    void startWithTarget(Node* target) override;
    void step(float dt) override;
    bool isDone() const override { return elapsed_ >= duration_; }
    float duration() const override { return duration_; }
    float elapsed() const { return elapsed_; }

protected:
    explicit IntervalAction(float duration);

private:
    float duration_;
    float elapsed_ = 0;
    bool firstTick_ = true;
};

class InstantAction : public Action {
public:
    void step(float) override { update(1); }
    bool isInstant() const override { return true; }
    // By default an instant action undoes itself by running again.
    ActionPtr reverse() const override { return clone(); }

protected:
    InstantAction() = default;
};

// Runs its actions one after another. Built as nested pairs from the left: (((a1, a2), a3), ...).
class Sequence : public IntervalAction {
public:
    // Null when the list is empty, holds a null, or holds an endless action.
    static std::shared_ptr<Sequence> create(std::vector<ActionPtr> actions);
    static std::shared_ptr<Sequence> create(std::initializer_list<ActionPtr> actions) {
        return create(std::vector<ActionPtr>(actions));
    }
    static std::shared_ptr<Sequence> createWithTwoActions(ActionPtr first, ActionPtr second);

    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float t) override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override;

    Sequence(ActionPtr first, ActionPtr second);

private:
    ActionPtr actions_[2];
    float split_ = 0;
    int last_ = -1;
};

// Runs its actions together; the shorter ones are padded with a delay.
class Spawn : public IntervalAction {
public:
    static std::shared_ptr<Spawn> create(std::vector<ActionPtr> actions);
    static std::shared_ptr<Spawn> create(std::initializer_list<ActionPtr> actions) {
        return create(std::vector<ActionPtr>(actions));
    }

    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float t) override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override;

    Spawn(ActionPtr one, ActionPtr two);

private:
    ActionPtr one_;
    ActionPtr two_;
};

// Runs `inner` `times` times. An interval inner's loops are laid out evenly on the repeat's own time line.
// Counts of 2^31 and above (an unsigned -1, say) mean "without end": the inner then loops at most once a
// frame and the repeat never finishes. An instant inner runs `times` times on the repeat's second frame,
// or once every frame for an endless count.
//
// One frame runs at most kMaxLoopsPerUpdate loops; loops due beyond that (a near-zero inner with a count
// in the millions) are counted as done without being run, so a frame's work stays bounded.
class Repeat : public IntervalAction {
public:
    static constexpr unsigned kEndless = 0x80000000u;
    static constexpr unsigned kMaxLoopsPerUpdate = 1000;
    // Null when `inner` is null or endless.
    static std::shared_ptr<Repeat> create(ActionPtr inner, unsigned times);

    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float t) override;
    bool isDone() const override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override;
    unsigned times() const { return times_; }

    Repeat(ActionPtr inner, unsigned times);

private:
    void updateEndless(float t);

    ActionPtr inner_;
    unsigned times_;
    bool instantInner_;
    bool endless_;
    unsigned long long total_ = 0;
    double innerShare_ = 0; // inner duration / own duration
};

// Repeats an interval action until stopped. It is never done, so it cannot be part of a sequence.
class RepeatForever : public Action {
public:
    // Null unless `inner` is a (non-endless) interval action.
    static std::shared_ptr<RepeatForever> create(ActionPtr inner);

    void startWithTarget(Node* target) override;
    void step(float dt) override;
    void update(float) override {}
    bool isDone() const override { return false; }
    bool isEndless() const override { return true; }
    ActionPtr clone() const override;
    ActionPtr reverse() const override;

    explicit RepeatForever(std::shared_ptr<IntervalAction> inner);

private:
    std::shared_ptr<IntervalAction> inner_;
};

class DelayTime : public IntervalAction {
public:
    static std::shared_ptr<DelayTime> create(float duration) { return std::make_shared<DelayTime>(duration); }
    void update(float) override {}
    ActionPtr clone() const override { return create(duration()); }
    ActionPtr reverse() const override { return create(duration()); }
    explicit DelayTime(float duration) : IntervalAction(duration) {}
};

// Plays an action backwards in time: update(t) applies the inner's 1 - t.
class ReverseTime : public IntervalAction {
public:
    static std::shared_ptr<ReverseTime> create(ActionPtr inner);
    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float t) override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override;
    explicit ReverseTime(ActionPtr inner);

private:
    ActionPtr inner_;
};

// The ease-rate wrapper: it keeps a rate but passes time through unchanged (linear), and its reverse
// wraps the inner's reverse with rate 1/rate.
class EaseRate : public IntervalAction {
public:
    static std::shared_ptr<EaseRate> create(ActionPtr inner, float rate);
    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float t) override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override;
    float rate() const { return rate_; }
    EaseRate(ActionPtr inner, float rate);

protected:
    ActionPtr inner_;
    float rate_;
};

// Decelerating: inner t' = t^(1/rate).
class EaseOut : public EaseRate {
public:
    static std::shared_ptr<EaseOut> create(ActionPtr inner, float rate);
    void update(float t) override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override;
    EaseOut(ActionPtr inner, float rate) : EaseRate(std::move(inner), rate) {}
};

} // namespace stage
