#include "sparse.h"

#include "enginelog.h"
#include "jsonarena.h"

#include <algorithm>
#include <cerrno>
#include <cjson/cJSON.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <log4cplus/loggingmacros.h>
#include <sys/stat.h>

using sceneformat::FieldDef;
using sceneformat::FieldKind;
using sceneformat::FieldTable;

namespace {

const char* const kSource = "sparse.cpp";

// Report texts shared by several places. The full-width exclamation mark is part
// of the text.
const char* const kKeyMissing = "Key error or does not exist this object \xEF\xBC\x81";
const char* const kNotCreated = "Memory has been released or has not been created \xEF\xBC\x81";
const char* const kObjectGone = "The object does not exist or has been deleted !";

// The log keeps a bounded line even when a report echoes a long piece of text.
constexpr std::size_t kMaxLoggedText = 300;

std::string logText(const std::string& text) {
    std::string line = text;
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    if (line.size() > kMaxLoggedText)
        line = line.substr(0, kMaxLoggedText) + "...";
    return line;
}

std::string keyText(const char* key, const char* what) {
    return std::string("Key \"") + key + "\" " + what;
}

// For every key of the table, the first member of object whose key matches it
// without regard to case (the JSON library's lookup rule), in one pass over the
// members. Books write the keys in table order, so the next key is tried first.
void findFields(const cJSON* object, const FieldTable& table, const cJSON** found) {
    std::fill(found, found + table.count, nullptr);
    if (!cJSON_IsObject(object))
        return;
    std::size_t expected = 0;
    for (const cJSON* member = object->child; member; member = member->next) {
        if (!member->string)
            continue;
        std::size_t index = table.count;
        if (expected < table.count && (std::strcmp(member->string, table.fields[expected].key) == 0 ||
                                       sceneformat::keyEquals(member->string, table.fields[expected].key))) {
            index = expected;
        } else {
            for (std::size_t i = 0; i < table.count; ++i) {
                if (sceneformat::keyEquals(member->string, table.fields[i].key)) {
                    index = i;
                    break;
                }
            }
        }
        if (index == table.count)
            continue;
        if (!found[index])
            found[index] = member;
        expected = index + 1;
    }
}

void freeActionStrings(SAction& action) {
    std::free(action.action_music_file);
    std::free(action.action_type);
    std::free(action.texture_picture_file);
    std::free(action.scene_change);
}

} // namespace

// The ERROR entry "ERR:<file> <line> <text>", written at the call site so the
// layout's location names the failing line too.
#define SPARSE_LOG_ERR(text)                                                                                 \
    LOG4CPLUS_ERROR(enginelog::logger(), "ERR:" << kSource << ' ' << __LINE__ << ' ' << text)

// A report: the log entry plus the text on standard output and to the listener.
#define SPARSE_REPORT(text)                                                                                  \
    do {                                                                                                     \
        const std::string reportText_(text);                                                                 \
        SPARSE_LOG_ERR(logText(reportText_));                                                                \
        emitReport(reportText_);                                                                             \
    } while (0)

void sParse_freeActions(SAction* actions, int n) {
    if (!actions)
        return;
    for (int i = n - 1; i >= 0; --i)
        freeActionStrings(actions[i]);
    std::free(actions);
}

SParser::~SParser() {
    for (LiveScene& live : live_)
        freeScene(live);
}

SParser& SParser::engine() {
    // Never destroyed: a page released during the engine's own teardown must still
    // find its parser.
    static SParser* parser = new SParser;
    return *parser;
}

void SParser::emitReport(const std::string& text) {
    if (echo_) {
        std::fputs(text.c_str(), stdout);
        if (text.empty() || text.back() != '\n')
            std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    if (listener_)
        listener_(text);
}

void SParser::reportJsonError() {
    const char* at = cJSON_GetErrorPtr();
    SPARSE_REPORT(std::string("Error before: [") + (at ? at : "") + "]\n");
}

char* SParser::readFile(const char* name) {
    if (root_.empty() || !name) {
        SPARSE_REPORT("Root path or sub path is NULL !\n");
        return nullptr;
    }
    const std::string path = root_ + name;
    if (echo_) {
        std::printf("buf11111----------------------------%s\n", path.c_str());
        std::fflush(stdout);
    }
    if (path.size() >= kSParseMaxPath) {
        SPARSE_REPORT("The full path is too long !");
        return nullptr;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        SPARSE_LOG_ERR("cannot open " << path << ": " << std::strerror(errno));
        return nullptr;
    }
    // The size comes from the file system; a folder or a device has none to trust.
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kSParseMaxFileSize) {
        SPARSE_LOG_ERR("not a readable description file: " << path);
        std::fclose(file);
        return nullptr;
    }
    const std::size_t size = static_cast<std::size_t>(info.st_size);
    char* text = static_cast<char*>(std::malloc(size + 1));
    if (!text) {
        SPARSE_LOG_ERR("no memory for " << size << " bytes of " << path);
        std::fclose(file);
        return nullptr;
    }
    const std::size_t got = std::fread(text, 1, size, file);
    std::fclose(file);
    text[got] = '\0';
    return text;
}

GameJson* SParser::initGameJson(const char* root) {
    if (!root) {
        SPARSE_REPORT("The import path is empty !");
        return nullptr;
    }
    root_ = root;
    char* text = readFile("game_json.txt");
    if (!text) {
        SPARSE_REPORT("read file fail or path error !");
        return nullptr;
    }
    GameJson* game = gameJsonFromText(text);
    std::free(text);
    return game;
}

GameJson* SParser::gameJsonFromText(const char* text) {
    if (!text) {
        SPARSE_LOG_ERR("no descriptor text");
        return nullptr;
    }
    auto* game = static_cast<GameJson*>(std::calloc(1, sizeof(GameJson)));
    if (!game) {
        SPARSE_LOG_ERR("Allocation GameJson memory space failed !");
        return nullptr;
    }
    JsonArenaScope arena;
    cJSON* root = cJSON_Parse(text);
    if (!root) {
        reportJsonError();
        std::free(game);
        return nullptr;
    }
    const bool ok = fillFields(root, sceneformat::kGameJsonFields, game);
    cJSON_Delete(root);
    if (!ok) {
        std::free(game);
        return nullptr;
    }
    return game;
}

SScene* SParser::parse(int page) {
    char name[kSParseMaxPath];
    std::snprintf(name, sizeof name, "scene_json%d.txt", page);
    LOG4CPLUS_DEBUG(enginelog::logger(), name);
    char* text = readFile(name);
    if (!text) {
        SPARSE_LOG_ERR("cannot read " << name);
        return nullptr;
    }
    SScene* scene = sceneFromText(text);
    std::free(text);
    return scene;
}

SScene* SParser::sceneFromText(const char* text) {
    if (!text) {
        SPARSE_LOG_ERR("no scene text");
        return nullptr;
    }
    JsonArenaScope arena; // the tree lives only until the records are filled
    cJSON* root = cJSON_Parse(text);
    if (!root) {
        reportJsonError();
        return nullptr;
    }
    LiveScene live;
    live.scene = static_cast<SScene*>(std::calloc(1, sizeof(SScene)));
    if (!live.scene) {
        SPARSE_LOG_ERR("Allocation scene memory space failed !");
        cJSON_Delete(root);
        return nullptr;
    }
    const bool ok = fillScene(root, live);
    cJSON_Delete(root);
    if (!ok) {
        freeScene(live);
        return nullptr;
    }
    live_.push_back(std::move(live));
    return live_.back().scene;
}

const cJSON* SParser::arrayMember(const cJSON* object, const char* key) {
    const cJSON* member = cJSON_GetObjectItem(object, key);
    if (!member) {
        SPARSE_REPORT(kKeyMissing);
        return nullptr;
    }
    if (!cJSON_IsArray(member)) {
        SPARSE_REPORT(keyText(key, "is not an array !"));
        return nullptr;
    }
    return member;
}

bool SParser::fillScene(const cJSON* root, LiveScene& live) {
    SScene* scene = live.scene;
    const cJSON* sceneObject = cJSON_GetObjectItem(root, sceneformat::kSceneKey);
    if (!sceneObject) {
        SPARSE_REPORT(kKeyMissing);
        return false;
    }
    if (!cJSON_IsObject(sceneObject)) {
        SPARSE_REPORT(keyText(sceneformat::kSceneKey, "is not an object !"));
        return false;
    }
    if (!fillFields(sceneObject, sceneformat::kSceneFields, scene))
        return false;

    // Counting pass: every array must be there before anything is built.
    const cJSON* buttons = arrayMember(sceneObject, sceneformat::kButtonKey);
    if (!buttons)
        return false;
    const cJSON* sprites = arrayMember(sceneObject, sceneformat::kSpriteKey);
    if (!sprites)
        return false;
    live.buttonCount = cJSON_GetArraySize(buttons);
    live.spriteCount = cJSON_GetArraySize(sprites);
    const auto spriteCount = static_cast<std::size_t>(live.spriteCount);
    live.defaultCounts.assign(spriteCount, 0);
    live.hotspotCounts.assign(spriteCount, 0);
    live.clickCounts.assign(spriteCount, 0);
    std::vector<const cJSON*> defaults(spriteCount, nullptr);
    std::vector<const cJSON*> hotspots(spriteCount, nullptr);
    std::size_t i = 0;
    for (const cJSON* sprite = sprites->child; sprite && i < spriteCount; sprite = sprite->next, ++i) {
        defaults[i] = arrayMember(sprite, sceneformat::kDefaultActionKey);
        if (!defaults[i])
            return false;
        hotspots[i] = arrayMember(sprite, sceneformat::kHotspotActionKey);
        if (!hotspots[i])
            return false;
        live.defaultCounts[i] = cJSON_GetArraySize(defaults[i]);
        live.hotspotCounts[i] = cJSON_GetArraySize(hotspots[i]);
    }

    if (live.buttonCount > 0) {
        scene->buttons = static_cast<SButton*>(std::calloc(live.buttonCount, sizeof(SButton)));
        if (!scene->buttons) {
            SPARSE_REPORT("Allocation rect memory space failed !");
            return false;
        }
        const cJSON* item = buttons->child;
        for (int b = 0; b < live.buttonCount; ++b, item = item->next) {
            if (!item) {
                char text[64];
                std::snprintf(text, sizeof text, "The %d element of the array is empty !\n", b);
                SPARSE_REPORT(text);
                return false;
            }
            if (!fillFields(item, sceneformat::kButtonFields, &scene->buttons[b]))
                return false;
        }
    }

    if (live.spriteCount > 0) {
        scene->sprites = static_cast<SSprite*>(std::calloc(live.spriteCount, sizeof(SSprite)));
        if (!scene->sprites) {
            SPARSE_REPORT("Allocation rect memory space failed !");
            return false;
        }
        const cJSON* item = sprites->child;
        for (std::size_t s = 0; s < spriteCount; ++s, item = item->next) {
            SSprite& sprite = scene->sprites[s];
            if (!fillFields(item, sceneformat::kSpriteFields, &sprite))
                return false;
            if (live.hotspotCounts[s] > 0) {
                sprite.hotspot_action = getActionArray(hotspots[s], live.hotspotCounts[s]);
                if (!sprite.hotspot_action) {
                    SPARSE_REPORT("h_action is NULL !");
                    return false;
                }
            }
            if (live.defaultCounts[s] > 0) {
                sprite.default_action = getActionArray(defaults[s], live.defaultCounts[s]);
                if (!sprite.default_action) {
                    SPARSE_REPORT("d_action is NULL !");
                    return false;
                }
            }
        }
    }
    return true;
}

bool SParser::fillFields(const cJSON* object, const FieldTable& table, void* record) {
    const cJSON* found[sceneformat::kMaxFields];
    findFields(object, table, found);
    char* base = static_cast<char*>(record);
    for (std::size_t i = 0; i < table.count; ++i) {
        const FieldDef& field = table.fields[i];
        const cJSON* item = found[i];
        if (!item) {
            SPARSE_REPORT(keyText(field.key, "does not exist !"));
            return false;
        }
        // Numbers are written as strings too; a JSON number, boolean or null is refused.
        if (!cJSON_IsString(item) || !item->valuestring) {
            SPARSE_REPORT(keyText(field.key, "is not a string !"));
            return false;
        }
        const char* text = item->valuestring;
        void* target = base + field.offset;
        switch (field.kind) {
        case FieldKind::String: {
            char* copy = readStringToStack(text);
            if (!copy)
                return false;
            *static_cast<char**>(target) = copy;
            break;
        }
        case FieldKind::Integer:
            *static_cast<std::int32_t*>(target) = sParse_toInt(text);
            break;
        case FieldKind::Real:
            *static_cast<float*>(target) = sParse_toReal(text);
            break;
        case FieldKind::Point:
            // A malformed point is reported and stays (0, 0); the page is still read.
            getPoint(static_cast<SPoint*>(target), text);
            break;
        case FieldKind::Rect:
            getRect(static_cast<SRect*>(target), text);
            break;
        }
    }
    return true;
}

SAction* SParser::getActionArray(const cJSON* array, int n) {
    if (!cJSON_IsArray(array) || n <= 0) {
        SPARSE_REPORT("SACtion is NULL or array size is zero !");
        return nullptr;
    }
    auto* actions = static_cast<SAction*>(std::calloc(static_cast<std::size_t>(n), sizeof(SAction)));
    if (!actions) {
        SPARSE_REPORT("Allocation action memory space failed !");
        return nullptr;
    }
    const cJSON* item = array->child;
    for (int i = 0; i < n; ++i, item = item->next) {
        if (!item) {
            SPARSE_REPORT("Get action json fail !");
            sParse_freeActions(actions, n);
            return nullptr;
        }
        if (!fillFields(item, sceneformat::kActionFields, &actions[i])) {
            sParse_freeActions(actions, n);
            return nullptr;
        }
    }
    return actions;
}

SPoint* SParser::getPoint(SPoint* point, const char* text) {
    if (!sParse_pointFromText(text, point)) {
        SPARSE_REPORT("point parameter error");
        return nullptr;
    }
    return point;
}

SRect* SParser::getRect(SRect* rect, const char* text) {
    if (!sParse_rectFromText(text, rect))
        SPARSE_REPORT("Rect parameter error");
    return rect;
}

char* SParser::readStringToStack(const char* text) {
    if (!text) {
        SPARSE_REPORT(kNotCreated);
        return nullptr;
    }
    const std::size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (!copy) {
        SPARSE_REPORT(kNotCreated);
        return nullptr;
    }
    std::memcpy(copy, text, size);
    return copy;
}

const SParser::LiveScene* SParser::find(const SScene* scene) const {
    if (!scene)
        return nullptr;
    for (const LiveScene& live : live_)
        if (live.scene == scene)
            return &live;
    return nullptr;
}

int SParser::countOf(const LiveScene& live, int type, int index) const {
    const auto i = static_cast<std::size_t>(index);
    switch (type) {
    case ARRAY_DEFAULT_ACTION:
        return live.defaultCounts[i];
    case ARRAY_CLICK_ACTION:
        return live.clickCounts[i];
    case ARRAY_HOTSPOT_ACTION:
        return live.hotspotCounts[i];
    default:
        return -1;
    }
}

int SParser::arraySize(const SScene* scene, int type, const char* name) {
    const LiveScene* live = find(scene);
    if (!live) {
        SPARSE_REPORT(kObjectGone);
        return -1;
    }
    switch (type) {
    case ARRAY_BUTTON:
        return live->buttonCount;
    case ARRAY_SPRITE:
        return live->spriteCount;
    case ARRAY_DEFAULT_ACTION: {
        const int n = actionSize(scene, type, name);
        if (n == -1)
            SPARSE_REPORT("Get default action array size fail !");
        return n;
    }
    case ARRAY_CLICK_ACTION:
    case ARRAY_HOTSPOT_ACTION: {
        const int n = actionSize(scene, type, name);
        if (n == -1)
            SPARSE_LOG_ERR((type == ARRAY_CLICK_ACTION ? "Get click" : "Get hotspot")
                           << " action array size fail !");
        return n;
    }
    default:
        return 0;
    }
}

int SParser::actionSize(const SScene* scene, int type, const char* name) {
    if (!name) {
        SPARSE_REPORT("Sprite name error !");
        return -1;
    }
    const LiveScene* live = find(scene);
    if (!live) {
        SPARSE_REPORT(kObjectGone);
        return -1;
    }
    if (type < ARRAY_DEFAULT_ACTION || type > ARRAY_HOTSPOT_ACTION) {
        SPARSE_LOG_ERR("not an action array type: " << type);
        return -1;
    }
    if (live->spriteCount == 0)
        return 0;
    for (int i = 0; i < live->spriteCount; ++i)
        if (std::strcmp(scene->sprites[i].sprite_name, name) == 0)
            return countOf(*live, type, i);
    SPARSE_REPORT("This sprite has not been found !");
    return -1;
}

int SParser::actionSizeAt(const SScene* scene, int type, int index) {
    const LiveScene* live = find(scene);
    if (!live) {
        SPARSE_REPORT(kObjectGone);
        return -1;
    }
    if (type < ARRAY_DEFAULT_ACTION || type > ARRAY_HOTSPOT_ACTION || index < 0 ||
        index >= live->spriteCount) {
        SPARSE_LOG_ERR("no action count for type " << type << " of sprite " << index);
        return -1;
    }
    return countOf(*live, type, index);
}

void SParser::freeScene(LiveScene& live) {
    SScene* scene = live.scene;
    if (!scene)
        return;
    std::free(scene->scene_name);
    std::free(scene->scene_picture_file);
    std::free(scene->scene_change);
    std::free(scene->scene_music);
    std::free(scene->scene_music_type);
    std::free(scene->scene_vedio_file);
    if (scene->buttons) {
        for (int b = live.buttonCount - 1; b >= 0; --b) {
            std::free(scene->buttons[b].button_name);
            std::free(scene->buttons[b].button_picture_file);
        }
        std::free(scene->buttons);
    }
    if (scene->sprites) {
        for (int s = live.spriteCount - 1; s >= 0; --s) {
            SSprite& sprite = scene->sprites[s];
            std::free(sprite.sprite_name);
            std::free(sprite.sprite_picture_file);
            std::free(sprite.sprite_music_file);
            std::free(sprite.sprite_action_type);
            std::free(sprite.sprite_action_prev);
            std::free(sprite.sprite_action_next);
            sParse_freeActions(sprite.default_action, live.defaultCounts[static_cast<std::size_t>(s)]);
            sParse_freeActions(sprite.hotspot_action, live.hotspotCounts[static_cast<std::size_t>(s)]);
            sParse_freeActions(sprite.click_action, live.clickCounts[static_cast<std::size_t>(s)]);
        }
        std::free(scene->sprites);
    }
    std::free(scene);
    live.scene = nullptr;
}

void SParser::deleteScene(SScene* scene) {
    auto it =
        std::find_if(live_.begin(), live_.end(), [scene](const LiveScene& l) { return l.scene == scene; });
    if (!scene || it == live_.end()) {
        SPARSE_REPORT(kObjectGone);
        return;
    }
    freeScene(*it);
    live_.erase(it);
}

void SParser::release(void* record, int kind) {
    if (!record)
        return;
    switch (kind) {
    case 0:
        std::free(record);
        break;
    case 1:
        deleteScene(static_cast<SScene*>(record));
        break;
    default:
        SPARSE_LOG_ERR("unknown record kind " << kind << ", not released");
        break;
    }
}

GameJson* sParse_InitGameJson(const char* root) {
    return SParser::engine().initGameJson(root);
}
char* sParse_readFile(const char* name) {
    return SParser::engine().readFile(name);
}
SScene* sParse_parse(int page) {
    return SParser::engine().parse(page);
}
SAction* sParse_getActionArray(const cJSON* array, int n) {
    return SParser::engine().getActionArray(array, n);
}
SPoint* sParse_getPoint(SPoint* point, const char* text) {
    return SParser::engine().getPoint(point, text);
}
SRect* sParse_getRect(SRect* rect, const char* text) {
    return SParser::engine().getRect(rect, text);
}
char* sParse_readStringToStack(const char* text) {
    return SParser::engine().readStringToStack(text);
}
int sParse_arraySize(const SScene* scene, ArrayType type, const char* name) {
    return SParser::engine().arraySize(scene, type, name);
}
int sParse_actionSize(const SScene* scene, ArrayType type, const char* name) {
    return SParser::engine().actionSize(scene, type, name);
}
int sParse_actionSizeAt(const SScene* scene, ArrayType type, int index) {
    return SParser::engine().actionSizeAt(scene, type, index);
}
void SParse_delete(SScene* scene) {
    SParser::engine().deleteScene(scene);
}
void sParse_release(void* record, int kind) {
    SParser::engine().release(record, kind);
}
