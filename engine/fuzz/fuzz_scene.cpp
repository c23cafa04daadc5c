// Fuzz target: one scene description, then every count query the page player
// makes on it, then its release.

#include "sparse.h"

#include <cstddef>
#include <cstdint>
#include <log4cplus/initializer.h>
#include <log4cplus/logger.h>
#include <log4cplus/nullappender.h>
#include <string>

namespace {

SParser& parser() {
    static SParser* instance = [] {
        // Reports still go through the logger, just nowhere.
        log4cplus::initialize();
        log4cplus::Logger::getInstance("ENGINE_LOGGER")
            .addAppender(log4cplus::SharedAppenderPtr(new log4cplus::NullAppender));
        auto* p = new SParser;
        p->setReportListener([](const std::string& text) { (void)text.size(); });
        return p;
    }();
    return *instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    SParser& p = parser();
    SScene* scene = p.sceneFromText(text.c_str());
    if (!scene) {
        // A failed page leaves nothing alive.
        if (p.liveScenes() != 0)
            __builtin_trap();
        return 0;
    }

    const int buttons = p.arraySize(scene, ARRAY_BUTTON, nullptr);
    const int sprites = p.arraySize(scene, ARRAY_SPRITE, nullptr);
    volatile std::size_t sink = 0;
    for (int b = 0; b < buttons; ++b)
        sink = sink + std::string(scene->buttons[b].button_name).size() +
               std::string(scene->buttons[b].button_picture_file).size();
    for (int s = 0; s < sprites; ++s) {
        const SSprite& sprite = scene->sprites[s];
        for (int type = ARRAY_DEFAULT_ACTION; type <= ARRAY_HOTSPOT_ACTION; ++type) {
            p.arraySize(scene, type, sprite.sprite_name);
            const int n = p.actionSizeAt(scene, type, s);
            const SAction* actions = type == ARRAY_DEFAULT_ACTION   ? sprite.default_action
                                     : type == ARRAY_HOTSPOT_ACTION ? sprite.hotspot_action
                                                                    : sprite.click_action;
            if ((n > 0) != (actions != nullptr))
                __builtin_trap();
            for (int a = 0; a < n; ++a)
                sink = sink + std::string(actions[a].action_type).size() +
                       std::string(actions[a].texture_picture_file).size() +
                       std::string(actions[a].action_music_file).size() +
                       std::string(actions[a].scene_change).size();
        }
        sink = sink + static_cast<std::size_t>(sParse_truncToInt(sprite.sprite_ethreal_rate));
    }
    p.arraySize(scene, ARRAY_HOTSPOT_ACTION, "no such sprite");
    p.arraySize(scene, 9, nullptr);
    sink = sink + static_cast<std::size_t>(sParse_toInt(scene->scene_music_type)) +
           static_cast<std::size_t>(sParse_truncToInt(scene->scene_enter_delay_time / 1000));
    p.release(scene, 1);
    if (p.liveScenes() != 0)
        __builtin_trap();
    return 0;
}
