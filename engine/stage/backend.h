// What the stage needs from a platform: something that draws, something that plays sound, and a source of
// window events. The core draws and plays only through these interfaces; stage/sdl/ implements them on
// SDL2 and stage/headless/ implements them for tests without a window or a sound device.
#pragma once

#include "stage/geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace stage {

// A picture in the renderer's memory. Sizes are in pixels.
class Texture {
public:
    virtual ~Texture() = default;
    Size size() const { return size_; }
    // The file it came from; empty for render targets.
    const std::string& path() const { return path_; }
    // Unique for the life of the program: a texture made later at the same address gets another.
    std::uint64_t serial() const { return serial_; }
    // No pixel is transparent: drawn upright at full opacity it hides whatever lies under it.
    bool opaque() const { return opaque_; }
    // Where the picture shows: its rows in bands of kOutlineRows texels, and for each band the columns
    // [first, last) that hold every texel of it that is not fully transparent (first == last: a clear
    // band). Empty when not known; then all of it may show.
    using Outline = std::vector<std::pair<int, int>>;
    static constexpr int kOutlineRows = 16;
    const Outline& outline() const { return outline_; }
    // Where it hides what lies under it: for each band of kOutlineRows rows, the widest run of columns
    // [first, last) where every texel of the band is fully opaque (first == last: none). Empty when not
    // known.
    const Outline& solid() const { return solid_; }

protected:
    Texture(Size size, std::string path, bool opaque = false)
        : size_(size), path_(std::move(path)), serial_(nextSerial()), opaque_(opaque) {}
    void setOutline(Outline outline) { outline_ = std::move(outline); }
    void setSolid(Outline solid) { solid_ = std::move(solid); }

private:
    static std::uint64_t nextSerial() {
        static std::uint64_t last = 0;
        return ++last;
    }
    Size size_;
    std::string path_;
    std::uint64_t serial_;
    bool opaque_;
    Outline outline_;
    Outline solid_;
};
using TexturePtr = std::shared_ptr<Texture>;

// RGBA pixels, row by row from the top; used for screenshots and for pictures made in code.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Color4B> pixels;

    Image() = default;
    Image(int w, int h, Color4B fill = {})
        : width(w), height(h), pixels(std::size_t(w) * std::size_t(h), fill) {}
    Color4B at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    Color4B& at(int x, int y) { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// One corner of a textured triangle mesh: position in output pixels (top-left origin), texture coordinate
// in [0,1] (top-left origin), vertex colour.
struct MeshVertex {
    Point position;
    Point uv;
    Color4B color;
};

class Renderer {
public:
    virtual ~Renderer() = default;

    // Size of the drawing surface in pixels.
    virtual Size outputSize() const = 0;
    // The widest and tallest texture it can hold, in pixels; 0 when it sets no limit of its own.
    virtual int maxTextureSize() const { return 0; }
    // Null (and a reason in `error`) when the file is missing or not a picture.
    virtual TexturePtr loadTexture(const std::string& path, std::string& error) = 0;
    // A texture that can be drawn into with setRenderTarget; null when the renderer cannot.
    virtual TexturePtr createRenderTarget(int width, int height) = 0;
    // Null draws to the output again.
    virtual void setRenderTarget(const TexturePtr& target) = 0;

    virtual void beginFrame() = 0;
    // The whole target, whatever the clip.
    virtual void clear(Color4B color) = 0;
    // The rectangle (target pixels) within the clip, as clear() sets them.
    virtual void fillRect(const Rect& rect, Color4B color) = 0;
    // Null switches clipping off. In pixels of the current target; each of x, y, width and height is
    // rounded to the nearest whole pixel.
    virtual void setClipRect(const Rect* rect) = 0;
    // `source` is in texture pixels (top-left origin). `corners` are the images of the source's bottom-left,
    // bottom-right, top-right and top-left corners in target pixels. The colour multiplies the texture.
    virtual void drawTexture(const Texture& texture, const Rect& source, const Point (&corners)[4],
                             Color4B color) = 0;
    virtual void drawMesh(const Texture& texture, const std::vector<MeshVertex>& vertices,
                          const std::vector<int>& indices) = 0;
    // Shows the frame.
    virtual void endFrame() = 0;

    // Whether the output still holds the frame shown last, so that the next frame may draw only the parts
    // that change (a software surface does; OpenGL's back buffer does not).
    virtual bool keepsFrame() const { return false; }
    // Ends a frame that drew only inside these rectangles (output pixels) and shows just them.
    virtual void endPartialFrame(const std::vector<Rect>& changed) {
        (void)changed;
        endFrame();
    }
    // Whether a picture drawn upright here shows the same pixels wherever its corners lie within the same
    // whole pixels (uprightPixels): a picture drifting by a fraction of a pixel then changes nothing.
    virtual bool placesUprightOnWholePixels() const { return false; }
};

// Background music (one track) and sound effects (many at once).
class AudioEngine {
public:
    virtual ~AudioEngine() = default;

    virtual bool preloadMusic(const std::string& path) = 0;
    // Stops whatever plays and starts `path` from its beginning; false when it cannot be played.
    virtual bool playMusic(const std::string& path, bool loop) = 0;
    virtual void stopMusic(bool releaseData = false) = 0;
    virtual void pauseMusic() = 0;
    virtual void resumeMusic() = 0;
    virtual bool isMusicPlaying() const = 0;

    virtual bool preloadEffect(const std::string& path) = 0;
    // Loads on demand when not preloaded. Returns an id for stopEffect; 0 when it cannot be played.
    // The same effect may play several times at once.
    virtual unsigned playEffect(const std::string& path, bool loop = false) = 0;
    virtual void stopEffect(unsigned id) = 0;
    virtual void stopAllEffects() = 0;
    virtual void unloadEffect(const std::string& path) = 0;
};

// The keys the stage tells apart; every other key is Other.
enum class Key { Other, Escape, Left, Right };

// A window event. Touch positions are in window pixels with the origin at the top left.
struct InputEvent {
    enum class Kind {
        TouchBegan,
        TouchMoved,
        TouchEnded,
        TouchCancelled,
        Quit,
        EnterBackground,
        EnterForeground,
        Resized,
        // A key went down (held keys repeating are not reported again).
        KeyPressed,
        // The window's picture was lost (uncovered, shown again) and must be drawn again.
        Exposed
    };
    Kind kind = Kind::Quit;
    int touchId = 0;
    Point position;
    Size windowSize;      // for Resized
    Key key = Key::Other; // for KeyPressed
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual Renderer& renderer() = 0;
    virtual AudioEngine& audio() = 0;
    // The drawing surface in pixels.
    virtual Size windowSize() const = 0;
    // Appends the events that arrived since the last call.
    virtual void pollEvents(std::vector<InputEvent>& out) = 0;
    // Like pollEvents, but first waits up to `seconds` for an event when none is there (the program's
    // loop sleeps here while nothing on stage is due). By default it sleeps the time, then polls.
    virtual void waitEvents(std::vector<InputEvent>& out, double seconds);
    // Saves the next drawn frame as a PNG file (at the end of that frame). False when it cannot.
    virtual bool requestScreenshot(const std::string& pngPath) = 0;
};

} // namespace stage
