#pragma once
// The scene parser: reads a book's descriptor and page descriptions (JSON, every
// scalar written as a string, every key mandatory) into the records of
// sceneformat.h, answers how many buttons, sprites and actions a parsed page has,
// and releases the records.
//
// Every failure is reported twice: the text on standard output, and an ERROR entry
// "ERR:sparse.cpp <line> <text>" on the logger "ENGINE_LOGGER". Failures give a
// null record or -1; nothing is thrown. Whatever was allocated before a failure is
// released at once.
//
// A parser object owns the root path and the counts of the scenes it made. The
// engine uses one parser through the sParse_* functions below; tests, tools and
// the fuzzer may use parser objects of their own.

#include "sceneformat.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct cJSON;

// Root path + file name must be shorter than this.
constexpr std::size_t kSParseMaxPath = 200;
// A description file above this size is refused rather than loaded whole.
constexpr long kSParseMaxFileSize = 64L * 1024 * 1024;

class SParser {
public:
    using ReportListener = std::function<void(const std::string& text)>;

    SParser() = default;
    // Releases every scene of this parser that is still alive.
    ~SParser();
    SParser(const SParser&) = delete;
    SParser& operator=(const SParser&) = delete;

    // The engine's parser, behind the sParse_* functions; it lives until the
    // process ends.
    static SParser& engine();

    // Stores root (the folder of the JSON files, ending with "/") and reads
    // "game_json.txt" from it. Null on failure. Release with release(g, 0) or free().
    GameJson* initGameJson(const char* root);
    // Reads "scene_json<page>.txt" (no padding). Null on failure.
    SScene* parse(int page);

    // The same from text already in memory (NUL-terminated). parse() and
    // initGameJson() read the file and call these.
    GameJson* gameJsonFromText(const char* text);
    SScene* sceneFromText(const char* text);

    // Whole file root + name, NUL-terminated, malloc'ed (free() it); null on failure.
    char* readFile(const char* name);

    // n actions from a JSON array of action objects; null on failure. The caller
    // owns the result: sParse_freeActions(result, n).
    SAction* getActionArray(const cJSON* array, int n);

    // Fill from "x,y" / "x,y,width,height". Empty text leaves the target as it is.
    // Wrong comma count: reported; getPoint answers null, getRect the untouched rect.
    SPoint* getPoint(SPoint* point, const char* text);
    SRect* getRect(SRect* rect, const char* text);

    // malloc'ed copy of text; null (reported) when text is null or memory is short.
    char* readStringToStack(const char* text);

    // ARRAY_BUTTON / ARRAY_SPRITE: the page's counts (name may be null).
    // ARRAY_DEFAULT_ACTION / ARRAY_CLICK_ACTION / ARRAY_HOTSPOT_ACTION: the count of
    // the first sprite named name. Other types: 0. -1 on failure (unknown or
    // released scene, null name, no such sprite).
    int arraySize(const SScene* scene, int type, const char* name);
    // The action count (types 2, 3, 4) of the first sprite named name; 0 when the
    // page has no sprites; -1 on failure.
    int actionSize(const SScene* scene, int type, const char* name);
    // The action count (types 2, 3, 4) of sprite number index; -1 on failure. Use
    // this when walking the sprites: with two sprites of one name the name lookup
    // answers the first one's counts for both.
    int actionSizeAt(const SScene* scene, int type, int index);

    // Releases a scene made by this parser. Null, an unknown or an already released
    // scene is reported and left alone.
    void deleteScene(SScene* scene);
    // kind 0: free a GameJson; kind 1: deleteScene. A null record is ignored.
    void release(void* record, int kind);

    const std::string& rootPath() const { return root_; }
    // Number of scenes made by this parser and not yet released.
    std::size_t liveScenes() const { return live_.size(); }

    // Standard output echo of reports and of the file paths read (on by default).
    void setEcho(bool on) { echo_ = on; }
    // Called with every report text, in addition to stdout and the log.
    void setReportListener(ReportListener listener) { listener_ = std::move(listener); }

private:
    struct LiveScene {
        SScene* scene = nullptr;
        int buttonCount = 0;
        int spriteCount = 0;
        std::vector<int> defaultCounts;
        std::vector<int> hotspotCounts;
        std::vector<int> clickCounts; // zero-filled, never set
    };

    bool fillScene(const cJSON* root, LiveScene& live);
    bool fillFields(const cJSON* object, const sceneformat::FieldTable& table, void* record);
    const cJSON* arrayMember(const cJSON* object, const char* key);
    const LiveScene* find(const SScene* scene) const;
    int countOf(const LiveScene& live, int type, int index) const;
    static void freeScene(LiveScene& live);
    void reportJsonError();
    void emitReport(const std::string& text);

    std::string root_;
    std::vector<LiveScene> live_;
    bool echo_ = true;
    ReportListener listener_;
};

// Releases an action array from getActionArray / sParse_getActionArray.
void sParse_freeActions(SAction* actions, int n);

// ---- The engine's parser ----
// Call order: sParse_InitGameJson once; then per page sParse_parse, count queries,
// and sParse_release(scene, 1) before the next page is parsed.

GameJson* sParse_InitGameJson(const char* root);
char* sParse_readFile(const char* name);
SScene* sParse_parse(int page);
SAction* sParse_getActionArray(const cJSON* array, int n);
SPoint* sParse_getPoint(SPoint* point, const char* text);
SRect* sParse_getRect(SRect* rect, const char* text);
char* sParse_readStringToStack(const char* text);
int sParse_arraySize(const SScene* scene, ArrayType type, const char* name);
int sParse_actionSize(const SScene* scene, ArrayType type, const char* name);
int sParse_actionSizeAt(const SScene* scene, ArrayType type, int index);
void SParse_delete(SScene* scene);
void sParse_release(void* record, int kind);
