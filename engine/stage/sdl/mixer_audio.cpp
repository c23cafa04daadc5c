#include "stage/sdl/mixer_audio.h"

#include "stage/log.h"

namespace stage::sdl {

MixerAudio::MixerAudio() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        log(LogLevel::Warning, std::string("no sound: ") + SDL_GetError());
        return;
    }
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
        log(LogLevel::Warning, std::string("no sound device: ") + Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    Mix_Init(MIX_INIT_OGG | MIX_INIT_MP3);
    Mix_AllocateChannels(32);
    open_ = true;
}

MixerAudio::~MixerAudio() {
    if (!open_) {
        return;
    }
    Mix_HaltMusic();
    Mix_HaltChannel(-1);
    for (auto& [path, m] : music_) {
        Mix_FreeMusic(m);
    }
    for (auto& [path, c] : chunks_) {
        Mix_FreeChunk(c);
    }
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

Mix_Music* MixerAudio::music(const std::string& path) {
    if (!open_) {
        log(LogLevel::Error, "cannot play music " + path + ": no sound device");
        return nullptr;
    }
    auto it = music_.find(path);
    if (it != music_.end()) {
        return it->second;
    }
    Mix_Music* m = Mix_LoadMUS(path.c_str());
    if (m == nullptr) {
        log(LogLevel::Error, "cannot load music " + path + ": " + Mix_GetError());
        return nullptr;
    }
    music_.emplace(path, m);
    return m;
}

bool MixerAudio::preloadMusic(const std::string& path) {
    return music(path) != nullptr;
}

bool MixerAudio::playMusic(const std::string& path, bool loop) {
    Mix_Music* m = music(path);
    if (m == nullptr) {
        return false;
    }
    // Every call restarts from the beginning, the same track included.
    Mix_HaltMusic();
    if (Mix_PlayMusic(m, loop ? -1 : 0) != 0) {
        log(LogLevel::Error, "cannot play music " + path + ": " + Mix_GetError());
        return false;
    }
    currentMusic_ = path;
    return true;
}

void MixerAudio::stopMusic(bool releaseData) {
    if (!open_) {
        return;
    }
    Mix_HaltMusic();
    if (releaseData && !currentMusic_.empty()) {
        auto it = music_.find(currentMusic_);
        if (it != music_.end()) {
            Mix_FreeMusic(it->second);
            music_.erase(it);
        }
        currentMusic_.clear();
    }
}

void MixerAudio::pauseMusic() {
    if (open_) {
        Mix_PauseMusic();
    }
}

void MixerAudio::resumeMusic() {
    if (open_) {
        Mix_ResumeMusic();
    }
}

bool MixerAudio::isMusicPlaying() const {
    return open_ && Mix_PlayingMusic() != 0 && Mix_PausedMusic() == 0;
}

Mix_Chunk* MixerAudio::chunk(const std::string& path) {
    if (!open_) {
        log(LogLevel::Error, "cannot play effect " + path + ": no sound device");
        return nullptr;
    }
    auto it = chunks_.find(path);
    if (it != chunks_.end()) {
        return it->second;
    }
    Mix_Chunk* c = Mix_LoadWAV(path.c_str());
    if (c == nullptr) {
        log(LogLevel::Error, "cannot load effect " + path + ": " + Mix_GetError());
        return nullptr;
    }
    chunks_.emplace(path, c);
    return c;
}

bool MixerAudio::preloadEffect(const std::string& path) {
    return chunk(path) != nullptr;
}

unsigned MixerAudio::playEffect(const std::string& path, bool loop) {
    Mix_Chunk* c = chunk(path);
    if (c == nullptr) {
        return 0;
    }
    int channel = Mix_PlayChannel(-1, c, loop ? -1 : 0);
    if (channel < 0) {
        // Every channel busy: make room rather than drop the sound.
        Mix_AllocateChannels(Mix_AllocateChannels(-1) * 2);
        channel = Mix_PlayChannel(-1, c, loop ? -1 : 0);
    }
    if (channel < 0) {
        log(LogLevel::Error, "cannot play effect " + path + ": " + Mix_GetError());
        return 0;
    }
    for (auto it = channels_.begin(); it != channels_.end();) {
        it = it->second == channel ? channels_.erase(it) : std::next(it);
    }
    const unsigned id = nextId_++;
    if (nextId_ == 0) {
        nextId_ = 1;
    }
    channels_[id] = channel;
    return id;
}

void MixerAudio::stopEffect(unsigned id) {
    auto it = channels_.find(id);
    if (it == channels_.end()) {
        return;
    }
    Mix_HaltChannel(it->second);
    channels_.erase(it);
}

void MixerAudio::stopAllEffects() {
    if (open_) {
        Mix_HaltChannel(-1);
    }
    channels_.clear();
}

void MixerAudio::unloadEffect(const std::string& path) {
    auto it = chunks_.find(path);
    if (it == chunks_.end()) {
        return;
    }
    Mix_FreeChunk(it->second); // halts the channels still playing it
    chunks_.erase(it);
}

} // namespace stage::sdl
