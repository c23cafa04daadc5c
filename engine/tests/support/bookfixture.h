#pragma once
// Test support: well-formed book documents built with cJSON (every key present,
// every scalar a string) that a test then breaks in one place, and a book folder
// in a temporary directory to write them to.

#include <cjson/cJSON.h>
#include <initializer_list>
#include <memory>
#include <string>

namespace booktest {

struct JsonDeleter {
    void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using Json = std::unique_ptr<cJSON, JsonDeleter>;

// One action object of the given type; values are distinct per key so a test can
// see which key landed where.
cJSON* action(const char* type = "Sprite_CCAction_1");
// A sprite object with the given hot-spot and default actions (ownership moves in).
cJSON* sprite(const char* name, std::initializer_list<cJSON*> hotspots = {},
              std::initializer_list<cJSON*> defaults = {});
cJSON* button(const char* name, const char* rect = "10,20,64,64");
// {"scene": {...}} with the given buttons and sprites (ownership moves in).
Json scene(std::initializer_list<cJSON*> buttons = {}, std::initializer_list<cJSON*> sprites = {});
// The book descriptor with the given page count.
Json gameJson(int pages, const char* width = "1024", const char* height = "768");

// The "scene" object of a scene document.
cJSON* sceneOf(cJSON* doc);
// Replaces (or adds) key with a string value.
void setString(cJSON* object, const char* key, const char* value);
std::string print(const cJSON* doc);

// A book folder "<tmp>/tavibook-XXXXXX/" with "json/" inside, removed at the end.
class TempBook {
public:
    TempBook();
    ~TempBook();
    TempBook(const TempBook&) = delete;
    TempBook& operator=(const TempBook&) = delete;

    const std::string& dir() const { return dir_; }        // ends with "/"
    std::string jsonDir() const { return dir_ + "json/"; } // the parser's root path
    // Writes text to dir() + relative (folders created as needed).
    void write(const std::string& relative, const std::string& text) const;
    void writeJson(const std::string& name, const cJSON* doc) const { write("json/" + name, print(doc)); }

private:
    std::string dir_;
};

// A fresh empty directory under the system's temporary folder, ending with "/".
std::string makeTempDir(const char* prefix);

// Whole file as text; "" when it cannot be read.
std::string readText(const std::string& path);

} // namespace booktest
