#include "pagestage.h"

#include "enginelog.h"

#include "stage/director.h"
#include "stage/log.h"

#include <log4cplus/loggingmacros.h>

namespace pagestage {

namespace {

stage::Director* director() {
    return stage::Director::current();
}

stage::AudioEngine* audio() {
    stage::Director* d = director();
    return d != nullptr ? &d->audio() : nullptr;
}

} // namespace

stage::Size winSize() {
    stage::Director* d = director();
    return d != nullptr ? d->winSize() : stage::Size{};
}

stage::Point convertToGL(stage::Point viewPoint) {
    stage::Director* d = director();
    return d != nullptr ? d->convertToGL(viewPoint) : viewPoint;
}

void setDepthTest(bool on) {
    if (stage::Director* d = director()) {
        d->setDepthTest(on);
    }
}

void replaceScene(const stage::ScenePtr& scene) {
    if (stage::Director* d = director()) {
        d->replaceScene(scene);
    }
}

stage::ScenePtr runningScene() {
    stage::Director* d = director();
    return d != nullptr ? d->runningScene() : nullptr;
}

void end() {
    if (stage::Director* d = director()) {
        d->end();
    }
}

stage::TouchDispatcher* touchDispatcher() {
    stage::Director* d = director();
    return d != nullptr ? &d->touchDispatcher() : nullptr;
}

stage::TexturePtr addImage(const std::string& path) {
    stage::Director* d = director();
    return d != nullptr ? d->textureCache().addImage(path) : nullptr;
}

bool preloadMusic(const std::string& path) {
    stage::AudioEngine* a = audio();
    return a != nullptr && a->preloadMusic(path);
}

bool playMusic(const std::string& path, bool loop) {
    stage::AudioEngine* a = audio();
    return a != nullptr && a->playMusic(path, loop);
}

void stopMusic() {
    if (stage::AudioEngine* a = audio()) {
        a->stopMusic();
    }
}

void pauseMusic() {
    if (stage::AudioEngine* a = audio()) {
        a->pauseMusic();
    }
}

void resumeMusic() {
    if (stage::AudioEngine* a = audio()) {
        a->resumeMusic();
    }
}

bool preloadEffect(const std::string& path) {
    stage::AudioEngine* a = audio();
    return a != nullptr && a->preloadEffect(path);
}

unsigned playEffect(const std::string& path) {
    stage::AudioEngine* a = audio();
    return a != nullptr ? a->playEffect(path, false) : 0;
}

void stopAllEffects() {
    if (stage::AudioEngine* a = audio()) {
        a->stopAllEffects();
    }
}

void routeStageLogToEngineLog() {
    stage::setLogSink([](stage::LogLevel level, const std::string& message) {
        const log4cplus::Logger logger = enginelog::logger();
        switch (level) {
        case stage::LogLevel::Debug:
            LOG4CPLUS_DEBUG(logger, "stage: " << message);
            break;
        case stage::LogLevel::Info:
            LOG4CPLUS_INFO(logger, "stage: " << message);
            break;
        case stage::LogLevel::Warning:
            LOG4CPLUS_WARN(logger, "stage: " << message);
            break;
        case stage::LogLevel::Error:
            LOG4CPLUS_ERROR(logger, "stage: " << message);
            break;
        }
    });
}

} // namespace pagestage
