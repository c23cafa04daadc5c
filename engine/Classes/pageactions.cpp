// The action runner of ThePage: one action record of a sprite turned into a composition of the graphics
// layer's timed actions, started on the sprite.
//
// Terms:
//  - there and back: the action, then the reverse of an ease-rate wrapper (rate d) around a copy of it;
//  - target: dst_point is where the sprite's top-left corner ends; the sprite's centre goes to the
//    placement of that corner; relative actions use the offset from where the sprite is now;
//  - re-arm: a call-back at the end of a rotating action that makes the sprite ready again.
#include "enginelog.h"
#include "pagestage.h"
#include "sparse.h"
#include "thepage.h"

#include "stage/actions.h"

#include <algorithm>
#include <cstdint>
#include <log4cplus/loggingmacros.h>

using stage::ActionPtr;

namespace {

// Unsigned -1: the count the endless one-way rotation repeats with. The layer never finishes it.
constexpr unsigned kUnsignedMinusOne = 4294967295u;
// The snap back of a one-way rotation.
constexpr float kSnapBack = 1e-10f;
// More frames than any strip picture holds; guards against a count that would exhaust memory.
constexpr int kMaxFrames = 4096;

ActionPtr thereAndBack(const ActionPtr& action, float rate) {
    if (!action) {
        return nullptr;
    }
    auto eased = stage::EaseRate::create(action->clone(), rate);
    ActionPtr back = eased ? eased->reverse() : nullptr;
    if (!back) {
        return nullptr;
    }
    return stage::Sequence::create({action, back});
}

// n >= 1 repeats, n = -1 without end, anything else nothing.
ActionPtr repeated(const ActionPtr& action, int n) {
    if (!action) {
        return nullptr;
    }
    if (n >= 1) {
        return stage::Repeat::create(action, unsigned(n));
    }
    if (n == -1) {
        return stage::RepeatForever::create(action);
    }
    return nullptr;
}

// n >= 0 repeats (0 included: the layer then applies the start state once), n = -1 without end.
ActionPtr repeatedFromZero(const ActionPtr& action, int n) {
    if (n == 0 && action) {
        return stage::Repeat::create(action, 0);
    }
    return repeated(action, n);
}

std::int16_t toShort(float value) {
    const std::int32_t v = sParse_truncToInt(value);
    return std::int16_t(std::clamp<std::int32_t>(v, INT16_MIN, INT16_MAX));
}

ActionPtr rearm(Sprite& sprite) {
    std::weak_ptr<stage::Node> weak = sprite.weak_from_this();
    return stage::CallFunc::create([weak]() {
        if (auto node = weak.lock()) {
            static_cast<Sprite*>(node.get())->setReady(true);
        }
    });
}

} // namespace

void ThePage::runSpriteAction(int k, Sprite& sprite, const SAction& action, const ActionRun& run) {
    if (k == 8) {
        runFrameAnimation(sprite, action, run);
        return;
    }
    const bool rotating = k == 3 || k == 4;
    if (rotating && !sprite.isReady()) {
        return; // a swing or rotation of this sprite is still running
    }
    ActionPtr composition = buildAction(k, sprite, action, run);
    if (!composition) {
        return;
    }
    if (rotating) {
        sprite.setReady(false);
    }
    sprite.runAction(composition);
}

ActionPtr ThePage::buildAction(int k, Sprite& sprite, const SAction& action, const ActionRun& run) {
    const float d = run.d;
    const int n = run.n;
    const int u = run.u;
    const stage::Point start = sprite.position();
    const stage::Point target = placeAt(action.dst_point, sprite.contentSize());
    const stage::Point offset = target - start;

    switch (k) {
    case 1: // move
        if (u == 1) {
            if (n == 1) {
                return stage::MoveTo::create(d, target);
            }
            if (n > 1) {
                auto loop =
                    stage::Sequence::create({stage::MoveTo::create(d, target), stage::Place::create(start)});
                return stage::Sequence::create(
                    {stage::Repeat::create(loop, unsigned(n - 1)), stage::MoveTo::create(d, target)});
            }
            if (n == -1) {
                return stage::RepeatForever::create(
                    stage::Sequence::create({stage::MoveTo::create(d, target), stage::Place::create(start)}));
            }
            return nullptr;
        }
        if (u == 0) {
            return repeated(thereAndBack(stage::MoveBy::create(d, offset), d), n);
        }
        return nullptr;

    case 2: { // scale
        auto scale = stage::ScaleBy::create(d, action.scale_rate);
        if (n == -1) {
            return stage::RepeatForever::create(thereAndBack(scale, d));
        }
        if (n < 0) {
            return nullptr;
        }
        sprite.setScale(1.0f);
        if (u == 1) {
            return scale;
        }
        return repeatedFromZero(thereAndBack(scale, d), n);
    }

    case 3: { // swing, whatever u is
        auto pair = stage::Sequence::create(
            {thereAndBack(stage::RotateBy::create(run.rightDelay, action.toright_angle), d),
             thereAndBack(stage::RotateBy::create(run.leftDelay, action.toleft_angle), d)});
        if (!pair) {
            return nullptr;
        }
        if (n >= 0) {
            return stage::Sequence::create({stage::Repeat::create(pair, unsigned(n)), rearm(sprite)});
        }
        if (n == -1) {
            return stage::RepeatForever::create(stage::Sequence::create({pair, rearm(sprite)}));
        }
        return nullptr;
    }

    case 4: { // rotate
        const float angle = action.delta_angle;
        if (u == 1) {
            if (n == 1) {
                return stage::Sequence::create({stage::RotateBy::create(d, angle), rearm(sprite)});
            }
            const auto turnAndSnap = [&] {
                return stage::Sequence::create(
                    {stage::RotateBy::create(d, angle), stage::RotateBy::create(kSnapBack, -angle)});
            };
            if (n > 1) {
                return stage::Sequence::create({stage::Repeat::create(turnAndSnap(), unsigned(n - 1)),
                                                stage::RotateBy::create(d, angle), rearm(sprite)});
            }
            if (n == -1) {
                return stage::Sequence::create(
                    {stage::Repeat::create(turnAndSnap(), kUnsignedMinusOne), rearm(sprite)});
            }
            return nullptr;
        }
        if (u == 0) {
            auto there = thereAndBack(stage::RotateBy::create(d, angle), d);
            if (n >= 1) {
                return stage::Sequence::create({stage::Repeat::create(there, unsigned(n)), rearm(sprite)});
            }
            if (n == -1) {
                return stage::RepeatForever::create(stage::Sequence::create({there, rearm(sprite)}));
            }
        }
        return nullptr;
    }

    case 5: { // jump
        const float height = action.jump_height;
        const int jumps = action.action_repeat_num_jump;
        if (u == 1) {
            if (n == 1) {
                return stage::JumpTo::create(d, target, height, jumps);
            }
            const auto jumpAndBack = [&] {
                return stage::Sequence::create(
                    {stage::JumpBy::create(d, offset, height, jumps), stage::Place::create(start)});
            };
            if (n > 1) {
                return stage::Sequence::create({stage::Repeat::create(jumpAndBack(), unsigned(n - 1)),
                                                stage::JumpBy::create(d, offset, height, jumps)});
            }
            if (n == -1) {
                return stage::RepeatForever::create(jumpAndBack());
            }
            return nullptr;
        }
        if (u == 0) {
            return repeated(thereAndBack(stage::JumpBy::create(d, offset, height, jumps), d), n);
        }
        return nullptr;
    }

    case 6: { // tint
        auto tint = stage::TintBy::create(d, toShort(action.color_red), toShort(action.color_green),
                                          toShort(action.color_blue));
        if (n == -1) {
            return stage::RepeatForever::create(thereAndBack(tint, d));
        }
        if (n < 0) {
            return nullptr;
        }
        if (u == 1) {
            return tint;
        }
        return repeatedFromZero(thereAndBack(tint, d), n);
    }

    case 7: { // curve; its points are used as written
        const stage::BezierConfig config{{action.ctl_pt1.x, action.ctl_pt1.y},
                                         {action.ctl_pt2.x, action.ctl_pt2.y},
                                         {action.dst_point.x, action.dst_point.y}};
        auto curve = stage::BezierBy::create(d, config);
        if (n == -1) {
            return stage::RepeatForever::create(thereAndBack(curve, d));
        }
        if (n < 0) {
            return nullptr;
        }
        if (u == 1) {
            return curve;
        }
        return repeatedFromZero(thereAndBack(curve, d), n);
    }

    case 9: // blink, whatever u is
        if (n >= 1) {
            sprite.setVisible(true);
            return stage::Blink::create(float(n) * d, unsigned(n));
        }
        if (n == -1) {
            sprite.setVisible(true);
            return stage::RepeatForever::create(stage::Blink::create(d, 1));
        }
        return nullptr;

    default: // 10 (the page jump belongs to its menu item) and unknown names
        return nullptr;
    }
}

void ThePage::runFrameAnimation(Sprite& sprite, const SAction& action, const ActionRun& run) {
    const int n = run.n;
    if (n != -1 && n <= 0) {
        return;
    }
    const int tag = sprite.tag() - kAnimationTagOffset;
    if (tag == stage::kInvalidTag) {
        // That tag means "untagged": the animation could never be found again.
        LOG4CPLUS_ERROR(enginelog::logger(),
                        "frame animation: sprite " << sprite.tag() << " cannot have one");
        return;
    }
    if (n == -1 && getChildByTag(tag)) {
        return; // an endless animation of this sprite is running already
    }
    stage::TexturePtr texture = pagestage::addImage(run.texturePath);
    if (!texture) {
        LOG4CPLUS_ERROR(enginelog::logger(),
                        "texturePicture创建出现了问题，texturePicture为空: " << run.texturePath);
        return;
    }
    const int count = std::min(action.texture_num, kMaxFrames);
    if (count <= 0) {
        LOG4CPLUS_ERROR(enginelog::logger(), "frame animation without frames: " << run.texturePath);
        return;
    }
    const float w = action.texture_width;
    const float h = action.texture_height;
    std::vector<stage::SpriteFramePtr> frames;
    frames.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        frames.push_back(stage::SpriteFrame::create(texture, stage::Rect(float(i) * w, 0, w, h)));
    }
    stage::SpriteFramePtr display = stage::SpriteFrame::create(texture, stage::Rect(0, 0, w, h));

    sprite.setVisible(false);
    auto animation = stage::Animation::create(frames, run.d);
    stage::SpritePtr player = stage::Sprite::createWithSpriteFrame(display);
    player->setPosition(sprite.position());
    addChild(player, 0, tag);
    if (n == -1) {
        player->runAction(stage::RepeatForever::create(stage::Animate::create(animation)));
        return;
    }
    std::weak_ptr<stage::Node> page = weak_from_this();
    const int spriteTag = sprite.tag();
    auto done = stage::CallFunc::create([page, spriteTag](stage::Node* animationSprite) {
        // The animation removes its own sprite, so a second animation of the same sprite keeps its own.
        if (animationSprite != nullptr) {
            animationSprite->removeFromParent(true);
        }
        if (auto layer = page.lock()) {
            if (stage::NodePtr shown = layer->getChildByTag(spriteTag)) {
                shown->setVisible(true);
            }
        }
    });
    player->runAction(stage::Sequence::create(
        {stage::Repeat::create(stage::Animate::create(animation), unsigned(n)), done}));
}
