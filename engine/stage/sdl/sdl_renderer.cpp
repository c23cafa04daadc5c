#include "stage/sdl/sdl_renderer.h"

#include "stage/log.h"
#include "stage/sdl/image_io.h"

#include <SDL_image.h>

#include <algorithm>
#include <cmath>

namespace stage::sdl {

namespace {

bool fullyOpaque(SDL_Surface* argb) {
    SDL_LockSurface(argb);
    bool opaque = true;
    for (int y = 0; y < argb->h && opaque; ++y) {
        const auto* row =
            reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(argb->pixels) + y * argb->pitch);
        for (int x = 0; x < argb->w; ++x) {
            if ((row[x] >> 24) != 0xFF) {
                opaque = false;
                break;
            }
        }
    }
    SDL_UnlockSurface(argb);
    return opaque;
}

} // namespace

SdlTexture::~SdlTexture() {
    if (!alive_.expired() && texture_ != nullptr) {
        SDL_DestroyTexture(texture_);
    }
    if (pixels_ != nullptr) {
        SDL_FreeSurface(pixels_);
    }
}

SdlRenderer::SdlRenderer(SDL_Renderer* renderer, SDL_Surface* directSurface)
    : renderer_(renderer), direct_(directSurface), alive_(std::make_shared<int>(0)) {
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
}

SdlRenderer::~SdlRenderer() {
    if (scratch_ != nullptr) {
        SDL_FreeSurface(scratch_);
    }
}

Size SdlRenderer::outputSize() const {
    int w = 0;
    int h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    return {float(w), float(h)};
}

int SdlRenderer::maxTextureSize() const {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer_, &info) != 0) {
        return 0;
    }
    // The software renderer names no limit (0).
    if (info.max_texture_width <= 0 || info.max_texture_height <= 0) {
        return std::max(info.max_texture_width, info.max_texture_height);
    }
    return std::min(info.max_texture_width, info.max_texture_height);
}

TexturePtr SdlRenderer::loadTexture(const std::string& path, std::string& error) {
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (loaded == nullptr) {
        error = IMG_GetError();
        return nullptr;
    }
    // One pixel layout for every picture keeps the software renderer on its fast blitters.
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (converted == nullptr) {
        error = SDL_GetError();
        return nullptr;
    }
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer_, converted);
    const Size size{float(converted->w), float(converted->h)};
    const bool opaque = fullyOpaque(converted);
    if (texture == nullptr) {
        error = SDL_GetError();
        SDL_FreeSurface(converted);
        return nullptr;
    }
    if (direct_ == nullptr && !directSource_) {
        SDL_FreeSurface(converted);
        converted = nullptr;
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    return std::make_shared<SdlTexture>(texture, size, path, alive_, opaque, converted);
}

TexturePtr SdlRenderer::createRenderTarget(int width, int height) {
    SDL_Texture* texture =
        SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height);
    if (texture == nullptr) {
        log(LogLevel::Warning, std::string("cannot create a render target: ") + SDL_GetError());
        return nullptr;
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    return std::make_shared<SdlTexture>(texture, Size{float(width), float(height)}, std::string(), alive_,
                                        false);
}

void SdlRenderer::setRenderTarget(const TexturePtr& target) {
    auto* t = dynamic_cast<SdlTexture*>(target.get());
    SDL_SetRenderTarget(renderer_, t != nullptr ? t->handle() : nullptr);
    onTarget_ = t != nullptr;
    if (onTarget_) {
        SDL_RenderSetClipRect(renderer_, nullptr);
    } else {
        SDL_RenderSetClipRect(renderer_, hasScreenClip_ ? &screenClip_ : nullptr);
    }
}

void SdlRenderer::beginFrame() {
    SDL_SetRenderTarget(renderer_, nullptr);
    onTarget_ = false;
    if (directSource_) {
        direct_ = directSource_();
    }
}

void SdlRenderer::clear(Color4B color) {
    SDL_SetRenderDrawColor(renderer_, color.r, color.g, color.b, color.a);
    SDL_RenderClear(renderer_);
}

void SdlRenderer::setClipRect(const Rect* rect) {
    if (rect == nullptr) {
        SDL_RenderSetClipRect(renderer_, nullptr);
        if (!onTarget_) {
            hasScreenClip_ = false;
        }
        return;
    }
    const SDL_Rect r{int(std::lround(rect->origin.x)), int(std::lround(rect->origin.y)),
                     int(std::lround(rect->size.width)), int(std::lround(rect->size.height))};
    SDL_RenderSetClipRect(renderer_, &r);
    if (!onTarget_) {
        hasScreenClip_ = true;
        screenClip_ = r;
    }
}

void SdlRenderer::drawTexture(const Texture& texture, const Rect& source, const Point (&corners)[4],
                              Color4B color) {
    const auto* t = dynamic_cast<const SdlTexture*>(&texture);
    if (t == nullptr) {
        return;
    }
    SDL_Texture* tex = t->handle();
    SDL_SetTextureColorMod(tex, color.r, color.g, color.b);
    SDL_SetTextureAlphaMod(tex, color.a);
    const SDL_Rect src{int(std::lround(source.origin.x)), int(std::lround(source.origin.y)),
                       int(std::lround(source.size.width)), int(std::lround(source.size.height))};

    const Point bl = corners[0];
    const Point u = corners[1] - corners[0]; // along the picture's bottom edge
    const Point v = corners[3] - corners[0]; // up the picture's left edge
    const float w = std::hypot(u.x, u.y);
    const float h = std::hypot(v.x, v.y);
    if (w < 1e-3f || h < 1e-3f) {
        return;
    }
    const float dot = u.x * v.x + u.y * v.y;
    if (std::fabs(dot) > 1e-3f * w * h) {
        // Sheared (a rotated child of a stretched parent): only a mesh can draw that.
        const float su = 1.0f / texture.size().width;
        const float sv = 1.0f / texture.size().height;
        const float u0 = source.origin.x * su;
        const float u1 = (source.origin.x + source.size.width) * su;
        const float v0 = source.origin.y * sv;
        const float v1 = (source.origin.y + source.size.height) * sv;
        const SDL_Color c{color.r, color.g, color.b, color.a};
        const SDL_Vertex verts[4] = {{{corners[0].x, corners[0].y}, c, {u0, v1}},
                                     {{corners[1].x, corners[1].y}, c, {u1, v1}},
                                     {{corners[2].x, corners[2].y}, c, {u1, v0}},
                                     {{corners[3].x, corners[3].y}, c, {u0, v0}}};
        const int indices[6] = {0, 1, 2, 0, 2, 3};
        SDL_SetTextureColorMod(tex, 255, 255, 255);
        SDL_SetTextureAlphaMod(tex, 255);
        SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
        SDL_RenderGeometry(renderer_, tex, verts, 4, indices, 6);
        return;
    }
    // A rectangle: upright, turned, or mirrored. In pixel space (y down) an unmirrored picture has its
    // left edge pointing up from its bottom edge, i.e. a negative cross product.
    const bool mirrored = u.x * v.y - u.y * v.x > 0;
    const float angle = std::atan2(u.y, u.x) * 180.0f / float(M_PI);
    const Point centre = bl + (u + v) * 0.5f;
    const SDL_FRect dst{centre.x - w / 2, centre.y - h / 2, w, h};
    if (!mirrored && std::fabs(angle) < 0.01f && drawDirect(*t, src, dst, color)) {
        return;
    }
    if (!mirrored && std::fabs(angle) < 0.01f) {
        // Full pages (backgrounds) are opaque: copying them is far cheaper than blending on the software
        // renderer.
        SDL_SetTextureBlendMode(tex,
                                t->opaque() && color.a == 255 ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
        SDL_RenderCopyF(renderer_, tex, &src, &dst);
        return;
    }
    SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
    SDL_RenderCopyExF(renderer_, tex, &src, &dst, angle, nullptr,
                      mirrored ? SDL_FLIP_VERTICAL : SDL_FLIP_NONE);
}

bool SdlRenderer::drawDirect(const SdlTexture& texture, const SDL_Rect& source, const SDL_FRect& destination,
                             Color4B color) {
    SDL_Surface* pixels = texture.pixels();
    if (direct_ == nullptr || onTarget_ || pixels == nullptr || source.x < 0 || source.y < 0 ||
        source.x + source.w > pixels->w || source.y + source.h > pixels->h) {
        return false;
    }
    const int x0 = int(std::lround(destination.x));
    const int y0 = int(std::lround(destination.y));
    SDL_Rect dst{x0, y0, int(std::lround(destination.x + destination.w)) - x0,
                 int(std::lround(destination.y + destination.h)) - y0};
    if (dst.w <= 0 || dst.h <= 0 || source.w <= 0 || source.h <= 0) {
        return true;
    }
    // Whatever the renderer has queued comes first.
    SDL_RenderFlush(renderer_);
    SDL_SetClipRect(direct_, hasScreenClip_ ? &screenClip_ : nullptr);
    const bool blend = !(texture.opaque() && color.a == 255);
    const bool tinted = color.r != 255 || color.g != 255 || color.b != 255 || color.a != 255;
    const bool scaled = dst.w != source.w || dst.h != source.h;
    SDL_SetSurfaceColorMod(pixels, 255, 255, 255);
    SDL_SetSurfaceAlphaMod(pixels, 255);
    if (!scaled || (!blend && !tinted)) {
        SDL_SetSurfaceBlendMode(pixels, blend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
        SDL_SetSurfaceColorMod(pixels, color.r, color.g, color.b);
        SDL_SetSurfaceAlphaMod(pixels, color.a);
        SDL_Rect src = source;
        if (scaled) {
            SDL_BlitScaled(pixels, &src, direct_, &dst);
        } else {
            SDL_BlitSurface(pixels, &src, direct_, &dst);
        }
        return true;
    }
    // Scaling and blending at once is SDL's slowest path; stretching first and then blending unscaled
    // is several times faster.
    if (scratch_ == nullptr || scratch_->w < dst.w || scratch_->h < dst.h) {
        // The new size is read before the old surface goes: it never shrinks.
        const int w = std::max(dst.w, scratch_ != nullptr ? scratch_->w : 0);
        const int h = std::max(dst.h, scratch_ != nullptr ? scratch_->h : 0);
        if (scratch_ != nullptr) {
            SDL_FreeSurface(scratch_);
        }
        scratch_ = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
        if (scratch_ == nullptr) {
            return false;
        }
    }
    SDL_Rect src = source;
    SDL_Rect stretched{0, 0, dst.w, dst.h};
    SDL_SetSurfaceBlendMode(pixels, SDL_BLENDMODE_NONE);
    if (SDL_SoftStretch(pixels, &src, scratch_, &stretched) != 0) {
        return false;
    }
    SDL_SetSurfaceBlendMode(scratch_, SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceColorMod(scratch_, color.r, color.g, color.b);
    SDL_SetSurfaceAlphaMod(scratch_, color.a);
    SDL_BlitSurface(scratch_, &stretched, direct_, &dst);
    return true;
}

void SdlRenderer::drawMesh(const Texture& texture, const std::vector<MeshVertex>& vertices,
                           const std::vector<int>& indices) {
    const auto* t = dynamic_cast<const SdlTexture*>(&texture);
    if (t == nullptr || vertices.empty()) {
        return;
    }
    std::vector<SDL_Vertex> verts;
    verts.reserve(vertices.size());
    for (const MeshVertex& mv : vertices) {
        verts.push_back({{mv.position.x, mv.position.y},
                         {mv.color.r, mv.color.g, mv.color.b, mv.color.a},
                         {mv.uv.x, mv.uv.y}});
    }
    SDL_SetTextureColorMod(t->handle(), 255, 255, 255);
    SDL_SetTextureAlphaMod(t->handle(), 255);
    SDL_RenderGeometry(renderer_, t->handle(), verts.data(), int(verts.size()), indices.data(),
                       int(indices.size()));
}

bool SdlRenderer::readPixels(Image& out) {
    const Size s = outputSize();
    Image image(int(s.width), int(s.height));
    if (image.width <= 0 || image.height <= 0) {
        return false;
    }
    if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_RGBA32, image.pixels.data(),
                             image.width * 4) != 0) {
        log(LogLevel::Error, std::string("cannot read the frame: ") + SDL_GetError());
        return false;
    }
    out = std::move(image);
    return true;
}

void SdlRenderer::endFrame() {
    if (!screenshotPath_.empty()) {
        const std::string path = std::move(screenshotPath_);
        screenshotPath_.clear();
        Image frame;
        std::string error;
        if (!readPixels(frame) || !savePng(frame, path, &error)) {
            log(LogLevel::Error, "cannot save the screenshot " + path + ": " + error);
        }
    }
    if (presents_) {
        SDL_RenderPresent(renderer_);
    } else {
        SDL_RenderFlush(renderer_);
    }
}

} // namespace stage::sdl
