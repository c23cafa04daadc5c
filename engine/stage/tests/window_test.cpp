// The SDL2 window backend itself, on SDL's dummy video and audio drivers so that it runs without a display
// or a sound card: a real window surface, real decoding, a real mixer.
#include "test_support.h"

#include "stage/sdl/image_io.h"
#include "stage/sdl/window_backend.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>

using namespace stage;
using namespace stagetest;

namespace {

// A short mono 8-bit WAV file of a square wave.
std::string writeWav(const TempDir& dir, const std::string& name) {
    const std::string path = dir.file(name);
    const std::uint32_t samples = 4000;
    std::ofstream out(path, std::ios::binary);
    const auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    const auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + samples);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);    // PCM
    u16(1);    // mono
    u32(8000); // samples a second
    u32(8000); // bytes a second
    u16(1);
    u16(8);
    out.write("data", 4);
    u32(samples);
    for (std::uint32_t i = 0; i < samples; ++i) {
        out.put(char((i / 10) % 2 ? 200 : 56));
    }
    return path;
}

} // namespace

TEST(WindowBackend, DrawsIntoAWindowTakesScreenshotsAndPlaysSound) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TempDir dir;
    sdl::WindowBackend::Options options;
    options.fullscreen = false;
    options.width = 320;
    options.height = 240;
    options.software = true;
    std::string error;
    auto backend = sdl::WindowBackend::create(options, error);
    ASSERT_TRUE(backend) << error;
    EXPECT_EQ(backend->windowSize(), Size(320, 240));
    {
        Director director(*backend);
        director.setDesignResolutionSize({160, 240}); // bars left and right
        ScenePtr scene = Scene::create();
        SpritePtr sprite = Sprite::create(writePicture(dir, "red.png", 160, 240, {255, 0, 0, 255}));
        ASSERT_TRUE(sprite);
        sprite->setAnchorPoint({0, 0});
        scene->addChild(sprite);
        director.runWithScene(scene);
        director.step(kFrame);
        const std::string shot = dir.file("shot.png");
        ASSERT_TRUE(backend->requestScreenshot(shot));
        director.step(kFrame);
        Image frame;
        ASSERT_TRUE(sdl::loadImage(shot, frame, &error)) << error;
        EXPECT_EQ(frame.at(160, 120), (Color4B{255, 0, 0, 255}));
        EXPECT_EQ(frame.at(20, 120), (Color4B{0, 0, 0, 255}));

        const std::string tune = writeWav(dir, "tune.wav");
        AudioEngine& audio = director.audio();
        EXPECT_TRUE(audio.playMusic(tune, true));
        EXPECT_TRUE(audio.isMusicPlaying());
        audio.pauseMusic();
        EXPECT_FALSE(audio.isMusicPlaying());
        audio.resumeMusic();
        EXPECT_TRUE(audio.isMusicPlaying());
        const unsigned a = audio.playEffect(tune);
        const unsigned b = audio.playEffect(tune);
        EXPECT_NE(a, 0u);
        EXPECT_NE(a, b);
        audio.stopAllEffects();
        audio.stopMusic();
        EXPECT_FALSE(audio.isMusicPlaying());
        EXPECT_FALSE(audio.playMusic(dir.file("missing.ogg"), false));
        EXPECT_EQ(audio.playEffect(dir.file("missing.wav")), 0u);

        std::vector<InputEvent> events;
        backend->pollEvents(events); // nothing to report, and no trouble doing so
        director.end();
        director.step(kFrame);
        EXPECT_TRUE(director.hasEnded());
    }
}
