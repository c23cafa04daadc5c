#include "stage/actions.h"

#include "stage/log.h"

#include <cmath>

namespace stage {

namespace {

// Moves stack: what else moved the node since our last update is kept and our offset added on top.
Point stackedPosition(Node* target, Point& start, Point& previous, Point offset) {
    start += target->position() - previous;
    const Point p = start + offset;
    target->setPosition(p);
    previous = p;
    return p;
}

std::uint8_t wrapChannel(float value) {
    // Out-of-range results wrap modulo 256 rather than clamp; books are made with this look.
    const long v = std::lround(std::trunc(value));
    return std::uint8_t(static_cast<unsigned long>(v) & 0xFFu);
}

float reciprocal(float f) {
    return f == 0 ? 1.0f : 1.0f / f;
}

} // namespace

// --- MoveBy / MoveTo / Place -----------------------------------------------------------------------------

std::shared_ptr<MoveBy> MoveBy::create(float duration, Point delta) {
    return std::make_shared<MoveBy>(duration, delta);
}

void MoveBy::startWithTarget(Node* target) {
    IntervalAction::startWithTarget(target);
    start_ = previous_ = target->position();
}

void MoveBy::update(float t) {
    if (target() != nullptr) {
        stackedPosition(target(), start_, previous_, delta_ * t);
    }
}

ActionPtr MoveBy::clone() const {
    return create(duration(), delta_);
}

ActionPtr MoveBy::reverse() const {
    return create(duration(), -delta_);
}

std::shared_ptr<MoveTo> MoveTo::create(float duration, Point position) {
    return std::make_shared<MoveTo>(duration, position);
}

void MoveTo::startWithTarget(Node* target) {
    MoveBy::startWithTarget(target);
    delta_ = end_ - target->position();
}

ActionPtr MoveTo::clone() const {
    return create(duration(), end_);
}

void Place::update(float) {
    if (target() != nullptr) {
        target()->setPosition(position_);
    }
}

// --- JumpBy / JumpTo -------------------------------------------------------------------------------------

std::shared_ptr<JumpBy> JumpBy::create(float duration, Point delta, float height, int jumps) {
    // A negative count would become a huge unsigned one and turn the arc into noise.
    return std::make_shared<JumpBy>(duration, delta, height, jumps < 0 ? 0u : unsigned(jumps));
}

void JumpBy::startWithTarget(Node* target) {
    IntervalAction::startWithTarget(target);
    start_ = previous_ = target->position();
}

void JumpBy::update(float t) {
    if (target() == nullptr) {
        return;
    }
    const float frac = std::fmod(t * float(jumps_), 1.0f);
    const float arc = height_ * 4 * frac * (1 - frac);
    stackedPosition(target(), start_, previous_, {delta_.x * t, delta_.y * t + arc});
}

ActionPtr JumpBy::clone() const {
    return create(duration(), delta_, height_, jumps_);
}

ActionPtr JumpBy::reverse() const {
    return create(duration(), -delta_, height_, jumps_);
}

std::shared_ptr<JumpTo> JumpTo::create(float duration, Point position, float height, int jumps) {
    return std::make_shared<JumpTo>(duration, position, height, jumps < 0 ? 0u : unsigned(jumps));
}

void JumpTo::startWithTarget(Node* target) {
    JumpBy::startWithTarget(target);
    delta_ = end_ - start_;
}

ActionPtr JumpTo::clone() const {
    return std::make_shared<JumpTo>(duration(), end_, height_, jumps_);
}

// --- BezierBy --------------------------------------------------------------------------------------------

std::shared_ptr<BezierBy> BezierBy::create(float duration, const BezierConfig& config) {
    return std::make_shared<BezierBy>(duration, config);
}

void BezierBy::startWithTarget(Node* target) {
    IntervalAction::startWithTarget(target);
    start_ = previous_ = target->position();
}

void BezierBy::update(float t) {
    if (target() == nullptr) {
        return;
    }
    const auto at = [t](float b, float c, float d) {
        return 3 * t * std::pow(1 - t, 2.0f) * b + 3 * std::pow(t, 2.0f) * (1 - t) * c +
               std::pow(t, 3.0f) * d;
    };
    const BezierConfig& k = config_;
    stackedPosition(target(), start_, previous_,
                    {at(k.controlPoint1.x, k.controlPoint2.x, k.endPosition.x),
                     at(k.controlPoint1.y, k.controlPoint2.y, k.endPosition.y)});
}

ActionPtr BezierBy::clone() const {
    return create(duration(), config_);
}

ActionPtr BezierBy::reverse() const {
    // The same curve traced backwards from the end point.
    const BezierConfig& k = config_;
    return create(duration(),
                  {k.controlPoint2 - k.endPosition, k.controlPoint1 - k.endPosition, -k.endPosition});
}

// --- ScaleTo / ScaleBy / RotateBy ------------------------------------------------------------------------

void ScaleTo::startWithTarget(Node* target) {
    IntervalAction::startWithTarget(target);
    startX_ = target->scaleX();
    startY_ = target->scaleY();
    deltaX_ = endX_ - startX_;
    deltaY_ = endY_ - startY_;
}

void ScaleTo::update(float t) {
    if (target() != nullptr) {
        target()->setScaleX(startX_ + deltaX_ * t);
        target()->setScaleY(startY_ + deltaY_ * t);
    }
}

ActionPtr ScaleTo::clone() const {
    return create(duration(), endX_, endY_);
}

void ScaleBy::startWithTarget(Node* target) {
    ScaleTo::startWithTarget(target);
    // Linear from s0 to s0 * factor.
    deltaX_ = startX_ * endX_ - startX_;
    deltaY_ = startY_ * endY_ - startY_;
}

ActionPtr ScaleBy::clone() const {
    return create(duration(), endX_, endY_);
}

ActionPtr ScaleBy::reverse() const {
    return create(duration(), reciprocal(endX_), reciprocal(endY_));
}

std::shared_ptr<RotateBy> RotateBy::create(float duration, float degrees) {
    return std::make_shared<RotateBy>(duration, degrees);
}

void RotateBy::startWithTarget(Node* target) {
    IntervalAction::startWithTarget(target);
    start_ = target->rotation();
}

void RotateBy::update(float t) {
    if (target() != nullptr) {
        target()->setRotation(start_ + angle_ * t);
    }
}

ActionPtr RotateBy::clone() const {
    return create(duration(), angle_);
}

ActionPtr RotateBy::reverse() const {
    return create(duration(), -angle_);
}

// --- TintBy ----------------------------------------------------------------------------------------------

std::shared_ptr<TintBy> TintBy::create(float duration, std::int16_t dr, std::int16_t dg, std::int16_t db) {
    return std::make_shared<TintBy>(duration, dr, dg, db);
}

void TintBy::startWithTarget(Node* target) {
    IntervalAction::startWithTarget(target);
    from_ = target->color();
}

void TintBy::update(float t) {
    if (target() != nullptr) {
        target()->setColor({wrapChannel(float(from_.r) + float(dr_) * t),
                            wrapChannel(float(from_.g) + float(dg_) * t),
                            wrapChannel(float(from_.b) + float(db_) * t)});
    }
}

ActionPtr TintBy::clone() const {
    return create(duration(), dr_, dg_, db_);
}

ActionPtr TintBy::reverse() const {
    return create(duration(), std::int16_t(-dr_), std::int16_t(-dg_), std::int16_t(-db_));
}

// --- Blink -----------------------------------------------------------------------------------------------

std::shared_ptr<Blink> Blink::create(float duration, unsigned times) {
    return std::make_shared<Blink>(duration, times);
}

void Blink::startWithTarget(Node* target) {
    IntervalAction::startWithTarget(target);
    originalVisible_ = target->isVisible();
}

void Blink::stop() {
    if (target() != nullptr) {
        target()->setVisible(originalVisible_);
    }
    IntervalAction::stop();
}

void Blink::update(float t) {
    if (target() == nullptr || isDone()) {
        return;
    }
    // With 0 blinks the slice is infinite and the node stays hidden until the end.
    const float slice = 1.0f / float(times_);
    const float m = std::fmod(t, slice);
    target()->setVisible(m > slice / 2);
}

ActionPtr Blink::clone() const {
    return create(duration(), times_);
}

// --- Show / Hide / CallFunc ------------------------------------------------------------------------------

void Show::update(float) {
    if (target() != nullptr) {
        target()->setVisible(true);
    }
}

ActionPtr Show::reverse() const {
    return Hide::create();
}

void Hide::update(float) {
    if (target() != nullptr) {
        target()->setVisible(false);
    }
}

ActionPtr Hide::reverse() const {
    return Show::create();
}

std::shared_ptr<CallFunc> CallFunc::create(Callback callback) {
    return std::make_shared<CallFunc>(std::move(callback));
}

std::shared_ptr<CallFunc> CallFunc::create(std::function<void()> callback) {
    if (!callback) {
        return std::make_shared<CallFunc>(Callback{});
    }
    return std::make_shared<CallFunc>([cb = std::move(callback)](Node*) { cb(); });
}

void CallFunc::update(float) {
    if (callback_) {
        callback_(target());
    }
}

} // namespace stage
