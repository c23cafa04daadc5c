#include "stage/picture_header.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace stage {

namespace {

// Walking the segments of a JPEG or the blocks of a GIF stops after this many: a real header is reached
// long before, a hostile file must not keep us reading.
constexpr int kMaxSegments = 4096;

class Reader {
public:
    explicit Reader(const std::string& path) : in_(path, std::ios::binary) {}
    bool opened() const { return in_.is_open(); }

    bool read(void* into, std::size_t n) {
        in_.read(static_cast<char*>(into), std::streamsize(n));
        return std::size_t(in_.gcount()) == n;
    }
    bool byte(std::uint8_t& b) { return read(&b, 1); }
    bool skip(std::uint32_t n) {
        in_.seekg(std::streamoff(n), std::ios::cur);
        return bool(in_);
    }
    bool be16(std::uint32_t& v) {
        std::uint8_t b[2];
        if (!read(b, 2)) {
            return false;
        }
        v = std::uint32_t(b[0]) << 8 | b[1];
        return true;
    }
    bool le16(std::uint32_t& v) {
        std::uint8_t b[2];
        if (!read(b, 2)) {
            return false;
        }
        v = std::uint32_t(b[1]) << 8 | b[0];
        return true;
    }

private:
    std::ifstream in_;
};

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}
std::uint32_t le24(const std::uint8_t* p) {
    return std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}
std::uint32_t le16(const std::uint8_t* p) {
    return std::uint32_t(p[1]) << 8 | p[0];
}

bool fail(std::string& error, const char* why) {
    error = why;
    return false;
}

bool readPng(Reader& in, PictureHeader& out, std::string& error) {
    // Signature (8), then the first chunk, which must be IHDR: length 13, type, width, height.
    std::uint8_t h[24];
    if (!in.read(h, sizeof h) || be32(h + 8) != 13 || std::memcmp(h + 12, "IHDR", 4) != 0) {
        return fail(error, "PNG without its IHDR header");
    }
    out.format = "PNG";
    out.width = be32(h + 16);
    out.height = be32(h + 20);
    return true;
}

bool isFrameMarker(std::uint8_t m) {
    // SOF0 ... SOF15, except DHT (C4), JPG (C8) and DAC (CC), which share the range.
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

bool readJpeg(Reader& in, PictureHeader& out, std::string& error) {
    in.skip(2); // SOI
    for (int segments = 0; segments < kMaxSegments; ++segments) {
        std::uint8_t b = 0;
        if (!in.byte(b) || b != 0xFF) {
            return fail(error, "JPEG segments out of step");
        }
        std::uint8_t marker = 0xFF;
        while (marker == 0xFF) { // fill bytes
            if (!in.byte(marker)) {
                return fail(error, "JPEG cut short");
            }
        }
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) {
            continue; // markers without a length
        }
        if (marker == 0xD9 || marker == 0xDA) {
            return fail(error, "JPEG without a frame header");
        }
        std::uint32_t length = 0;
        if (!in.be16(length) || length < 2) {
            return fail(error, "JPEG segment with a bad length");
        }
        if (isFrameMarker(marker)) {
            std::uint8_t precision = 0;
            std::uint32_t height = 0;
            std::uint32_t width = 0;
            if (length < 8 || !in.byte(precision) || !in.be16(height) || !in.be16(width)) {
                return fail(error, "JPEG frame header cut short");
            }
            out.format = "JPEG";
            out.width = width;
            out.height = height; // 0 would mean "given later", which the decoder does not take
            return true;
        }
        if (!in.skip(length - 2)) {
            return fail(error, "JPEG cut short");
        }
    }
    return fail(error, "JPEG with too many segments before its frame header");
}

bool skipGifSubBlocks(Reader& in) {
    for (int blocks = 0; blocks < kMaxSegments * 64; ++blocks) {
        std::uint8_t size = 0;
        if (!in.byte(size)) {
            return false;
        }
        if (size == 0) {
            return true;
        }
        if (!in.skip(size)) {
            return false;
        }
    }
    return false;
}

bool readGif(Reader& in, PictureHeader& out, std::string& error) {
    std::uint8_t h[13];
    if (!in.read(h, sizeof h)) {
        return fail(error, "GIF cut short");
    }
    const std::uint32_t screenW = le16(h + 6);
    const std::uint32_t screenH = le16(h + 8);
    if ((h[10] & 0x80) != 0 && !in.skip(3u << ((h[10] & 7) + 1))) {
        return fail(error, "GIF cut short");
    }
    for (int blocks = 0; blocks < kMaxSegments; ++blocks) {
        std::uint8_t introducer = 0;
        if (!in.byte(introducer)) {
            return fail(error, "GIF cut short");
        }
        if (introducer == 0x21) { // extension: label, then sub-blocks
            std::uint8_t label = 0;
            if (!in.byte(label) || !skipGifSubBlocks(in)) {
                return fail(error, "GIF extension cut short");
            }
            continue;
        }
        if (introducer != 0x2C) {
            return fail(error, "GIF without an image");
        }
        std::uint8_t d[8];
        if (!in.read(d, sizeof d)) {
            return fail(error, "GIF image descriptor cut short");
        }
        // The decoder makes a surface of the screen or of the image, whichever it takes; count the larger.
        out.format = "GIF";
        out.width = std::max(screenW, le16(d + 4));
        out.height = std::max(screenH, le16(d + 6));
        return true;
    }
    return fail(error, "GIF with too many blocks before its image");
}

bool readBmp(Reader& in, PictureHeader& out, std::string& error) {
    std::uint8_t h[26];
    if (!in.read(h, sizeof h)) {
        return fail(error, "BMP cut short");
    }
    const std::uint32_t infoSize = le32(h + 14);
    out.format = "BMP";
    if (infoSize == 12) {
        out.width = le16(h + 18);
        out.height = le16(h + 20);
        return true;
    }
    if (infoSize < 40) {
        return fail(error, "BMP with an unknown header");
    }
    const auto width = std::int32_t(le32(h + 18));
    const auto height = std::int32_t(le32(h + 22));
    if (width <= 0 || height == 0 || height == INT32_MIN) {
        return fail(error, "BMP with a bad size");
    }
    out.width = std::uint32_t(width);
    out.height = std::uint32_t(height < 0 ? -height : height); // negative: rows from the top
    return true;
}

bool readWebp(Reader& in, PictureHeader& out, std::string& error) {
    std::uint8_t h[30];
    if (!in.read(h, sizeof h)) {
        return fail(error, "WebP cut short");
    }
    out.format = "WebP";
    if (std::memcmp(h + 12, "VP8 ", 4) == 0) {
        if (h[23] != 0x9D || h[24] != 0x01 || h[25] != 0x2A) {
            return fail(error, "WebP (lossy) without its start code");
        }
        out.width = le16(h + 26) & 0x3FFF;
        out.height = le16(h + 28) & 0x3FFF;
        return true;
    }
    if (std::memcmp(h + 12, "VP8L", 4) == 0) {
        if (h[20] != 0x2F) {
            return fail(error, "WebP (lossless) without its signature");
        }
        const std::uint32_t bits = le32(h + 21);
        out.width = (bits & 0x3FFF) + 1;
        out.height = ((bits >> 14) & 0x3FFF) + 1;
        return true;
    }
    if (std::memcmp(h + 12, "VP8X", 4) == 0) {
        out.width = le24(h + 24) + 1;
        out.height = le24(h + 27) + 1;
        return true;
    }
    return fail(error, "WebP of an unknown kind");
}

} // namespace

bool readPictureHeader(const std::string& path, PictureHeader& out, std::string& error) {
    out = PictureHeader{};
    std::array<std::uint8_t, 12> magic{};
    {
        Reader probe(path);
        if (!probe.opened()) {
            return fail(error, "cannot open the file");
        }
        if (!probe.read(magic.data(), magic.size())) {
            return fail(error, "too short for a picture");
        }
    }
    Reader in(path);
    bool ok = false;
    const std::uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (std::memcmp(magic.data(), png, 8) == 0) {
        ok = readPng(in, out, error);
    } else if (magic[0] == 0xFF && magic[1] == 0xD8) {
        ok = readJpeg(in, out, error);
    } else if (std::memcmp(magic.data(), "GIF87a", 6) == 0 || std::memcmp(magic.data(), "GIF89a", 6) == 0) {
        ok = readGif(in, out, error);
    } else if (magic[0] == 'B' && magic[1] == 'M') {
        ok = readBmp(in, out, error);
    } else if (std::memcmp(magic.data(), "RIFF", 4) == 0 && std::memcmp(magic.data() + 8, "WEBP", 4) == 0) {
        ok = readWebp(in, out, error);
    } else {
        return fail(error, "not a PNG, JPEG, GIF, BMP or WebP picture");
    }
    if (ok && (out.width == 0 || out.height == 0)) {
        return fail(error, (out.format + " header declares no pixels").c_str());
    }
    return ok;
}

} // namespace stage
