// The stage's Renderer on an SDL_Renderer (a window's or a software one). Internal to stage/sdl/.
#pragma once

#include "stage/backend.h"

#include <SDL.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace stage::sdl {

class SdlTexture : public Texture {
public:
    SdlTexture(SDL_Texture* texture, Size size, std::string path, std::weak_ptr<int> rendererAlive,
               bool opaque, SDL_Surface* pixels = nullptr)
        : Texture(size, std::move(path), opaque), texture_(texture), alive_(std::move(rendererAlive)),
          pixels_(pixels) {}
    ~SdlTexture() override;
    using Texture::setOutline;
    using Texture::setSolid;
    SDL_Texture* handle() const { return texture_; }
    // The picture's own pixels, premultiplied, kept only by renderers that draw straight onto a surface.
    SDL_Surface* pixels() const { return pixels_; }

private:
    SDL_Texture* texture_;
    // Once the renderer is gone its textures are freed with it; then there is nothing left to destroy.
    std::weak_ptr<int> alive_;
    SDL_Surface* pixels_;
};

class SdlRenderer : public Renderer {
public:
    // Does not take ownership of `renderer`; destroy this object before the SDL renderer. For a software
    // renderer on a surface, pass that surface too: pictures are then drawn onto it directly
    // (software_draw.h), far faster than through SDL's renderer, and a part of the frame drawn again on
    // its own gets exactly the pixels of the whole.
    explicit SdlRenderer(SDL_Renderer* renderer, SDL_Surface* directSurface = nullptr);
    ~SdlRenderer() override;

    Size outputSize() const override;
    int maxTextureSize() const override;
    TexturePtr loadTexture(const std::string& path, std::string& error) override;
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
    void endFrame() override;
    // A surface keeps what was drawn on it; a window's as long as it is the same surface (a resize makes
    // a new one).
    bool keepsFrame() const override;
    // In a window, only the changed rectangles of its surface go to the screen.
    void endPartialFrame(const std::vector<Rect>& changed) override;
    // Drawing onto a surface with the stage's own pixel code.
    bool placesUprightOnWholePixels() const override;

    // Saves the frame at the end of the next endFrame (before it is shown).
    void requestScreenshot(const std::string& path) { screenshotPath_ = path; }
    // Reads what the current target holds.
    bool readPixels(Image& out);
    // Software canvases have nothing to present, but drawing must still be flushed.
    void setPresents(bool presents) { presents_ = presents; }
    // For a software renderer on a window: the surface it draws on, asked for at every frame (it is new
    // after a resize). Pictures are then drawn onto it directly.
    void setDirectSurfaceSource(std::function<SDL_Surface*()> source) { directSource_ = std::move(source); }

private:
    // Draws onto the software surface with the stage's own pixel code (software_draw.h).
    void drawDirect(const SdlTexture& texture, const Rect& source, const Point (&corners)[4], Color4B color);
    void saveRequestedScreenshot();
    void rememberShownSurface();

    SDL_Renderer* renderer_;
    SDL_Surface* direct_;
    std::function<SDL_Surface*()> directSource_;
    // The window surface the last frame was shown from.
    SDL_Surface* shownSurface_ = nullptr;
    int shownWidth_ = 0;
    int shownHeight_ = 0;
    std::vector<SDL_Rect> updateRects_;
    std::shared_ptr<int> alive_;
    bool hasScreenClip_ = false;
    SDL_Rect screenClip_{};
    bool onTarget_ = false;
    bool presents_ = true;
    std::string screenshotPath_;
};

} // namespace stage::sdl
