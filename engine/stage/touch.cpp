#include "stage/touch.h"

#include "stage/log.h"

#include <algorithm>

namespace stage {

TouchDelegate::~TouchDelegate() {
    if (dispatcher_ != nullptr) {
        dispatcher_->removeDelegate(this);
    }
}

TouchDispatcher::~TouchDispatcher() {
    for (auto& h : handlers_) {
        h.delegate->dispatcher_ = nullptr;
    }
    for (auto& p : toAdd_) {
        p.delegate->dispatcher_ = nullptr;
    }
}

bool TouchDispatcher::hasDelegate(const TouchDelegate* delegate) const {
    const bool registered = std::any_of(handlers_.begin(), handlers_.end(), [&](const Handler& h) {
        return h.delegate == delegate && !h.removed;
    });
    return registered || std::any_of(toAdd_.begin(), toAdd_.end(),
                                     [&](const PendingAdd& p) { return p.delegate == delegate; });
}

void TouchDispatcher::addTargetedDelegate(TouchDelegate* delegate, int priority, bool swallowsTouches) {
    if (delegate == nullptr) {
        return;
    }
    if (hasDelegate(delegate)) {
        log(LogLevel::Warning, "addTargetedDelegate: the delegate is registered already");
        return;
    }
    delegate->dispatcher_ = this;
    if (locked_ > 0) {
        // Changes made while a touch is being delivered take effect after it.
        toAdd_.push_back({delegate, priority, swallowsTouches});
        return;
    }
    insert(delegate, priority, swallowsTouches);
}

void TouchDispatcher::insert(TouchDelegate* delegate, int priority, bool swallows) {
    // After every handler with a strictly lower number, i.e. before its equals: the newest goes first.
    auto pos = std::find_if(handlers_.begin(), handlers_.end(),
                            [&](const Handler& h) { return h.priority >= priority; });
    handlers_.insert(pos, Handler{delegate, priority, swallows, {}, false});
}

void TouchDispatcher::removeDelegate(TouchDelegate* delegate) {
    if (delegate == nullptr) {
        return;
    }
    toAdd_.erase(std::remove_if(toAdd_.begin(), toAdd_.end(),
                                [&](const PendingAdd& p) { return p.delegate == delegate; }),
                 toAdd_.end());
    for (auto& h : handlers_) {
        if (h.delegate == delegate) {
            h.removed = true; // skipped from now on, even during the current delivery
        }
    }
    delegate->dispatcher_ = nullptr;
    if (locked_ == 0) {
        applyPending();
    }
}

void TouchDispatcher::removeAllDelegates() {
    for (auto& h : handlers_) {
        h.removed = true;
        h.delegate->dispatcher_ = nullptr;
    }
    for (auto& p : toAdd_) {
        p.delegate->dispatcher_ = nullptr;
    }
    toAdd_.clear();
    if (locked_ == 0) {
        applyPending();
    }
}

void TouchDispatcher::applyPending() {
    handlers_.erase(
        std::remove_if(handlers_.begin(), handlers_.end(), [](const Handler& h) { return h.removed; }),
        handlers_.end());
    std::vector<PendingAdd> adds;
    adds.swap(toAdd_);
    for (const auto& p : adds) {
        insert(p.delegate, p.priority, p.swallows);
    }
}

void TouchDispatcher::touchBegan(Touch& touch) {
    if (!dispatchEvents_) {
        return;
    }
    // A touch id that reappears starts afresh; an old claim of it (whose end was dropped) is void.
    for (auto& h : handlers_) {
        h.claimed.erase(touch.id());
    }
    ++locked_;
    for (std::size_t i = 0; i < handlers_.size(); ++i) {
        if (handlers_[i].removed) {
            continue;
        }
        TouchDelegate* d = handlers_[i].delegate;
        if (d->touchBegan(touch)) {
            if (handlers_[i].removed) {
                continue;
            }
            handlers_[i].claimed.insert(touch.id());
            if (handlers_[i].swallows) {
                break;
            }
        }
    }
    --locked_;
    if (locked_ == 0) {
        applyPending();
    }
}

void TouchDispatcher::dispatchClaimed(Touch& touch, Phase phase) {
    if (!dispatchEvents_) {
        return;
    }
    ++locked_;
    for (std::size_t i = 0; i < handlers_.size(); ++i) {
        Handler& h = handlers_[i];
        if (h.removed || h.claimed.count(touch.id()) == 0) {
            continue;
        }
        const bool swallows = h.swallows;
        if (phase != Phase::Moved) {
            h.claimed.erase(touch.id());
        }
        TouchDelegate* d = h.delegate;
        switch (phase) {
        case Phase::Moved:
            d->touchMoved(touch);
            break;
        case Phase::Ended:
            d->touchEnded(touch);
            break;
        case Phase::Cancelled:
            d->touchCancelled(touch);
            break;
        }
        if (swallows) {
            break;
        }
    }
    --locked_;
    if (locked_ == 0) {
        applyPending();
    }
}

void TouchDispatcher::touchMoved(Touch& touch) {
    dispatchClaimed(touch, Phase::Moved);
}
void TouchDispatcher::touchEnded(Touch& touch) {
    dispatchClaimed(touch, Phase::Ended);
}
void TouchDispatcher::touchCancelled(Touch& touch) {
    dispatchClaimed(touch, Phase::Cancelled);
}

} // namespace stage
