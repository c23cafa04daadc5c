// Pictures are measured before they are decoded: the size each format's header declares, and the texture
// cache refusing pictures that are too large (or whose size cannot be read) like missing files, before
// any pixel is decoded. The huge pictures here are headers only: decoding them would take gigabytes.
#include "test_support.h"

#include "stage/picture_header.h"

#include <fstream>

using namespace stage;
using namespace stagetest;

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16be(Bytes& b, std::uint32_t v) {
    b.push_back(std::uint8_t(v >> 8));
    b.push_back(std::uint8_t(v));
}
void put32be(Bytes& b, std::uint32_t v) {
    put16be(b, v >> 16);
    put16be(b, v & 0xFFFF);
}
void put16le(Bytes& b, std::uint32_t v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
void put32le(Bytes& b, std::uint32_t v) {
    put16le(b, v & 0xFFFF);
    put16le(b, v >> 16);
}

std::string write(const TempDir& dir, const std::string& name, const Bytes& bytes) {
    const std::string path = dir.file(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

// A PNG signature and IHDR chunk declaring w x h, then a little of an image data chunk: what a decoding
// bomb starts with.
Bytes pngHeader(std::uint32_t w, std::uint32_t h) {
    Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    put32be(b, 13);
    b.insert(b.end(), {'I', 'H', 'D', 'R'});
    put32be(b, w);
    put32be(b, h);
    b.insert(b.end(), {8, 6, 0, 0, 0});
    put32be(b, 0); // CRC, not checked here
    put32be(b, 16);
    b.insert(b.end(), {'I', 'D', 'A', 'T'});
    b.insert(b.end(), 16, 0x78);
    return b;
}

// A JPEG with an APP0 segment, a long APP1 segment (as cameras write) and then a frame header of the
// given kind.
Bytes jpegHeader(std::uint32_t w, std::uint32_t h, std::uint8_t frameMarker = 0xC0) {
    Bytes b = {0xFF, 0xD8, 0xFF, 0xE0};
    put16be(b, 16);
    b.insert(b.end(), {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    b.insert(b.end(), {0xFF, 0xE1});
    put16be(b, 2 + 3000);
    b.insert(b.end(), 3000, 0xC0);                // bytes that look like markers must be skipped, not read
    b.insert(b.end(), {0xFF, 0xFF, frameMarker}); // with a fill byte
    put16be(b, 17);
    b.push_back(8);
    put16be(b, h);
    put16be(b, w);
    b.insert(b.end(), {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
    b.insert(b.end(), {0xFF, 0xDA, 0, 2});
    return b;
}

Bytes gifHeader(std::uint32_t screenW, std::uint32_t screenH, std::uint32_t imageW, std::uint32_t imageH) {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    put16le(b, screenW);
    put16le(b, screenH);
    b.insert(b.end(), {0x81, 0, 0});                   // global colour table of 4 entries
    b.insert(b.end(), 12, 0x2C);                       // colour bytes that look like an image descriptor
    b.insert(b.end(), {0x21, 0xF9, 4, 0, 0, 0, 0, 0}); // graphic control extension
    b.push_back(0x2C);
    put16le(b, 0);
    put16le(b, 0);
    put16le(b, imageW);
    put16le(b, imageH);
    b.push_back(0);
    return b;
}

Bytes bmpHeader(std::int32_t w, std::int32_t h) {
    Bytes b = {'B', 'M'};
    put32le(b, 0);
    put32le(b, 0);
    put32le(b, 54);
    put32le(b, 40);
    put32le(b, std::uint32_t(w));
    put32le(b, std::uint32_t(h));
    put16le(b, 1);
    put16le(b, 32);
    b.insert(b.end(), 24, 0);
    return b;
}

Bytes webpHeader(const char* kind) {
    Bytes b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'};
    b.insert(b.end(), kind, kind + 4);
    put32le(b, 20);
    const std::string k = kind;
    if (k == "VP8 ") {
        b.insert(b.end(), {0, 0, 0, 0x9D, 0x01, 0x2A});
        put16le(b, 300);
        put16le(b, 200);
    } else if (k == "VP8L") {
        b.push_back(0x2F);
        put32le(b, (300 - 1) | (200 - 1) << 14);
    } else {
        put32le(b, 0);
        b.insert(b.end(), {std::uint8_t(299 & 0xFF), std::uint8_t(299 >> 8), 0});
        b.insert(b.end(), {std::uint8_t(199), 0, 0});
    }
    b.resize(40, 0);
    return b;
}

PictureHeader header(const std::string& path, bool expectOk = true) {
    PictureHeader h;
    std::string error;
    EXPECT_EQ(readPictureHeader(path, h, error), expectOk) << path << ": " << error;
    if (!expectOk) {
        EXPECT_FALSE(error.empty());
    }
    return h;
}

} // namespace

TEST(PictureHeaderTest, EachFormatGivesTheSizeItsHeaderDeclares) {
    TempDir dir;
    // A real picture, as the stage writes it.
    PictureHeader h = header(writePicture(dir, "real.png", 37, 21, {1, 2, 3, 255}));
    EXPECT_EQ(h.format, "PNG");
    EXPECT_EQ(h.width, 37u);
    EXPECT_EQ(h.height, 21u);

    h = header(write(dir, "bomb.png", pngHeader(40000, 40000)));
    EXPECT_EQ(h.width, 40000u);
    EXPECT_EQ(h.height, 40000u);

    h = header(write(dir, "camera.jpg", jpegHeader(4000, 3000)));
    EXPECT_EQ(h.format, "JPEG");
    EXPECT_EQ(h.width, 4000u);
    EXPECT_EQ(h.height, 3000u);
    h = header(write(dir, "progressive.jpg", jpegHeader(640, 480, 0xC2)));
    EXPECT_EQ(h.width, 640u);
    EXPECT_EQ(h.height, 480u);

    // The larger of the screen and the first image counts.
    h = header(write(dir, "anim.gif", gifHeader(100, 50, 60, 900)));
    EXPECT_EQ(h.format, "GIF");
    EXPECT_EQ(h.width, 100u);
    EXPECT_EQ(h.height, 900u);

    // Rows from the top are written with a negative height.
    h = header(write(dir, "top-down.bmp", bmpHeader(640, -480)));
    EXPECT_EQ(h.format, "BMP");
    EXPECT_EQ(h.width, 640u);
    EXPECT_EQ(h.height, 480u);

    for (const char* kind : {"VP8 ", "VP8L", "VP8X"}) {
        h = header(write(dir, "p.webp", webpHeader(kind)));
        EXPECT_EQ(h.format, "WebP") << kind;
        EXPECT_EQ(h.width, 300u) << kind;
        EXPECT_EQ(h.height, 200u) << kind;
    }
}

TEST(PictureHeaderTest, HeadersThatCannotBeReadAreRefused) {
    TempDir dir;
    header(dir.file("missing.png"), false);
    header(write(dir, "empty.png", {}), false);
    Bytes cut = pngHeader(64, 64);
    cut.resize(20);
    header(write(dir, "cut.png", cut), false);
    header(write(dir, "zero.png", pngHeader(0, 64)), false);
    Bytes noFrame = jpegHeader(64, 64);
    noFrame.resize(24 + 3000); // ends inside the long segment
    header(write(dir, "cut.jpg", noFrame), false);
    // The height "defined later" (0) is not something the decoder takes.
    header(write(dir, "dnl.jpg", jpegHeader(64, 0)), false);
    // A scan before any frame header.
    header(write(dir, "scan.jpg", {0xFF, 0xD8, 0xFF, 0xDA, 0, 2, 0, 0, 0, 0, 0, 0}), false);
    header(write(dir, "loop.jpg", Bytes{0xFF, 0xD8, 0x12, 0x34, 0, 0, 0, 0, 0, 0, 0, 0}), false);
    header(write(dir, "noimage.gif", {'G', 'I', 'F', '8', '7', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}), false);
    header(write(dir, "bad.bmp", bmpHeader(-5, 10)), false);
    const std::string text = "not a picture at all, just words";
    header(write(dir, "words.png", Bytes(text.begin(), text.end())), false);
    // A format the engine does not measure (a TGA has no signature) is not loaded either.
    Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0x9C, 0x40, 0x9C, 32, 0};
    header(write(dir, "picture.tga", tga), false);
}

class PictureLimitTest : public StageTest {};

TEST_F(PictureLimitTest, TooLargePicturesAreRefusedBeforeDecodingAndNamedInTheLog) {
    reset({1024, 768}, {1024, 768});
    const std::uint64_t budget = director().textureCache().pixelBudget();
    EXPECT_EQ(budget, 8u * 1024 * 768);
    EXPECT_EQ(director().textureCache().maxTextureSize(), TextureCache::kDefaultMaxTextureSize);

    LogCapture log;
    // Headers only: decoding either of these would need gigabytes.
    EXPECT_FALSE(Sprite::create(write(dir_, "bomb.png", pngHeader(40000, 40000))));
    EXPECT_FALSE(Sprite::create(write(dir_, "bomb.jpg", jpegHeader(30000, 30000))));
    // Real pictures that would decode: one a pixel wider than the largest texture, one just over the
    // budget. They are refused all the same.
    const std::string wide =
        writePicture(dir_, "wide.png", TextureCache::kDefaultMaxTextureSize + 1, 1, {10, 20, 30, 255});
    EXPECT_FALSE(Sprite::create(wide));
    const std::string big = writePicture(dir_, "big.png", 2600, 2600, {10, 20, 30, 255});
    ASSERT_GT(2600u * 2600u, budget);
    EXPECT_FALSE(Sprite::create(big));
    // A file whose size cannot be read is a missing picture too.
    EXPECT_FALSE(Sprite::create(write(dir_, "words.png", Bytes(40, 'x'))));
    EXPECT_EQ(director().textureCache().count(), 0u);

    for (const char* name : {"bomb.png", "bomb.jpg", "wide.png", "big.png", "words.png"}) {
        EXPECT_TRUE(log.contains(dir_.file(name))) << name;
    }
    EXPECT_TRUE(log.contains("40000 x 40000"));
    EXPECT_TRUE(log.contains("16385 x 1"));

    // Pictures within the limits load: the widest texture there may be, and the whole budget.
    SpritePtr strip = Sprite::create(
        writePicture(dir_, "strip.png", TextureCache::kDefaultMaxTextureSize, 2, {1, 2, 3, 255}));
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->contentSize(), Size(float(TextureCache::kDefaultMaxTextureSize), 2));
    EXPECT_TRUE(Sprite::create(writePicture(dir_, "budget.png", 1024 * 8, 768, {1, 2, 3, 255})));
}

TEST_F(PictureLimitTest, TheBudgetFollowsTheDesignSizeWithinBounds) {
    reset({1024, 768}, {320, 240});
    EXPECT_EQ(director().textureCache().pixelBudget(), TextureCache::kMinPixelBudget);
    director().setDesignResolutionSize({1920, 1080});
    EXPECT_EQ(director().textureCache().pixelBudget(), 8u * 1920 * 1080);
    director().setDesignResolutionSize({20000, 20000});
    EXPECT_EQ(director().textureCache().pixelBudget(), TextureCache::kMaxPixelBudget);
    EXPECT_EQ(TextureCache::pixelBudgetFor({-5, 10}), TextureCache::kMinPixelBudget);
}
