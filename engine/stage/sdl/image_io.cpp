#include "stage/sdl/image_io.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>

namespace stage::sdl {

static_assert(sizeof(Color4B) == 4, "pixels are copied as RGBA bytes");

bool loadImage(const std::string& path, Image& out, std::string* error) {
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (loaded == nullptr) {
        if (error != nullptr) {
            *error = IMG_GetError();
        }
        return false;
    }
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    if (rgba == nullptr) {
        if (error != nullptr) {
            *error = SDL_GetError();
        }
        return false;
    }
    out = Image(rgba->w, rgba->h);
    SDL_LockSurface(rgba);
    for (int y = 0; y < rgba->h; ++y) {
        std::memcpy(&out.at(0, y),
                    static_cast<const unsigned char*>(rgba->pixels) + std::ptrdiff_t(y) * rgba->pitch,
                    std::size_t(rgba->w) * 4);
    }
    SDL_UnlockSurface(rgba);
    SDL_FreeSurface(rgba);
    return true;
}

bool savePng(const Image& image, const std::string& path, std::string* error) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != std::size_t(image.width) * std::size_t(image.height)) {
        if (error != nullptr) {
            *error = "empty or inconsistent image";
        }
        return false;
    }
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<Color4B*>(image.pixels.data()), image.width,
                                           image.height, 32, image.width * 4, SDL_PIXELFORMAT_RGBA32);
    if (surface == nullptr) {
        if (error != nullptr) {
            *error = SDL_GetError();
        }
        return false;
    }
    const bool ok = IMG_SavePNG(surface, path.c_str()) == 0;
    if (!ok && error != nullptr) {
        *error = IMG_GetError();
    }
    SDL_FreeSurface(surface);
    return ok;
}

} // namespace stage::sdl
