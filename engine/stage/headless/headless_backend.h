// A backend for tests and tools: no window and no sound device. It records every draw of the last frame
// and every sound call, takes input events pushed by the test, and still renders real pixels with SDL's
// software renderer, so frames can be checked or saved as PNG files without a display.
#pragma once

#include "stage/backend.h"

#include <memory>
#include <string>
#include <vector>

namespace stage::headless {

// One draw call of a frame.
struct DrawRecord {
    enum class Kind { Texture, Mesh };
    Kind kind = Kind::Texture;
    std::string texture; // the picture's path; empty for a render target
    bool toRenderTarget = false;
    Rect source;
    Point corners[4]; // window pixels, see Renderer::drawTexture
    Rect bounds;      // the corners' (or the mesh's) bounding box in pixels
    Color4B color;
    std::size_t vertexCount = 0;
};

// One call into the audio engine.
struct SoundRecord {
    enum class Kind {
        PreloadMusic,
        PlayMusic,
        StopMusic,
        PauseMusic,
        ResumeMusic,
        PreloadEffect,
        PlayEffect,
        StopEffect,
        StopAllEffects,
        UnloadEffect
    };
    Kind kind;
    std::string path;
    bool loop = false;
    bool ok = true; // false when the file could not be used
};

class RecordingAudio : public AudioEngine {
public:
    bool preloadMusic(const std::string& path) override;
    bool playMusic(const std::string& path, bool loop) override;
    void stopMusic(bool releaseData) override;
    void pauseMusic() override;
    void resumeMusic() override;
    bool isMusicPlaying() const override { return musicPlaying_ && !musicPaused_; }
    bool preloadEffect(const std::string& path) override;
    unsigned playEffect(const std::string& path, bool loop) override;
    void stopEffect(unsigned id) override;
    void stopAllEffects() override;
    void unloadEffect(const std::string& path) override;

    const std::vector<SoundRecord>& records() const { return records_; }
    void clearRecords() { records_.clear(); }
    // How many times this file was started as music / as an effect.
    int musicPlays(const std::string& path) const;
    int effectPlays(const std::string& path) const;
    const std::string& currentMusic() const { return currentMusic_; }
    bool currentMusicLoops() const { return musicLoops_; }
    std::size_t playingEffects() const { return playing_.size(); }

private:
    std::vector<SoundRecord> records_;
    std::string currentMusic_;
    bool musicPlaying_ = false;
    bool musicPaused_ = false;
    bool musicLoops_ = false;
    std::vector<unsigned> playing_;
    unsigned nextId_ = 1;
};

class HeadlessBackend : public Backend {
public:
    explicit HeadlessBackend(Size windowPixels = {1024, 768});
    ~HeadlessBackend() override;

    Renderer& renderer() override;
    AudioEngine& audio() override { return audio_; }
    Size windowSize() const override { return size_; }
    void pollEvents(std::vector<InputEvent>& out) override;
    bool requestScreenshot(const std::string& pngPath) override;

    // --- for tests ---
    void pushEvent(const InputEvent& event) { events_.push_back(event); }
    // Draws of the last finished frame (or of the frame in progress). A frame drawn only where it changed
    // (Director::setDrawOnlyChanges) records only those draws.
    const std::vector<DrawRecord>& draws() const;
    // The texture paths drawn in the last frame, in order (render-target draws left out).
    std::vector<std::string> drawnTextures() const;
    int framesDrawn() const;
    RecordingAudio& recordedAudio() { return audio_; }
    // The last frame's pixels.
    Image frame();
    bool saveFrame(const std::string& pngPath);

    class Recorder;

private:
    Size size_;
    std::unique_ptr<Recorder> recorder_;
    RecordingAudio audio_;
    std::vector<InputEvent> events_;
};

} // namespace stage::headless
