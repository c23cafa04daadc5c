// The size a picture file declares, read from its header without decoding it. A picture is only decoded
// once its size is known to be reasonable: a small file can declare billions of pixels, and decoding it
// would take all memory (or crash the decoder).
//
// Formats are recognised by their content, as the picture loader does: PNG, JPEG, GIF, BMP and WebP.
// Anything else, and any header that is cut short or inconsistent, cannot be read.
#pragma once

#include <cstdint>
#include <string>

namespace stage {

struct PictureHeader {
    std::string format; // "PNG", "JPEG", "GIF", "BMP", "WebP"
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// False (and why) when the file cannot be opened or its header cannot be read.
bool readPictureHeader(const std::string& path, PictureHeader& out, std::string& error);

} // namespace stage
