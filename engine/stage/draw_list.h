// What one frame draws, written down instead of drawn. The program's loop draws a frame into a list,
// compares it with the list of the frame on screen, and plays it into the real renderer only when the
// two differ: an unchanged page costs no drawing and no presenting.
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

    Size outputSize() const override { return target_.outputSize(); }
    int maxTextureSize() const override { return target_.maxTextureSize(); }
    TexturePtr loadTexture(const std::string& path, std::string& error) override {
        return target_.loadTexture(path, error);
    }
    TexturePtr createRenderTarget(int width, int height) override;
    void setRenderTarget(const TexturePtr& target) override;
    void beginFrame() override;
    void clear(Color4B color) override;
    void setClipRect(const Rect* rect) override;
    void drawTexture(const Texture& texture, const Rect& source, const Point (&corners)[4],
                     Color4B color) override;
    void drawMesh(const Texture& texture, const std::vector<MeshVertex>& vertices,
                  const std::vector<int>& indices) override;
    void endFrame() override {}

private:
    struct Command {
        enum class Kind { Clear, Clip, NoClip, Texture };
        explicit Command(Kind k) : kind(k) {}
        Kind kind;
        const Texture* texture = nullptr; // valid while the frame is drawn; compared by serial
        std::uint64_t serial = 0;
        Rect rect; // clip rectangle, or the texture's source
        Point corners[4];
        Color4B color;
        bool operator==(const Command& o) const;
    };

    Renderer& target_;
    std::vector<Command> commands_;
    bool complete_ = true;
};

} // namespace stage
