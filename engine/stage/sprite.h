// Pictures on the stage: the texture cache, sprite frames (a rectangle of a texture), sprites, and frame
// animations.
#pragma once

#include "stage/action.h"
#include "stage/backend.h"
#include "stage/node.h"

#include <cstdint>
#include <map>
#include <string>

namespace stage {

// Loads each picture file once. Textures nobody uses any more are released by removeUnusedTextures(),
// which the director calls whenever a scene goes away, so a page's pictures leave with the page.
//
// A picture's size is read from its header before it is decoded. One that is wider or taller than the
// renderer's largest texture, or has more pixels than the budget, is refused like a missing file: a
// small file can declare billions of pixels, and decoding it would take all memory.
class TextureCache {
public:
    // Used when the renderer names no limit of its own.
    static constexpr int kDefaultMaxTextureSize = 16384;
    // The budget the director sets follows the design size: no page needs more than a few screens'
    // worth of pixels in one picture (a background, a strip of animation frames).
    static constexpr std::uint64_t kBudgetPerDesignArea = 8;
    static constexpr std::uint64_t kMinPixelBudget = 2048 * 2048;
    static constexpr std::uint64_t kMaxPixelBudget = 8192 * 8192;

    explicit TextureCache(Renderer& renderer) : renderer_(renderer) {}
    // The cached texture, or a newly loaded one; null (and a log line naming the file) when the file
    // cannot be loaded or is refused for its size.
    TexturePtr addImage(const std::string& path);
    // The most pixels one picture may have.
    void setPixelBudget(std::uint64_t pixels) { pixelBudget_ = pixels; }
    std::uint64_t pixelBudget() const { return pixelBudget_; }
    // The budget for a design size: kBudgetPerDesignArea times its area, within the minimum and maximum.
    static std::uint64_t pixelBudgetFor(Size design);
    // The largest width and height accepted.
    int maxTextureSize() const;
    TexturePtr textureForPath(const std::string& path) const;
    void removeUnusedTextures();
    void removeTexture(const std::string& path);
    void removeAllTextures();
    std::size_t count() const { return textures_.size(); }

private:
    // False (and why) when the picture must not be decoded.
    bool acceptable(const std::string& path, std::string& why) const;

    Renderer& renderer_;
    std::map<std::string, TexturePtr> textures_;
    std::uint64_t pixelBudget_ = kMinPixelBudget;
};

class SpriteFrame;
using SpriteFramePtr = std::shared_ptr<SpriteFrame>;

// A rectangle of a texture, in texture pixels with the origin at the top left.
class SpriteFrame {
public:
    // Null when the texture is null.
    static SpriteFramePtr create(TexturePtr texture, Rect rect);
    SpriteFrame(TexturePtr texture, Rect rect) : texture_(std::move(texture)), rect_(rect) {}
    const TexturePtr& texture() const { return texture_; }
    Rect rect() const { return rect_; }
    Size originalSize() const { return rect_.size; }

private:
    TexturePtr texture_;
    Rect rect_;
};

class Sprite;
using SpritePtr = std::shared_ptr<Sprite>;

// A node that draws a texture rectangle over its content size. Anchored at its centre.
class Sprite : public Node {
public:
    // Through the current director's texture cache; null when the picture cannot be loaded.
    static SpritePtr create(const std::string& file);
    static SpritePtr createWithTexture(TexturePtr texture);
    static SpritePtr createWithSpriteFrame(SpriteFramePtr frame);
    Sprite();

    // For subclasses: initialise an object made with make_shared. False (and nothing set) on failure.
    bool initWithFile(const std::string& file);
    bool initWithTexture(TexturePtr texture);
    bool initWithSpriteFrame(SpriteFramePtr frame);

    // Shows another frame; the content size becomes the frame's size.
    void setDisplayFrame(SpriteFramePtr frame);
    SpriteFramePtr displayFrame() const { return frame_; }
    TexturePtr texture() const { return frame_ ? frame_->texture() : nullptr; }

    void draw(Renderer& renderer, const Affine& toPixels, Color4B color) override;

private:
    SpriteFramePtr frame_;
};

// Frames shown one after another, each for delayUnits * delayPerUnit seconds.
class Animation {
public:
    struct Frame {
        SpriteFramePtr frame;
        float delayUnits = 1;
    };
    static std::shared_ptr<Animation> create(const std::vector<SpriteFramePtr>& frames, float delayPerUnit,
                                             unsigned loops = 1);
    Animation(std::vector<Frame> frames, float delayPerUnit, unsigned loops)
        : frames_(std::move(frames)), delayPerUnit_(delayPerUnit), loops_(loops) {}

    const std::vector<Frame>& frames() const { return frames_; }
    float delayPerUnit() const { return delayPerUnit_; }
    unsigned loops() const { return loops_; }
    void setLoops(unsigned loops) { loops_ = loops; }
    // When set, the sprite's previous frame comes back at the natural end of the animation.
    void setRestoreOriginalFrame(bool restore) { restoreOriginalFrame_ = restore; }
    bool restoreOriginalFrame() const { return restoreOriginalFrame_; }
    float totalDelayUnits() const;
    // One loop, in seconds.
    float duration() const { return totalDelayUnits() * delayPerUnit_; }

private:
    std::vector<Frame> frames_;
    float delayPerUnit_;
    unsigned loops_;
    bool restoreOriginalFrame_ = false;
};
using AnimationPtr = std::shared_ptr<Animation>;

// Plays an animation on a sprite (does nothing on other nodes). Of the frames that fall due in one frame
// the last is shown; at the end the last frame stays.
class Animate : public IntervalAction {
public:
    // Null when the animation is null.
    static std::shared_ptr<Animate> create(AnimationPtr animation);
    explicit Animate(AnimationPtr animation);

    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float t) override;
    ActionPtr clone() const override;
    ActionPtr reverse() const override;
    const AnimationPtr& animation() const { return animation_; }

private:
    AnimationPtr animation_;
    std::vector<float> splitTimes_;
    std::size_t nextFrame_ = 0;
    unsigned executedLoops_ = 0;
    SpriteFramePtr originalFrame_;
};

} // namespace stage
