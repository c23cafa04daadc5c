// The stage's Renderer on an SDL_Renderer (a window's or a software one). Internal to stage/sdl/.
#pragma once

#include "stage/backend.h"

#include <SDL.h>

#include <functional>
#include <memory>
#include <string>

namespace stage::sdl {

class SdlTexture : public Texture {
public:
    SdlTexture(SDL_Texture* texture, Size size, std::string path, std::weak_ptr<int> rendererAlive,
               bool opaque, SDL_Surface* pixels = nullptr)
        : Texture(size, std::move(path)), texture_(texture), alive_(std::move(rendererAlive)),
          opaque_(opaque), pixels_(pixels) {}
    ~SdlTexture() override;
    SDL_Texture* handle() const { return texture_; }
    // The picture's own pixels, kept only by renderers that blit straight onto a surface.
    SDL_Surface* pixels() const { return pixels_; }
    // No pixel is transparent: drawn upright at full opacity it can be copied instead of blended.
    bool opaque() const { return opaque_; }

private:
    SDL_Texture* texture_;
    // Once the renderer is gone its textures are freed with it; then there is nothing left to destroy.
    std::weak_ptr<int> alive_;
    bool opaque_;
    SDL_Surface* pixels_;
};

class SdlRenderer : public Renderer {
public:
    // Does not take ownership of `renderer`; destroy this object before the SDL renderer. For a software
    // renderer on a surface, pass that surface too: upright pictures are then blitted onto it directly,
    // which lets SDL use its fastest blending for scaled sprites.
    explicit SdlRenderer(SDL_Renderer* renderer, SDL_Surface* directSurface = nullptr);
    ~SdlRenderer() override;

    Size outputSize() const override;
    int maxTextureSize() const override;
    TexturePtr loadTexture(const std::string& path, std::string& error) override;
    TexturePtr createRenderTarget(int width, int height) override;
    void setRenderTarget(const TexturePtr& target) override;
    void beginFrame() override;
    void clear(Color4B color) override;
    void setClipRect(const Rect* rect) override;
    void drawTexture(const Texture& texture, const Rect& source, const Point (&corners)[4],
                     Color4B color) override;
    void drawMesh(const Texture& texture, const std::vector<MeshVertex>& vertices,
                  const std::vector<int>& indices) override;
    void endFrame() override;

    // Saves the frame at the end of the next endFrame (before it is shown).
    void requestScreenshot(const std::string& path) { screenshotPath_ = path; }
    // Reads what the current target holds.
    bool readPixels(Image& out);
    // Software canvases have nothing to present, but drawing must still be flushed.
    void setPresents(bool presents) { presents_ = presents; }
    // For a software renderer on a window: the surface it draws on, asked for at every frame (it is new
    // after a resize). Upright pictures are then blitted onto it directly.
    void setDirectSurfaceSource(std::function<SDL_Surface*()> source) { directSource_ = std::move(source); }

private:
    bool drawDirect(const SdlTexture& texture, const SDL_Rect& source, const SDL_FRect& destination,
                    Color4B color);

    SDL_Renderer* renderer_;
    SDL_Surface* direct_;
    std::function<SDL_Surface*()> directSource_;
    SDL_Surface* scratch_ = nullptr;
    std::shared_ptr<int> alive_;
    bool hasScreenClip_ = false;
    SDL_Rect screenClip_{};
    bool onTarget_ = false;
    bool presents_ = true;
    std::string screenshotPath_;
};

} // namespace stage::sdl
