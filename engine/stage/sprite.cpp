#include "stage/sprite.h"

#include "stage/director.h"
#include "stage/log.h"
#include "stage/picture_header.h"

#include <algorithm>
#include <cmath>

namespace stage {

// --- TextureCache ----------------------------------------------------------------------------------------

TexturePtr TextureCache::addImage(const std::string& path) {
    auto it = textures_.find(path);
    if (it != textures_.end()) {
        return it->second;
    }
    if (path.empty()) {
        log(LogLevel::Error, "texture cache: empty picture path");
        return nullptr;
    }
    std::string error;
    if (!acceptable(path, error)) {
        log(LogLevel::Error, "texture cache: cannot load " + path + ": " + error);
        return nullptr;
    }
    TexturePtr texture = renderer_.loadTexture(path, error);
    if (!texture) {
        log(LogLevel::Error, "texture cache: cannot load " + path + ": " + error);
        return nullptr;
    }
    textures_.emplace(path, texture);
    return texture;
}

std::uint64_t TextureCache::pixelBudgetFor(Size design) {
    const double area = double(std::max(design.width, 0.0f)) * double(std::max(design.height, 0.0f));
    const double budget = area * double(kBudgetPerDesignArea);
    if (!(budget >= double(kMinPixelBudget))) {
        return kMinPixelBudget;
    }
    return budget >= double(kMaxPixelBudget) ? kMaxPixelBudget : std::uint64_t(budget);
}

int TextureCache::maxTextureSize() const {
    const int own = renderer_.maxTextureSize();
    return own > 0 ? own : kDefaultMaxTextureSize;
}

bool TextureCache::acceptable(const std::string& path, std::string& why) const {
    PictureHeader header;
    std::string error;
    if (!readPictureHeader(path, header, error)) {
        why = "its size cannot be read (" + error + ")";
        return false;
    }
    const auto limit = std::uint32_t(maxTextureSize());
    const std::string size = std::to_string(header.width) + " x " + std::to_string(header.height);
    if (header.width > limit || header.height > limit) {
        why = header.format + " of " + size + " pixels is larger than the largest texture (" +
              std::to_string(limit) + " pixels a side)";
        return false;
    }
    if (std::uint64_t(header.width) * header.height > pixelBudget_) {
        why = header.format + " of " + size + " pixels is more than a picture may have (" +
              std::to_string(pixelBudget_) + " pixels)";
        return false;
    }
    return true;
}

TexturePtr TextureCache::textureForPath(const std::string& path) const {
    auto it = textures_.find(path);
    return it != textures_.end() ? it->second : nullptr;
}

void TextureCache::removeUnusedTextures() {
    for (auto it = textures_.begin(); it != textures_.end();) {
        if (it->second.use_count() == 1) {
            it = textures_.erase(it);
        } else {
            ++it;
        }
    }
}

void TextureCache::removeTexture(const std::string& path) {
    textures_.erase(path);
}

void TextureCache::removeAllTextures() {
    textures_.clear();
}

// --- SpriteFrame / Sprite --------------------------------------------------------------------------------

SpriteFramePtr SpriteFrame::create(TexturePtr texture, Rect rect) {
    if (!texture) {
        log(LogLevel::Error, "sprite frame: no texture");
        return nullptr;
    }
    return std::make_shared<SpriteFrame>(std::move(texture), rect);
}

Sprite::Sprite() {
    setAnchorPoint({0.5f, 0.5f});
}

SpritePtr Sprite::create(const std::string& file) {
    auto sprite = std::make_shared<Sprite>();
    return sprite->initWithFile(file) ? sprite : nullptr;
}

SpritePtr Sprite::createWithTexture(TexturePtr texture) {
    auto sprite = std::make_shared<Sprite>();
    return sprite->initWithTexture(std::move(texture)) ? sprite : nullptr;
}

SpritePtr Sprite::createWithSpriteFrame(SpriteFramePtr frame) {
    auto sprite = std::make_shared<Sprite>();
    return sprite->initWithSpriteFrame(std::move(frame)) ? sprite : nullptr;
}

bool Sprite::initWithFile(const std::string& file) {
    Director* director = Director::current();
    if (director == nullptr) {
        log(LogLevel::Error, "sprite: no director to load " + file);
        return false;
    }
    return initWithTexture(director->textureCache().addImage(file));
}

bool Sprite::initWithTexture(TexturePtr texture) {
    if (!texture) {
        return false;
    }
    const Size size = texture->size();
    setDisplayFrame(std::make_shared<SpriteFrame>(std::move(texture), Rect{0, 0, size.width, size.height}));
    return true;
}

bool Sprite::initWithSpriteFrame(SpriteFramePtr frame) {
    if (!frame) {
        return false;
    }
    setDisplayFrame(std::move(frame));
    return true;
}

void Sprite::setDisplayFrame(SpriteFramePtr frame) {
    if (!frame) {
        return;
    }
    frame_ = std::move(frame);
    setContentSize(frame_->originalSize());
}

void Sprite::draw(Renderer& renderer, const Affine& toPixels, Color4B color) {
    if (!frame_ || color.a == 0) {
        return;
    }
    const Size s = contentSize();
    const Point corners[4] = {toPixels.apply({0, 0}), toPixels.apply({s.width, 0}),
                              toPixels.apply({s.width, s.height}), toPixels.apply({0, s.height})};
    for (const Point& p : corners) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            return; // a scale or position gone to NaN or infinity draws nothing
        }
    }
    renderer.drawTexture(*frame_->texture(), frame_->rect(), corners, color);
}

// --- Animation / Animate ---------------------------------------------------------------------------------

std::shared_ptr<Animation> Animation::create(const std::vector<SpriteFramePtr>& frames, float delayPerUnit,
                                             unsigned loops) {
    std::vector<Frame> list;
    for (const auto& f : frames) {
        if (f) {
            list.push_back({f, 1});
        }
    }
    return std::make_shared<Animation>(std::move(list), delayPerUnit, loops);
}

float Animation::totalDelayUnits() const {
    float total = 0;
    for (const auto& f : frames_) {
        total += f.delayUnits;
    }
    return total;
}

std::shared_ptr<Animate> Animate::create(AnimationPtr animation) {
    if (!animation) {
        log(LogLevel::Error, "Animate: no animation");
        return nullptr;
    }
    return std::make_shared<Animate>(std::move(animation));
}

Animate::Animate(AnimationPtr animation)
    : IntervalAction(animation->duration() * float(animation->loops())), animation_(std::move(animation)) {
    // Frame i starts at the share of delay units before it. Computed from units alone, so a zero delay
    // still gives usable split times.
    const float total = animation_->totalDelayUnits();
    float accumulated = 0;
    for (const auto& f : animation_->frames()) {
        splitTimes_.push_back(total > 0 ? accumulated / total : 0);
        accumulated += f.delayUnits;
    }
}

void Animate::startWithTarget(Node* target) {
    IntervalAction::startWithTarget(target);
    auto* sprite = dynamic_cast<Sprite*>(target);
    originalFrame_ =
        (sprite != nullptr && animation_->restoreOriginalFrame()) ? sprite->displayFrame() : nullptr;
    nextFrame_ = 0;
    executedLoops_ = 0;
}

void Animate::stop() {
    auto* sprite = dynamic_cast<Sprite*>(target());
    if (sprite != nullptr && animation_->restoreOriginalFrame() && originalFrame_) {
        sprite->setDisplayFrame(originalFrame_);
    }
    IntervalAction::stop();
}

void Animate::update(float t) {
    auto* sprite = dynamic_cast<Sprite*>(target());
    if (sprite == nullptr) {
        return;
    }
    if (t < 1.0f) {
        t *= float(animation_->loops());
        const auto loopNumber = static_cast<unsigned>(t);
        if (loopNumber > executedLoops_) {
            nextFrame_ = 0;
            ++executedLoops_;
        }
        t = std::fmod(t, 1.0f);
    }
    // Of the frames that fall due now only the last one shows; the ones before it would be replaced in
    // the same moment. Split times never decrease.
    const auto& frames = animation_->frames();
    if (nextFrame_ >= frames.size()) {
        return;
    }
    const auto from = splitTimes_.begin() + std::ptrdiff_t(nextFrame_);
    const auto due = std::size_t(std::upper_bound(from, splitTimes_.end(), t) - splitTimes_.begin());
    if (due > nextFrame_) {
        sprite->setDisplayFrame(frames[due - 1].frame);
        nextFrame_ = due;
    }
}

ActionPtr Animate::clone() const {
    return std::make_shared<Animate>(animation_);
}

ActionPtr Animate::reverse() const {
    std::vector<Animation::Frame> frames(animation_->frames().rbegin(), animation_->frames().rend());
    auto reversed =
        std::make_shared<Animation>(std::move(frames), animation_->delayPerUnit(), animation_->loops());
    reversed->setRestoreOriginalFrame(animation_->restoreOriginalFrame());
    return std::make_shared<Animate>(reversed);
}

} // namespace stage
