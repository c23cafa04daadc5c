// An off-screen drawing surface on SDL's software renderer: real pixels with no display, for screenshot
// tests, the headless backend and benchmarks.
#pragma once

#include "stage/backend.h"

#include <memory>
#include <string>

namespace stage::sdl {

class SoftwareCanvas {
public:
    SoftwareCanvas(int width, int height);
    ~SoftwareCanvas();
    SoftwareCanvas(const SoftwareCanvas&) = delete;
    SoftwareCanvas& operator=(const SoftwareCanvas&) = delete;

    // False when the surface could not be made; error() says why. A failed canvas draws nothing.
    bool ok() const;
    const std::string& error() const;

    Renderer& renderer();
    // The pixels drawn so far.
    Image capture();
    bool savePng(const std::string& path);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace stage::sdl
