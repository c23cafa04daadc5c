#include "stage/sdl/sdl_renderer.h"

#include "stage/log.h"
#include "stage/sdl/image_io.h"
#include "stage/sdl/software_draw.h"

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

// For each band of Texture::kOutlineRows rows, the columns that hold its texels that are not clear.
Texture::Outline outlineOf(SDL_Surface* argb) {
    Texture::Outline outline;
    SDL_LockSurface(argb);
    for (int top = 0; top < argb->h; top += Texture::kOutlineRows) {
        int first = argb->w;
        int last = 0;
        for (int y = top; y < std::min(argb->h, top + Texture::kOutlineRows); ++y) {
            const auto* row =
                reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(argb->pixels) + y * argb->pitch);
            for (int x = 0; x < first; ++x) {
                if ((row[x] >> 24) != 0) {
                    first = x;
                    break;
                }
            }
            for (int x = argb->w; x > std::max(last, first); --x) {
                if ((row[x - 1] >> 24) != 0) {
                    last = x;
                    break;
                }
            }
        }
        outline.emplace_back(std::min(first, last), last);
    }
    SDL_UnlockSurface(argb);
    return outline;
}

// For each band of Texture::kOutlineRows rows, the widest run of columns where the whole band is opaque.
Texture::Outline solidOf(SDL_Surface* argb) {
    Texture::Outline solid;
    std::vector<unsigned char> opaque(std::size_t(argb->w));
    SDL_LockSurface(argb);
    for (int top = 0; top < argb->h; top += Texture::kOutlineRows) {
        std::fill(opaque.begin(), opaque.end(), 1);
        for (int y = top; y < std::min(argb->h, top + Texture::kOutlineRows); ++y) {
            const auto* row =
                reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(argb->pixels) + y * argb->pitch);
            for (int x = 0; x < argb->w; ++x) {
                opaque[std::size_t(x)] &= (row[x] >> 24) == 0xFF ? 1 : 0;
            }
        }
        std::pair<int, int> widest{0, 0};
        for (int x = 0; x < argb->w;) {
            if (opaque[std::size_t(x)] == 0) {
                ++x;
                continue;
            }
            const int first = x;
            while (x < argb->w && opaque[std::size_t(x)] != 0) {
                ++x;
            }
            if (x - first > widest.second - widest.first) {
                widest = {first, x};
            }
        }
        solid.push_back(widest);
    }
    SDL_UnlockSurface(argb);
    return solid;
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
    : renderer_(renderer), direct_(drawableDirectly(directSurface) ? directSurface : nullptr),
      alive_(std::make_shared<int>(0)) {
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
}

SdlRenderer::~SdlRenderer() = default;

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
    Texture::Outline outline = outlineOf(converted);
    Texture::Outline solid = solidOf(converted);
    if (texture == nullptr) {
        error = SDL_GetError();
        SDL_FreeSurface(converted);
        return nullptr;
    }
    if (direct_ == nullptr && !directSource_) {
        SDL_FreeSurface(converted);
        converted = nullptr;
    } else {
        premultiply(converted);
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    auto result = std::make_shared<SdlTexture>(texture, size, path, alive_, opaque, converted);
    result->setOutline(std::move(outline));
    result->setSolid(std::move(solid));
    return result;
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
        SDL_Surface* surface = directSource_();
        direct_ = drawableDirectly(surface) ? surface : nullptr;
    }
}

void SdlRenderer::clear(Color4B color) {
    SDL_SetRenderDrawColor(renderer_, color.r, color.g, color.b, color.a);
    SDL_RenderClear(renderer_);
}

void SdlRenderer::fillRect(const Rect& rect, Color4B color) {
    const SDL_Rect r{int(std::lround(rect.origin.x)), int(std::lround(rect.origin.y)),
                     int(std::lround(rect.size.width)), int(std::lround(rect.size.height))};
    if (direct_ != nullptr && !onTarget_) {
        // What SDL's clear does to the surface, within the clip.
        SDL_RenderFlush(renderer_);
        SDL_SetClipRect(direct_, hasScreenClip_ ? &screenClip_ : nullptr);
        SDL_FillRect(direct_, &r, SDL_MapRGBA(direct_->format, color.r, color.g, color.b, color.a));
        return;
    }
    SDL_SetRenderDrawColor(renderer_, color.r, color.g, color.b, color.a);
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
    SDL_RenderFillRect(renderer_, &r);
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
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
    if (direct_ != nullptr && !onTarget_ && t->pixels() != nullptr) {
        drawDirect(*t, source, corners, color);
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

void SdlRenderer::drawDirect(const SdlTexture& texture, const Rect& source, const Point (&corners)[4],
                             Color4B color) {
    SDL_Surface* pixels = texture.pixels();
    const SDL_Rect src{int(std::lround(source.origin.x)), int(std::lround(source.origin.y)),
                       int(std::lround(source.size.width)), int(std::lround(source.size.height))};
    const Point u = corners[1] - corners[0]; // along the picture's bottom edge
    const Point v = corners[3] - corners[0]; // up the picture's left edge (up is -y in pixels)
    const float w = std::hypot(u.x, u.y);
    const float h = std::hypot(v.x, v.y);
    if (w < 1e-3f || h < 1e-3f || src.w <= 0 || src.h <= 0) {
        return;
    }
    // Whatever the renderer has queued (a clear) comes first.
    SDL_RenderFlush(renderer_);
    SDL_SetClipRect(direct_, hasScreenClip_ ? &screenClip_ : nullptr);
    const bool inside = src.x >= 0 && src.y >= 0 && src.x + src.w <= pixels->w && src.y + src.h <= pixels->h;
    PixelBox to;
    if (!inside || !uprightPixels(corners, to)) {
        drawTransformed(pixels, src, corners, color, direct_);
        return;
    }
    if (to.x1 <= to.x0 || to.y1 <= to.y0) {
        return;
    }
    drawUpright(pixels, src, direct_, {to.x0, to.y0, to.x1 - to.x0, to.y1 - to.y0}, color, texture.opaque());
}

bool SdlRenderer::placesUprightOnWholePixels() const {
    // Then every picture goes through drawDirect.
    return direct_ != nullptr && !onTarget_;
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

void SdlRenderer::saveRequestedScreenshot() {
    if (screenshotPath_.empty()) {
        return;
    }
    const std::string path = std::move(screenshotPath_);
    screenshotPath_.clear();
    Image frame;
    std::string error;
    if (!readPixels(frame) || !savePng(frame, path, &error)) {
        log(LogLevel::Error, "cannot save the screenshot " + path + ": " + error);
    }
}

void SdlRenderer::rememberShownSurface() {
    shownSurface_ = directSource_ && presents_ ? direct_ : nullptr;
    shownWidth_ = shownSurface_ != nullptr ? shownSurface_->w : 0;
    shownHeight_ = shownSurface_ != nullptr ? shownSurface_->h : 0;
}

void SdlRenderer::endFrame() {
    saveRequestedScreenshot();
    if (presents_) {
        SDL_RenderPresent(renderer_);
    } else {
        SDL_RenderFlush(renderer_);
    }
    rememberShownSurface();
}

bool SdlRenderer::keepsFrame() const {
    if (!directSource_) {
        // An off-screen surface keeps what was drawn on it.
        return direct_ != nullptr && !presents_;
    }
    SDL_Surface* surface = directSource_();
    return surface != nullptr && surface == shownSurface_ && surface->w == shownWidth_ &&
           surface->h == shownHeight_;
}

void SdlRenderer::endPartialFrame(const std::vector<Rect>& changed) {
    SDL_Window* window = presents_ && directSource_ ? SDL_RenderGetWindow(renderer_) : nullptr;
    if (window == nullptr) {
        endFrame();
        return;
    }
    saveRequestedScreenshot();
    SDL_RenderFlush(renderer_);
    updateRects_.clear();
    for (const Rect& r : changed) {
        updateRects_.push_back({int(std::lround(r.origin.x)), int(std::lround(r.origin.y)),
                                int(std::lround(r.size.width)), int(std::lround(r.size.height))});
    }
    if (!updateRects_.empty() &&
        SDL_UpdateWindowSurfaceRects(window, updateRects_.data(), int(updateRects_.size())) != 0) {
        log(LogLevel::Warning, std::string("cannot show part of the window, showing all: ") + SDL_GetError());
        SDL_RenderPresent(renderer_);
    }
    rememberShownSurface();
}

} // namespace stage::sdl
