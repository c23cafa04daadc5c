#include "stage/sdl/software_canvas.h"

#include "stage/sdl/image_io.h"
#include "stage/sdl/sdl_renderer.h"

namespace stage::sdl {

namespace {

// Stands in when no surface could be made, so callers need no special case.
class NullRenderer : public Renderer {
public:
    Size outputSize() const override { return {}; }
    TexturePtr loadTexture(const std::string&, std::string& error) override {
        error = "no drawing surface";
        return nullptr;
    }
    TexturePtr createRenderTarget(int, int) override { return nullptr; }
    void setRenderTarget(const TexturePtr&) override {}
    void beginFrame() override {}
    void clear(Color4B) override {}
    void fillRect(const Rect&, Color4B) override {}
    void setClipRect(const Rect*) override {}
    void drawTexture(const Texture&, const Rect&, const Point (&)[4], Color4B) override {}
    void drawMesh(const Texture&, const std::vector<MeshVertex>&, const std::vector<int>&) override {}
    void endFrame() override {}
};

} // namespace

struct SoftwareCanvas::Impl {
    SDL_Surface* surface = nullptr;
    SDL_Renderer* sdlRenderer = nullptr;
    std::unique_ptr<SdlRenderer> renderer;
    NullRenderer null;
    std::string error;
};

SoftwareCanvas::SoftwareCanvas(int width, int height) : impl_(std::make_unique<Impl>()) {
    impl_->surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (impl_->surface == nullptr) {
        impl_->error = SDL_GetError();
        return;
    }
    impl_->sdlRenderer = SDL_CreateSoftwareRenderer(impl_->surface);
    if (impl_->sdlRenderer == nullptr) {
        impl_->error = SDL_GetError();
        return;
    }
    impl_->renderer = std::make_unique<SdlRenderer>(impl_->sdlRenderer, impl_->surface);
    impl_->renderer->setPresents(false);
}

SoftwareCanvas::~SoftwareCanvas() {
    impl_->renderer.reset();
    if (impl_->sdlRenderer != nullptr) {
        SDL_DestroyRenderer(impl_->sdlRenderer);
    }
    if (impl_->surface != nullptr) {
        SDL_FreeSurface(impl_->surface);
    }
}

bool SoftwareCanvas::ok() const {
    return impl_->renderer != nullptr;
}

const std::string& SoftwareCanvas::error() const {
    return impl_->error;
}

Renderer& SoftwareCanvas::renderer() {
    if (impl_->renderer) {
        return *impl_->renderer;
    }
    return impl_->null;
}

Image SoftwareCanvas::capture() {
    Image image;
    if (impl_->renderer) {
        impl_->renderer->readPixels(image);
    }
    return image;
}

bool SoftwareCanvas::savePng(const std::string& path) {
    const Image image = capture();
    return sdl::savePng(image, path);
}

} // namespace stage::sdl
