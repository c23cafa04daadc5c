// What one frame draws, written down instead of drawn. The program's loop draws a frame into a list,
// compares it with the list of the frame on screen, and plays it into the real renderer only when the
// two differ: an unchanged page costs no drawing and no presenting. Where the renderer keeps the frame
// on screen (a software surface), only the rectangles where the two lists differ are drawn and shown,
// so a small change on a large screen costs little.
//
// Only plain pictures are written down. A frame that draws into render targets or draws meshes (a
// page turn) cannot be: the list then says it is incomplete, and the caller draws that frame directly.
#pragma once

#include "stage/backend.h"

#include <vector>

namespace stage {

class DrawList : public Renderer {
public:
    // Pictures are loaded by, and the output size is that of, the renderer the list is played into.
    explicit DrawList(Renderer& target) : target_(target) {}

    void reset();
    bool complete() const { return complete_; }
    bool empty() const { return commands_.empty(); }
    // The same calls with the same pictures, rectangles, corners and colours: the same pixels.
    bool sameAs(const DrawList& other) const;
    // Makes the calls on the renderer, from beginFrame to endFrame.
    void playBack(Renderer& renderer) const;

    // Where this frame can look different from `shown`, the frame on screen: a few rectangles of whole
    // output pixels covering every draw that the two frames do not share in the same order. Empty when
    // they look the same. False when the whole frame is better drawn: most of the output changed.
    bool changedAreas(const DrawList& shown, std::vector<Rect>& areas) const;
    // Draws the frame inside these rectangles only (each one clipped to itself) and shows only them.
    // The pixels there are those the whole frame has.
    void playBack(Renderer& renderer, const std::vector<Rect>& areas) const;

    Size outputSize() const override { return target_.outputSize(); }
    int maxTextureSize() const override { return target_.maxTextureSize(); }
    TexturePtr loadTexture(const std::string& path, std::string& error) override {
        return target_.loadTexture(path, error);
    }
    TexturePtr createRenderTarget(int width, int height) override;
    void setRenderTarget(const TexturePtr& target) override;
    void beginFrame() override;
    void clear(Color4B color) override;
    void fillRect(const Rect& rect, Color4B color) override;
    void setClipRect(const Rect* rect) override;
    void drawTexture(const Texture& texture, const Rect& source, const Point (&corners)[4],
                     Color4B color) override;
    void drawMesh(const Texture& texture, const std::vector<MeshVertex>& vertices,
                  const std::vector<int>& indices) override;
    void endFrame() override {}

    // Whole pixels: [x0, x1) x [y0, y1).
    struct Box {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        bool empty() const { return x1 <= x0 || y1 <= y0; }
        long long area() const { return empty() ? 0 : (long long)(x1 - x0) * (y1 - y0); }
        bool operator==(const Box& o) const { return x0 == o.x0 && y0 == o.y0 && x1 == o.x1 && y1 == o.y1; }
    };

private:
    struct Command {
        enum class Kind { Clear, Fill, Clip, NoClip, Texture };
        explicit Command(Kind k) : kind(k) {}
        Kind kind;
        const Texture* texture = nullptr; // valid while the frame is drawn; compared by serial
        std::uint64_t serial = 0;
        Rect rect; // clip or fill rectangle, or the texture's source
        Point corners[4];
        Color4B color;
        // Clear, Fill and Texture: the pixels it may change (within its clip) and, for an opaque upright
        // picture, those it surely covers; the clip it is drawn in.
        Box touches;
        Box covers;
        Box clip;
        // Upright on a renderer that places such pictures on whole pixels: those pixels, which the two
        // frames then compare instead of the corners.
        bool snapped = false;
        PixelBox placed;
        // A picture's parts that show (where the picture is not clear), in parts_; for an upright picture
        // at full opacity, the pixels it surely hides (where it is opaque), in solid_.
        std::uint32_t partsBegin = 0;
        std::uint32_t partsEnd = 0;
        std::uint32_t solidBegin = 0;
        std::uint32_t solidEnd = 0;
        bool operator==(const Command& o) const;
    };

    void playBand(const Box& box, Renderer& renderer) const;
    // What the command may change: its parts that show, or all it touches.
    static void addParts(const Command& c, const std::vector<Box>& parts, std::vector<Box>& out);
    void addPictureParts(Command& c, const Texture& texture, bool upright);
    // Parts of a turned picture's strips (four corners each on the screen), within `clip`.
    void addTurnedParts(const std::vector<Point>& strips, const Box& clip);
    void addSolidParts(Command& c, const Texture& texture);

    Renderer& target_;
    std::vector<Command> commands_;
    std::vector<Box> parts_;
    std::vector<Box> solid_;
    bool complete_ = true;
    bool snaps_ = false;
    Box output_;
    Box clip_;
};

} // namespace stage
