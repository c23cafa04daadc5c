// Picture files to and from plain pixel images (SDL2_image underneath).
#pragma once

#include "stage/backend.h"

#include <string>

namespace stage::sdl {

// Any format SDL2_image reads (PNG, JPEG, BMP, ...). False (with a reason) when it cannot.
bool loadImage(const std::string& path, Image& out, std::string* error = nullptr);
bool savePng(const Image& image, const std::string& path, std::string* error = nullptr);

} // namespace stage::sdl
