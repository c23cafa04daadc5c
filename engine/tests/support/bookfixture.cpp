#include "bookfixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace booktest {

namespace {

void addStrings(cJSON* object, std::initializer_list<std::pair<const char*, const char*>> pairs) {
    for (const auto& [key, value] : pairs)
        cJSON_AddStringToObject(object, key, value);
}

cJSON* array(std::initializer_list<cJSON*> items) {
    cJSON* result = cJSON_CreateArray();
    for (cJSON* item : items)
        cJSON_AddItemToArray(result, item);
    return result;
}

} // namespace

cJSON* action(const char* type) {
    cJSON* a = cJSON_CreateObject();
    addStrings(a, {
                      {"action_type", type},
                      {"action_delay_time", "1500"},
                      {"action_repeat_num", "3"},
                      {"action_repeat_num_jump", "4"},
                      {"jump_height", "5.5"},
                      {"texture_num", "6"},
                      {"texture_height", "7"},
                      {"texture_width", "8"},
                      {"texture_picture_file", "strip.png"},
                      {"action_music_file", "boing.mp3"},
                      {"scale_rate", "1.25"},
                      {"toright_delay_time", "300"},
                      {"toright_angle", "15"},
                      {"toleft_delay_time", "400"},
                      {"toleft_angle", "-15"},
                      {"delta_angle", "90"},
                      {"color_red", "11"},
                      {"color_blue", "33"},
                      {"color_green", "22"},
                      {"ctl_pt1", "1,2"},
                      {"ctl_pt2", "3,4"},
                      {"dst_point", "500,600"},
                      {"hotspot_position", "0,0,100,50"},
                      {"unidirectionalMovement", "1"},
                      {"animation_movementBefore_delayTime", "0.5"},
                      {"animation_moving_time", "2.5"},
                      {"toPageNumber", "2"},
                      {"scene_change", "Scene_CCAction_3"},
                  });
    return a;
}

cJSON* sprite(const char* name, std::initializer_list<cJSON*> hotspots,
              std::initializer_list<cJSON*> defaults) {
    cJSON* s = cJSON_CreateObject();
    addStrings(s, {
                      {"sprite_name", name},
                      {"sprite_picture_file", "cat.png"},
                      {"sprite_position", "100,200"},
                      {"sprite_zoom_rate", "1.5"},
                      {"sprite_ethreal_rate", "255"},
                      {"sprite_music_file", "meow.mp3"},
                      {"sprite_action_type", "t"},
                      {"sprite_action_prev", "p"},
                      {"sprite_action_next", "n"},
                  });
    cJSON_AddItemToObject(s, "default_action", array(defaults));
    cJSON_AddItemToObject(s, "hotspot_action", array(hotspots));
    return s;
}

cJSON* button(const char* name, const char* rect) {
    cJSON* b = cJSON_CreateObject();
    addStrings(b, {{"button_name", name}, {"button_picture_file", "next.png"}, {"button_rect", rect}});
    return b;
}

Json scene(std::initializer_list<cJSON*> buttons, std::initializer_list<cJSON*> sprites) {
    cJSON* s = cJSON_CreateObject();
    addStrings(s, {
                      {"scene_name", "page"},
                      {"scene_picture_file", "bg.png"},
                      {"scene_change", "Scene_CCAction_1"},
                      {"scene_enter_delay_time", "1500"},
                      {"scene_auto_changepage_time", "3000"},
                      {"scene_music", "song.mp3"},
                      {"scene_music_type", "0"},
                      {"scene_music_gap_time", "0.25"},
                      {"scene_vedio_file", "clip.mp4"},
                      {"scene_vedio_rect", "1,2,3,4"},
                  });
    cJSON_AddItemToObject(s, "button", array(buttons));
    cJSON_AddItemToObject(s, "sprite", array(sprites));
    Json doc(cJSON_CreateObject());
    cJSON_AddItemToObject(doc.get(), "scene", s);
    return doc;
}

Json gameJson(int pages, const char* width, const char* height) {
    Json doc(cJSON_CreateObject());
    const std::string count = std::to_string(pages);
    addStrings(doc.get(), {{"scene_type", "1"},
                           {"scene_width", width},
                           {"scene_height", height},
                           {"scene_number", count.c_str()}});
    return doc;
}

cJSON* sceneOf(cJSON* doc) {
    return cJSON_GetObjectItem(doc, "scene");
}

void setString(cJSON* object, const char* key, const char* value) {
    if (cJSON_GetObjectItem(object, key))
        cJSON_ReplaceItemInObject(object, key, cJSON_CreateString(value));
    else
        cJSON_AddStringToObject(object, key, value);
}

std::string print(const cJSON* doc) {
    char* text = cJSON_PrintUnformatted(doc);
    std::string result = text ? text : "";
    cJSON_free(text);
    return result;
}

std::string makeTempDir(const char* prefix) {
    std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed for " + pattern);
    return pattern + "/";
}

TempBook::TempBook() : dir_(makeTempDir("tavibook")) {
    fs::create_directories(dir_ + "json");
}

TempBook::~TempBook() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

void TempBook::write(const std::string& relative, const std::string& text) const {
    const fs::path path = fs::path(dir_) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace booktest
