#include "stage/action.h"

#include "stage/log.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace stage {

namespace {

// A do-nothing partner for a one-element sequence or spawn.
class NoAction : public InstantAction {
public:
    void update(float) override {}
    ActionPtr clone() const override { return std::make_shared<NoAction>(); }
};

bool usableChild(const ActionPtr& a, const char* who) {
    if (!a) {
        log(LogLevel::Error, std::string(who) + ": an action is null");
        return false;
    }
    if (a->isEndless()) {
        log(LogLevel::Error, std::string(who) + ": an endless action cannot be part of it");
        return false;
    }
    return true;
}

float sanitizedDuration(float d) {
    if (!(d > 0)) {
        return FLT_EPSILON; // zero, negative and NaN durations all mean "as short as possible"
    }
    return std::isfinite(d) ? d : FLT_MAX;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------

IntervalAction::IntervalAction(float duration) : duration_(sanitizedDuration(duration)) {}

void IntervalAction::startWithTarget(Node* target) {
    Action::startWithTarget(target);
    elapsed_ = 0;
    firstTick_ = true;
}

void IntervalAction::step(float dt) {
    if (firstTick_) {
        firstTick_ = false;
        elapsed_ = 0;
    } else {
        elapsed_ += dt;
    }
    float t = elapsed_ / std::max(duration_, FLT_EPSILON);
    t = std::max(0.0f, std::min(1.0f, t));
    update(t);
}

// ---------------------------------------------------------------------------------------------------------

std::shared_ptr<Sequence> Sequence::create(std::vector<ActionPtr> actions) {
    if (actions.empty()) {
        log(LogLevel::Error, "Sequence: no actions");
        return nullptr;
    }
    for (const auto& a : actions) {
        if (!usableChild(a, "Sequence")) {
            return nullptr;
        }
    }
    if (actions.size() == 1) {
        return std::make_shared<Sequence>(actions[0], std::make_shared<NoAction>());
    }
    auto seq = std::make_shared<Sequence>(actions[0], actions[1]);
    for (std::size_t i = 2; i < actions.size(); ++i) {
        seq = std::make_shared<Sequence>(seq, actions[i]);
    }
    return seq;
}

std::shared_ptr<Sequence> Sequence::createWithTwoActions(ActionPtr first, ActionPtr second) {
    if (!usableChild(first, "Sequence") || !usableChild(second, "Sequence")) {
        return nullptr;
    }
    return std::make_shared<Sequence>(std::move(first), std::move(second));
}

Sequence::Sequence(ActionPtr first, ActionPtr second)
    : IntervalAction(first->duration() + second->duration()), actions_{std::move(first), std::move(second)} {}

void Sequence::startWithTarget(Node* target) {
    IntervalAction::startWithTarget(target);
    split_ = actions_[0]->duration() / duration();
    last_ = -1;
}

void Sequence::stop() {
    if (last_ != -1) {
        actions_[last_]->stop();
    }
    IntervalAction::stop();
}

void Sequence::update(float t) {
    int found;
    float childT;
    // At t == split exactly the second action is chosen.
    if (t < split_) {
        found = 0;
        childT = split_ != 0 ? t / split_ : 1;
    } else {
        found = 1;
        childT = split_ == 1 ? 1 : (t - split_) / (1 - split_);
    }
    if (found == 1) {
        if (last_ == -1) {
            // A long frame jumped over the first action: it still runs to its end.
            actions_[0]->startWithTarget(target());
            actions_[0]->update(1);
            actions_[0]->stop();
        } else if (last_ == 0) {
            actions_[0]->update(1);
            actions_[0]->stop();
        }
    } else if (last_ == 1) {
        // Time went backwards (an overshooting easing): undo the second action.
        actions_[1]->update(0);
        actions_[1]->stop();
    }
    if (found == last_ && actions_[found]->isDone()) {
        return;
    }
    if (found != last_) {
        actions_[found]->startWithTarget(target());
    }
    actions_[found]->update(childT);
    last_ = found;
}

ActionPtr Sequence::clone() const {
    return std::make_shared<Sequence>(actions_[0]->clone(), actions_[1]->clone());
}

ActionPtr Sequence::reverse() const {
    ActionPtr second = actions_[1]->reverse();
    ActionPtr first = actions_[0]->reverse();
    if (!first || !second) {
        return nullptr;
    }
    return std::make_shared<Sequence>(second, first);
}

// ---------------------------------------------------------------------------------------------------------

std::shared_ptr<Spawn> Spawn::create(std::vector<ActionPtr> actions) {
    if (actions.empty()) {
        log(LogLevel::Error, "Spawn: no actions");
        return nullptr;
    }
    for (const auto& a : actions) {
        if (!usableChild(a, "Spawn")) {
            return nullptr;
        }
    }
    if (actions.size() == 1) {
        return std::make_shared<Spawn>(actions[0], std::make_shared<NoAction>());
    }
    auto spawn = std::make_shared<Spawn>(actions[0], actions[1]);
    for (std::size_t i = 2; i < actions.size(); ++i) {
        spawn = std::make_shared<Spawn>(spawn, actions[i]);
    }
    return spawn;
}

Spawn::Spawn(ActionPtr one, ActionPtr two)
    : IntervalAction(std::max(one->duration(), two->duration())), one_(std::move(one)), two_(std::move(two)) {
    const float d1 = one_->duration();
    const float d2 = two_->duration();
    if (d1 > d2) {
        two_ = std::make_shared<Sequence>(two_, std::make_shared<DelayTime>(d1 - d2));
    } else if (d2 > d1) {
        one_ = std::make_shared<Sequence>(one_, std::make_shared<DelayTime>(d2 - d1));
    }
}

void Spawn::startWithTarget(Node* target) {
    IntervalAction::startWithTarget(target);
    one_->startWithTarget(target);
    two_->startWithTarget(target);
}

void Spawn::stop() {
    one_->stop();
    two_->stop();
    IntervalAction::stop();
}

void Spawn::update(float t) {
    one_->update(t);
    two_->update(t);
}

ActionPtr Spawn::clone() const {
    return std::make_shared<Spawn>(one_->clone(), two_->clone());
}

ActionPtr Spawn::reverse() const {
    ActionPtr a = one_->reverse();
    ActionPtr b = two_->reverse();
    if (!a || !b) {
        return nullptr;
    }
    return std::make_shared<Spawn>(a, b);
}

// ---------------------------------------------------------------------------------------------------------

std::shared_ptr<Repeat> Repeat::create(ActionPtr inner, unsigned times) {
    if (!usableChild(inner, "Repeat")) {
        return nullptr;
    }
    return std::make_shared<Repeat>(std::move(inner), times);
}

Repeat::Repeat(ActionPtr inner, unsigned times)
    : IntervalAction(inner->duration() * float(times)), inner_(std::move(inner)), times_(times),
      instantInner_(inner_->isInstant()), endless_(times >= kEndless) {}

void Repeat::startWithTarget(Node* target) {
    IntervalAction::startWithTarget(target);
    total_ = 0;
    innerShare_ = double(inner_->duration()) / double(duration());
    inner_->startWithTarget(target);
}

void Repeat::stop() {
    inner_->stop();
    IntervalAction::stop();
}

bool Repeat::isDone() const {
    return !endless_ && total_ == times_;
}

void Repeat::update(float t) {
    if (endless_) {
        updateEndless(t);
        return;
    }
    const double tt = t;
    // Loop k ends at (k + 1) * innerShare on the repeat's time line; computed, not summed, so it never
    // stalls.
    double nextDt = innerShare_ * double(total_ + 1);
    if (tt >= nextDt) {
        unsigned ran = 0;
        while (tt > nextDt && total_ < times_) {
            if (ran == kMaxLoopsPerUpdate) {
                // The rest of the loops due by now are counted, not run: each ends where it began, and
                // running millions of them would freeze the frame.
                const unsigned long long due =
                    innerShare_ > 0 ? static_cast<unsigned long long>(std::ceil(tt / innerShare_)) - 1
                                    : times_;
                total_ = std::min<unsigned long long>(std::max(due, total_), times_);
                nextDt = innerShare_ * double(total_ + 1);
                break;
            }
            inner_->update(1);
            ++total_;
            ++ran;
            inner_->stop();
            inner_->startWithTarget(target());
            nextDt = innerShare_ * double(total_ + 1);
        }
        if (tt >= 1.0 && total_ < times_) {
            ++total_;
        }
        if (!instantInner_) {
            if (total_ == times_) {
                inner_->update(1);
                inner_->stop();
            } else {
                // The time past the loop boundary on the repeat's own scale (not multiplied by the count),
                // so the first frame of a loop lags slightly.
                inner_->update(float(tt - (nextDt - innerShare_)));
            }
        }
    } else {
        inner_->update(float(std::fmod(tt * double(times_), 1.0)));
    }
}

void Repeat::updateEndless(float t) {
    if (instantInner_) {
        if (t > 0) {
            inner_->update(1);
            ++total_;
        }
        return;
    }
    const double loops = double(t) * double(times_);
    const auto completed = static_cast<unsigned long long>(std::floor(loops));
    if (completed > total_) {
        // At most one wrap a frame, like repeat-forever.
        inner_->update(1);
        inner_->stop();
        inner_->startWithTarget(target());
        total_ = completed;
    }
    inner_->update(float(loops - double(completed)));
}

ActionPtr Repeat::clone() const {
    return std::make_shared<Repeat>(inner_->clone(), times_);
}

ActionPtr Repeat::reverse() const {
    ActionPtr inner = inner_->reverse();
    if (!inner) {
        return nullptr;
    }
    return std::make_shared<Repeat>(inner, times_);
}

// ---------------------------------------------------------------------------------------------------------

std::shared_ptr<RepeatForever> RepeatForever::create(ActionPtr inner) {
    auto interval = std::dynamic_pointer_cast<IntervalAction>(inner);
    if (!interval || interval->isEndless()) {
        log(LogLevel::Error, "RepeatForever: needs a timed action");
        return nullptr;
    }
    return std::make_shared<RepeatForever>(interval);
}

RepeatForever::RepeatForever(std::shared_ptr<IntervalAction> inner) : inner_(std::move(inner)) {}

void RepeatForever::startWithTarget(Node* target) {
    Action::startWithTarget(target);
    inner_->startWithTarget(target);
}

void RepeatForever::step(float dt) {
    inner_->step(dt);
    if (inner_->isDone()) {
        // Restart and carry the overshoot into the new loop (one wrap a frame at most).
        const float overshoot = inner_->elapsed() - inner_->duration();
        inner_->startWithTarget(target());
        inner_->step(0);
        inner_->step(overshoot);
    }
}

ActionPtr RepeatForever::clone() const {
    return std::make_shared<RepeatForever>(std::static_pointer_cast<IntervalAction>(inner_->clone()));
}

ActionPtr RepeatForever::reverse() const {
    auto inner = std::dynamic_pointer_cast<IntervalAction>(inner_->reverse());
    if (!inner) {
        return nullptr;
    }
    return std::make_shared<RepeatForever>(inner);
}

// ---------------------------------------------------------------------------------------------------------

std::shared_ptr<ReverseTime> ReverseTime::create(ActionPtr inner) {
    if (!usableChild(inner, "ReverseTime")) {
        return nullptr;
    }
    return std::make_shared<ReverseTime>(std::move(inner));
}

ReverseTime::ReverseTime(ActionPtr inner) : IntervalAction(inner->duration()), inner_(std::move(inner)) {}

void ReverseTime::startWithTarget(Node* target) {
    IntervalAction::startWithTarget(target);
    inner_->startWithTarget(target);
}

void ReverseTime::stop() {
    inner_->stop();
    IntervalAction::stop();
}

void ReverseTime::update(float t) {
    inner_->update(1 - t);
}

ActionPtr ReverseTime::clone() const {
    return std::make_shared<ReverseTime>(inner_->clone());
}

ActionPtr ReverseTime::reverse() const {
    return inner_->clone();
}

// ---------------------------------------------------------------------------------------------------------

std::shared_ptr<EaseRate> EaseRate::create(ActionPtr inner, float rate) {
    if (!usableChild(inner, "EaseRate")) {
        return nullptr;
    }
    return std::make_shared<EaseRate>(std::move(inner), rate);
}

EaseRate::EaseRate(ActionPtr inner, float rate)
    : IntervalAction(inner->duration()), inner_(std::move(inner)), rate_(rate) {}

void EaseRate::startWithTarget(Node* target) {
    IntervalAction::startWithTarget(target);
    inner_->startWithTarget(target);
}

void EaseRate::stop() {
    inner_->stop();
    IntervalAction::stop();
}

void EaseRate::update(float t) {
    inner_->update(t);
}

ActionPtr EaseRate::clone() const {
    return std::make_shared<EaseRate>(inner_->clone(), rate_);
}

ActionPtr EaseRate::reverse() const {
    ActionPtr inner = inner_->reverse();
    if (!inner) {
        return nullptr;
    }
    return std::make_shared<EaseRate>(inner, 1 / rate_);
}

std::shared_ptr<EaseOut> EaseOut::create(ActionPtr inner, float rate) {
    if (!usableChild(inner, "EaseOut")) {
        return nullptr;
    }
    return std::make_shared<EaseOut>(std::move(inner), rate);
}

void EaseOut::update(float t) {
    inner_->update(std::pow(t, 1 / rate_));
}

ActionPtr EaseOut::clone() const {
    return std::make_shared<EaseOut>(inner_->clone(), rate_);
}

ActionPtr EaseOut::reverse() const {
    ActionPtr inner = inner_->reverse();
    if (!inner) {
        return nullptr;
    }
    return std::make_shared<EaseOut>(inner, 1 / rate_);
}

} // namespace stage
