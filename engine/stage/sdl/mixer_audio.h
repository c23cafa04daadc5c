// The audio engine on SDL2_mixer. Internal to stage/sdl/.
#pragma once

#include "stage/backend.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <map>
#include <string>

namespace stage::sdl {

class MixerAudio : public AudioEngine {
public:
    // Opens the sound device. Without one every call reports failure and the program runs on silently.
    MixerAudio();
    ~MixerAudio() override;
    MixerAudio(const MixerAudio&) = delete;
    MixerAudio& operator=(const MixerAudio&) = delete;
    bool hasDevice() const { return open_; }

    bool preloadMusic(const std::string& path) override;
    bool playMusic(const std::string& path, bool loop) override;
    void stopMusic(bool releaseData) override;
    void pauseMusic() override;
    void resumeMusic() override;
    bool isMusicPlaying() const override;

    bool preloadEffect(const std::string& path) override;
    unsigned playEffect(const std::string& path, bool loop) override;
    void stopEffect(unsigned id) override;
    void stopAllEffects() override;
    void unloadEffect(const std::string& path) override;

private:
    Mix_Music* music(const std::string& path);
    Mix_Chunk* chunk(const std::string& path);

    bool open_ = false;
    std::map<std::string, Mix_Music*> music_;
    std::string currentMusic_;
    std::map<std::string, Mix_Chunk*> chunks_;
    std::map<unsigned, int> channels_; // effect id -> mixer channel
    unsigned nextId_ = 1;
};

} // namespace stage::sdl
