#include "bookcheck.h"

#include "sparse.h"

#include <algorithm>
#include <cctype>
#include <cjson/cJSON.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <log4cplus/initializer.h>
#include <log4cplus/logger.h>
#include <log4cplus/nullappender.h>
#include <map>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;
using sceneformat::FieldKind;
using sceneformat::FieldTable;

namespace bookcheck {

namespace {

struct JsonDeleter {
    void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using Json = std::unique_ptr<cJSON, JsonDeleter>;

// Missing page files beyond this many are summed up in one line.
constexpr int kMaxMissingPagesListed = 20;

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string typeName(const cJSON* item) {
    if (cJSON_IsNumber(item))
        return "a JSON number";
    if (cJSON_IsBool(item))
        return "a JSON boolean";
    if (cJSON_IsNull(item))
        return "null";
    if (cJSON_IsArray(item))
        return "an array";
    if (cJSON_IsObject(item))
        return "an object";
    return "not a string";
}

void skipBlanks(const char*& p) {
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v')
        ++p;
}

// A whole number as an author means it: blanks, sign, digits, blanks.
bool isWholeNumber(const char* text) {
    const char* p = text;
    skipBlanks(p);
    if (*p == '+' || *p == '-')
        ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    while (std::isdigit(static_cast<unsigned char>(*p)))
        ++p;
    skipBlanks(p);
    return *p == '\0';
}

// A decimal number, ending at end (or the end of the text): blanks, sign, digits
// with an optional point, an optional exponent, blanks.
bool isDecimal(const char* text, const char* end = nullptr) {
    const char* p = text;
    if (!end)
        end = text + std::strlen(text);
    auto digits = [&] {
        const char* start = p;
        while (p < end && std::isdigit(static_cast<unsigned char>(*p)))
            ++p;
        return p > start;
    };
    while (p < end && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (p < end && (*p == '+' || *p == '-'))
        ++p;
    bool any = digits();
    if (p < end && *p == '.') {
        ++p;
        any = digits() || any;
    }
    if (!any)
        return false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            ++p;
        if (!digits())
            return false;
    }
    while (p < end && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    return p == end;
}

// Line and column (1-based) of offset in text.
std::string position(const char* text, std::size_t offset) {
    int line = 1;
    int column = 1;
    for (std::size_t i = 0; i < offset && text[i]; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

const char* stringOf(const cJSON* object, const char* key) {
    const cJSON* item = cJSON_GetObjectItem(object, key);
    return cJSON_IsString(item) ? item->valuestring : nullptr;
}

class Checker {
public:
    explicit Checker(std::string folder) : dir_(std::move(folder)) {
        if (dir_.empty() || dir_.back() != '/')
            dir_ += '/';
    }

    Report run() {
        Report report;
        std::error_code ec;
        if (!fs::is_directory(dir_, ec)) {
            report.problems.push_back({dir_, "", "is not a readable folder"});
            return report;
        }
        report.readable = true;
        if (!fs::is_regular_file(dir_ + "tavigame.dat", ec))
            add("tavigame.dat", "", "is missing: the client looks for this file to find the book");
        pages_ = checkDescriptor();
        report.pages = std::max(pages_, 0);
        if (pages_ > 0) {
            int missing = 0;
            for (int page = 0; page < pages_; ++page) {
                const std::string name = "json/scene_json" + std::to_string(page) + ".txt";
                if (!fs::exists(dir_ + name, ec)) {
                    if (++missing <= kMaxMissingPagesListed)
                        add(name, "", "is missing: page " + std::to_string(page) + " shows empty");
                    continue;
                }
                checkPage(page, name);
            }
            if (missing > kMaxMissingPagesListed)
                add("json/", "",
                    std::to_string(missing - kMaxMissingPagesListed) + " more page files are missing");
        }
        report.problems = std::move(problems_);
        return report;
    }

private:
    void add(const std::string& file, const std::string& where, const std::string& message) {
        problems_.push_back({file, where, message});
    }

    // Reads and parses one JSON file; reports and returns null when it cannot.
    Json load(const std::string& file) {
        std::ifstream in(dir_ + file, std::ios::binary);
        if (!in) {
            add(file, "", "cannot be read");
            return nullptr;
        }
        std::ostringstream buffer;
        buffer << in.rdbuf();
        const std::string text = buffer.str();
        if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
            add(file, "",
                "starts with a UTF-8 byte order mark, which the engine cannot read; save it without");
        const char* end = nullptr;
        Json doc(cJSON_ParseWithOpts(text.c_str(), &end, false));
        if (!doc) {
            const std::size_t at = end ? static_cast<std::size_t>(end - text.c_str()) : 0;
            add(file, "", "is not valid JSON (stops at " + position(text.c_str(), at) + ")");
            return nullptr;
        }
        const char* rest = end;
        skipBlanks(rest);
        if (*rest)
            add(file, "",
                "has text after the JSON document at " + position(text.c_str(), rest - text.c_str()) +
                    " (the engine ignores it)");
        return doc;
    }

    // The scalar keys of one object: present, strings, well-formed.
    void checkFields(const cJSON* object, const FieldTable& table, const std::string& file,
                     const std::string& where) {
        for (const auto& field : table) {
            const std::string at = where.empty() ? field.key : where + "." + field.key;
            const cJSON* item = cJSON_GetObjectItem(object, field.key);
            if (!item) {
                add(file, at, "is missing (every key is required; write \"\" for nothing)");
                continue;
            }
            if (!cJSON_IsString(item)) {
                std::string message = "is " + typeName(item) + ", not a string";
                if (cJSON_IsNumber(item)) {
                    char* printed = cJSON_PrintUnformatted(item);
                    message +=
                        "; write it in quotation marks: \"" + std::string(printed ? printed : "") + "\"";
                    cJSON_free(printed);
                }
                add(file, at, message + " (the engine refuses the file)");
                continue;
            }
            checkValue(field.kind, item->valuestring, file, at);
        }
    }

    void checkValue(FieldKind kind, const char* value, const std::string& file, const std::string& at) {
        if (!*value)
            return; // empty says "nothing"; it reads as 0
        switch (kind) {
        case FieldKind::String:
            break;
        case FieldKind::Integer:
            if (!isWholeNumber(value))
                add(file, at,
                    quoted(value) + " is not a whole number (the engine reads " +
                        std::to_string(sParse_toInt(value)) + ")");
            break;
        case FieldKind::Real:
            if (!isDecimal(value)) {
                std::ostringstream engine;
                engine << sParse_toReal(value);
                add(file, at, quoted(value) + " is not a number (the engine reads " + engine.str() + ")");
            }
            break;
        case FieldKind::Point:
        case FieldKind::Rect: {
            const bool point = kind == FieldKind::Point;
            const int commas = static_cast<int>(std::count(value, value + std::strlen(value), ','));
            if (commas != (point ? 1 : 3)) {
                add(file, at,
                    quoted(value) +
                        (point ? " is not a point \"x,y\"" : " is not a rect \"x,y,width,height\"") +
                        " (the engine uses all zeros)");
                break;
            }
            const char* part = value;
            for (int i = 0; i <= commas; ++i) {
                const char* end = std::strchr(part, ',');
                if (!end)
                    end = part + std::strlen(part);
                if (!isDecimal(part, end))
                    add(file, at,
                        "part " + std::to_string(i + 1) + " of " + quoted(value) +
                            " is not a number (the engine reads it as far as it goes)");
                part = *end ? end + 1 : end;
            }
            break;
        }
        }
    }

    // A file named in a document: present below the book folder.
    void checkFile(const std::string& file, const std::string& at, const char* value, bool required) {
        if (!value)
            return; // already reported as missing or not a string
        if (!*value) {
            if (required)
                add(file, at, "is empty; a picture is needed here");
            return;
        }
        std::error_code ec;
        const fs::path path = fs::path(dir_) / value;
        if (fs::is_regular_file(path, ec))
            return;
        std::string message = quoted(value) + " does not exist in the book folder";
        if (fs::is_directory(path, ec)) {
            message = quoted(value) + " is a folder, not a file";
        } else if (std::strchr(value, '\\')) {
            message += " (write \"/\" between folder names, not \"\\\")";
        } else {
            const std::string near = sameNameOtherCase(path);
            if (!near.empty())
                message += " (there is " + quoted(near) + ": names are case-sensitive)";
        }
        add(file, at, message);
    }

    static std::string sameNameOtherCase(const fs::path& path) {
        std::error_code ec;
        const std::string wanted = path.filename().string();
        for (const auto& entry : fs::directory_iterator(path.parent_path(), ec)) {
            const std::string name = entry.path().filename().string();
            if (name.size() == wanted.size() &&
                std::equal(name.begin(), name.end(), wanted.begin(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) ==
                           std::tolower(static_cast<unsigned char>(b));
                }))
                return name;
        }
        return std::string();
    }

    // The array member key of object, reported when missing or not an array.
    const cJSON* arrayOf(const cJSON* object, const char* key, const std::string& file,
                         const std::string& where) {
        const std::string at = where + "." + key;
        const cJSON* item = cJSON_GetObjectItem(object, key);
        if (!item) {
            add(file, at, "is missing (write [] for none; the engine refuses the file)");
            return nullptr;
        }
        if (!cJSON_IsArray(item)) {
            add(file, at, "is " + typeName(item) + ", not an array (the engine refuses the file)");
            return nullptr;
        }
        return item;
    }

    // Pages of the book, or -1 when the descriptor cannot tell.
    int checkDescriptor() {
        const std::string file = "json/game_json.txt";
        std::error_code ec;
        if (!fs::exists(dir_ + file, ec)) {
            add(file, "", "is missing: the engine cannot open the book");
            return -1;
        }
        Json doc = load(file);
        if (!doc)
            return -1;
        if (!cJSON_IsObject(doc.get())) {
            add(file, "", "must hold one JSON object");
            return -1;
        }
        const std::size_t before = problems_.size();
        checkFields(doc.get(), sceneformat::kGameJsonFields, file, "");
        for (const char* key : {"scene_width", "scene_height"}) {
            const char* value = stringOf(doc.get(), key);
            if (value && sParse_toReal(value) <= 0)
                add(file, key, "the design size must be above 0");
        }
        engineReads(file, problems_.size() > before, [&](SParser& parser) {
            GameJson* game = parser.initGameJson((dir_ + "json/").c_str());
            const bool ok = game != nullptr;
            parser.release(game, 0);
            return ok;
        });
        const char* number = stringOf(doc.get(), "scene_number");
        if (!number)
            return -1;
        const int pages = sParse_toInt(number);
        if (pages < 1)
            add(file, "scene_number", "the book has no pages");
        return pages;
    }

    // Cross-check with the engine's own parser: a file this checker finds clean
    // must also be one the engine reads.
    template <typename Read> void engineReads(const std::string& file, bool problemsFound, Read read) {
        SParser parser;
        parser.setEcho(false);
        std::vector<std::string> reports;
        parser.setReportListener([&](const std::string& text) { reports.push_back(text); });
        if (!read(parser) && !problemsFound) {
            std::string text = reports.empty() ? "no reason given" : reports.front();
            while (!text.empty() && text.back() == '\n')
                text.pop_back();
            add(file, "", "the engine cannot read this file: " + text.substr(0, 200));
        }
    }

    void checkPage(int page, const std::string& file) {
        const std::size_t before = problems_.size();
        Json doc = load(file);
        if (!doc)
            return;
        const cJSON* scene = cJSON_GetObjectItem(doc.get(), sceneformat::kSceneKey);
        if (!cJSON_IsObject(scene)) {
            add(file, "scene", scene ? "is not an object" : "is missing");
            return;
        }
        checkFields(scene, sceneformat::kSceneFields, file, "scene");
        checkFile(file, "scene.scene_picture_file", stringOf(scene, "scene_picture_file"), true);
        checkFile(file, "scene.scene_music", stringOf(scene, "scene_music"), false);
        if (const char* change = stringOf(scene, "scene_change")) {
            if (!*change)
                add(file, "scene.scene_change", "is empty: the engine shows this page empty");
            else if (sceneformat::transitionNumber(change) == 0)
                add(file, "scene.scene_change",
                    "unknown transition " + quoted(change) +
                        " (Scene_CCAction_1 ... Scene_CCAction_7): the page buttons cannot leave this page");
        }
        // Kept as text by the engine, converted when the music starts.
        if (const char* type = stringOf(scene, "scene_music_type"); type && *type) {
            if (!isWholeNumber(type))
                add(file, "scene.scene_music_type",
                    quoted(type) + " is not a whole number (the engine reads " +
                        std::to_string(sParse_toInt(type)) + ")");
            else if (sParse_toInt(type) < 0)
                add(file, "scene.scene_music_type",
                    quoted(type) + " is below 0 (0 loops, N plays N more times)");
        }

        if (const cJSON* buttons = arrayOf(scene, sceneformat::kButtonKey, file, "scene"))
            checkButtons(buttons, file);
        if (const cJSON* sprites = arrayOf(scene, sceneformat::kSpriteKey, file, "scene"))
            checkSprites(sprites, file);

        engineReads(file, problems_.size() > before, [&](SParser& parser) {
            parser.release(parser.initGameJson((dir_ + "json/").c_str()), 0);
            SScene* parsed = parser.parse(page);
            parser.release(parsed, 1);
            return parsed != nullptr;
        });
    }

    void checkButtons(const cJSON* buttons, const std::string& file) {
        int index = 0;
        for (const cJSON* button = buttons->child; button; button = button->next, ++index) {
            const std::string at = "scene.button[" + std::to_string(index) + "]";
            if (!cJSON_IsObject(button)) {
                add(file, at, "is not an object");
                continue;
            }
            checkFields(button, sceneformat::kButtonFields, file, at);
            const char* name = stringOf(button, "button_name");
            if (name &&
                std::none_of(std::begin(sceneformat::kButtonNames), std::end(sceneformat::kButtonNames),
                             [&](const char* known) { return std::strcmp(known, name) == 0; }))
                add(file, at + ".button_name",
                    "unknown button " + quoted(name) +
                        " (button_left, button_right, button_exit, button_home): no button is made");
            checkFile(file, at + ".button_picture_file", stringOf(button, "button_picture_file"), true);
        }
    }

    void checkSprites(const cJSON* sprites, const std::string& file) {
        std::map<std::string, int> firstOfName;
        int index = 0;
        for (const cJSON* sprite = sprites->child; sprite; sprite = sprite->next, ++index) {
            std::string at = "scene.sprite[" + std::to_string(index) + "]";
            if (!cJSON_IsObject(sprite)) {
                add(file, at, "is not an object");
                continue;
            }
            const char* name = stringOf(sprite, "sprite_name");
            if (name && *name)
                at += " " + quoted(name);
            checkFields(sprite, sceneformat::kSpriteFields, file, at);
            if (name) {
                if (!*name)
                    add(file, at + ".sprite_name", "is empty; every sprite needs a name");
                else if (!firstOfName.emplace(name, index).second)
                    add(file, at + ".sprite_name",
                        "is also the name of sprite " + std::to_string(firstOfName[name]) +
                            ": the engine counts this sprite's actions from that one");
            }
            checkFile(file, at + ".sprite_picture_file", stringOf(sprite, "sprite_picture_file"), true);
            if (const char* rate = stringOf(sprite, "sprite_ethreal_rate")) {
                const float opacity = sParse_toReal(rate);
                if (!(opacity >= 0 && opacity < 256))
                    add(file, at + ".sprite_ethreal_rate", quoted(rate) + " is outside 0 ... 255");
            }
            const cJSON* hotspots = arrayOf(sprite, sceneformat::kHotspotActionKey, file, at);
            const cJSON* defaults = arrayOf(sprite, sceneformat::kDefaultActionKey, file, at);
            if (hotspots)
                checkActions(hotspots, file, at + ".hotspot_action", true);
            if (defaults)
                checkActions(defaults, file, at + ".default_action", false);
        }
    }

    void checkActions(const cJSON* actions, const std::string& file, const std::string& where, bool hotspot) {
        int index = 0;
        for (const cJSON* action = actions->child; action; action = action->next, ++index) {
            const std::string at = where + "[" + std::to_string(index) + "]";
            if (!cJSON_IsObject(action)) {
                add(file, at, "is not an object");
                continue;
            }
            checkFields(action, sceneformat::kActionFields, file, at);
            checkFile(file, at + ".action_music_file", stringOf(action, "action_music_file"), false);
            const char* type = stringOf(action, "action_type");
            if (!type)
                continue;
            const int number = sceneformat::actionNumber(type);
            if (number == 11) {
                add(file, at + ".action_type",
                    "unknown action " + quoted(type) +
                        " (Sprite_CCAction_1 ... Sprite_CCAction_10): it runs nothing");
                continue;
            }
            const char* repeat = stringOf(action, "action_repeat_num");
            if (number != 10 && repeat && sParse_toInt(repeat) < -1)
                add(file, at + ".action_repeat_num",
                    quoted(repeat) + " runs nothing (1, more, or -1 for ever)");
            const char* oneWay = stringOf(action, "unidirectionalMovement");
            if ((number == 1 || number == 4 || number == 5) && oneWay) {
                const int u = sParse_toInt(oneWay);
                if (u != 0 && u != 1)
                    add(file, at + ".unidirectionalMovement",
                        quoted(oneWay) + " must be 0 or 1; the action runs nothing");
            }
            if (number == 8)
                checkAnimation(action, file, at);
            if (number == 10) {
                checkJump(action, file, at, hotspot, action->next == nullptr);
            } else if (hotspot) {
                SRect area{0, 0, 0, 0};
                const char* rect = stringOf(action, "hotspot_position");
                if (rect && sParse_rectFromText(rect, &area) && !(area.width > 0 && area.height > 0))
                    add(file, at + ".hotspot_position", "the hot spot has no area, so it cannot be touched");
            }
        }
    }

    void checkAnimation(const cJSON* action, const std::string& file, const std::string& at) {
        checkFile(file, at + ".texture_picture_file", stringOf(action, "texture_picture_file"), true);
        const char* frames = stringOf(action, "texture_num");
        if (frames && sParse_toInt(frames) < 1)
            add(file, at + ".texture_num", "a frame animation needs at least one frame");
        for (const char* key : {"texture_width", "texture_height"}) {
            const char* size = stringOf(action, key);
            if (size && !(sParse_toReal(size) > 0))
                add(file, at + "." + key, "a frame animation needs a frame size above 0");
        }
    }

    void checkJump(const cJSON* action, const std::string& file, const std::string& at, bool hotspot,
                   bool last) {
        if (!hotspot) {
            add(file, at + ".action_type", "a page jump does nothing as a default action");
            return;
        }
        if (!last) {
            add(file, at + ".action_type", "a page jump works only as the sprite's last hot-spot action");
            return;
        }
        if (const char* target = stringOf(action, "toPageNumber")) {
            const int page = sParse_toInt(target);
            if (pages_ > 0 && (page < 0 || page >= pages_))
                add(file, at + ".toPageNumber",
                    "jumps to page " + std::to_string(page) + ", which does not exist (pages 0 to " +
                        std::to_string(pages_ - 1) + ")");
        }
        if (const char* change = stringOf(action, "scene_change");
            change && *change && sceneformat::transitionNumber(change) == 0)
            add(file, at + ".scene_change",
                "unknown transition " + quoted(change) + " for the jump: the page's own transition is used");
    }

    std::string dir_;
    int pages_ = -1;
    std::vector<Problem> problems_;
};

} // namespace

Report checkBook(const std::string& folder) {
    // The engine's parser, used for the cross-check, logs to ENGINE_LOGGER; the
    // checker's own list is what authors read.
    log4cplus::initialize();
    log4cplus::Logger engineLog = log4cplus::Logger::getInstance("ENGINE_LOGGER");
    if (engineLog.getAllAppenders().empty())
        engineLog.addAppender(log4cplus::SharedAppenderPtr(new log4cplus::NullAppender));
    return Checker(folder).run();
}

std::string format(const Problem& problem) {
    return problem.where.empty() ? problem.file + ": " + problem.message
                                 : problem.file + ": " + problem.where + ": " + problem.message;
}

} // namespace bookcheck
