#pragma once
// In-memory records of a book: the descriptor "game_json.txt" and one scene
// description "scene_json%d.txt" per page. Plain C-style records: every string is
// a separately malloc'ed NUL-terminated copy owned by its record, every array a
// calloc'ed block whose length the parser keeps (see sparse.h). After a successful
// parse no string field is null; an empty JSON string gives "".
//
// The JSON side of each record is described by a field table (key, conversion,
// place in the record), shared by the parser and the book checker so both read a
// key the same way.

#include <cstddef>
#include <cstdint>

struct SPoint {
    float x;
    float y;
};

struct SRect {
    float x;
    float y;
    float width;
    float height;
};

// One sprite action. The JSON reads "texture_height" before "texture_width" and
// "color_blue" before "color_green"; each value still lands in the field of its name.
struct SAction {
    char* action_type;
    float action_delay_time; // ms
    std::int32_t action_repeat_num;
    std::int32_t action_repeat_num_jump;
    float jump_height;
    std::int32_t texture_num;
    float texture_width;
    float texture_height;
    char* texture_picture_file;
    char* action_music_file;
    float scale_rate;
    float toright_delay_time; // ms
    float toright_angle;
    float toleft_delay_time; // ms
    float toleft_angle;
    float delta_angle;
    float color_red;
    float color_green;
    float color_blue;
    SPoint ctl_pt1;
    SPoint ctl_pt2;
    SPoint dst_point;
    SRect hotspot_position;
    std::int32_t unidirectionalMovement;
    float animation_movementBefore_delayTime;
    float animation_moving_time;
    std::int32_t toPageNumber;
    char* scene_change;
};

struct SSprite {
    char* sprite_name;
    char* sprite_picture_file;
    SPoint sprite_position;
    float sprite_zoom_rate;
    float sprite_ethreal_rate;
    char* sprite_music_file;
    char* sprite_action_type;
    char* sprite_action_prev;
    char* sprite_action_next;
    SAction* click_action;   // reserved: always null, its count always 0
    SAction* hotspot_action; // null when the sprite has no hot-spot actions
    SAction* default_action; // null when the sprite has no default actions
};

struct SButton {
    char* button_name;
    char* button_picture_file;
    SRect button_rect;
};

// One page. The number of buttons, sprites and actions is not stored here: ask the
// parser that made the scene (sParse_arraySize).
struct SScene {
    char* scene_name;
    char* scene_picture_file;
    char* scene_change;
    float scene_enter_delay_time;     // ms
    float scene_auto_changepage_time; // ms
    char* scene_music;
    char* scene_music_type; // kept as text, converted with sParse_toInt where used
    float scene_music_gap_time;
    char* scene_vedio_file;
    SRect scene_vedio_rect;
    SButton* buttons; // null when the page has no buttons
    SSprite* sprites; // null when the page has no sprites
};

struct GameJson {
    std::int32_t scene_type;
    float scene_width;
    float scene_height;
    std::int32_t scene_number;
};

// Selects the count sParse_arraySize answers. Fixed underlying type: callers may
// pass any int, other values answer 0.
enum ArrayType : int {
    ARRAY_BUTTON = 0,
    ARRAY_SPRITE = 1,
    ARRAY_DEFAULT_ACTION = 2,
    ARRAY_CLICK_ACTION = 3,
    ARRAY_HOTSPOT_ACTION = 4,
};

// ---- Value conversions (every scalar is written as a JSON string) ----

// atoi rules (leading blanks, sign, digits; the rest ignored; no digits gives 0),
// saturating at the 32-bit limits instead of wrapping.
std::int32_t sParse_toInt(const char* text);

// atof rules, always with '.' as the decimal mark whatever the process locale is.
// Values beyond the float range become +/- infinity.
float sParse_toReal(const char* text);

// Float to integer truncation towards zero that is defined for every input:
// NaN gives 0, values beyond the 32-bit range saturate.
std::int32_t sParse_truncToInt(float value);

// Point "x,y" / rect "x,y,width,height". Empty text: target untouched, true.
// Wrong number of commas: target untouched, false. Does not report.
bool sParse_pointFromText(const char* text, SPoint* point);
bool sParse_rectFromText(const char* text, SRect* rect);

// ---- Field tables ----

namespace sceneformat {

enum class FieldKind { String, Integer, Real, Point, Rect };

struct FieldDef {
    const char* key;
    FieldKind kind;
    std::size_t offset; // of the field inside its record
};

struct FieldTable {
    const FieldDef* fields;
    std::size_t count;
    const FieldDef* begin() const { return fields; }
    const FieldDef* end() const { return fields + count; }
};

// The scalar keys of each object, in the order they are read. Array keys
// ("button", "sprite", "hotspot_action", "default_action") are not in the tables.
extern const FieldTable kGameJsonFields;
extern const FieldTable kSceneFields;
extern const FieldTable kButtonFields;
extern const FieldTable kSpriteFields;
extern const FieldTable kActionFields;

// The longest table; lets readers keep per-key state on the stack.
constexpr std::size_t kMaxFields = 32;

// Keys of the nested objects and arrays.
extern const char* const kSceneKey;         // "scene"
extern const char* const kButtonKey;        // "button"
extern const char* const kSpriteKey;        // "sprite"
extern const char* const kHotspotActionKey; // "hotspot_action"
extern const char* const kDefaultActionKey; // "default_action"

// Names the page logic understands. Index + 1 is the number used by the engine.
extern const char* const kActionNames[10];    // "Sprite_CCAction_1" ... "Sprite_CCAction_10"
extern const char* const kTransitionNames[7]; // "Scene_CCAction_1" ... "Scene_CCAction_7"
extern const char* const kButtonNames[4];     // "button_left", "button_right", "button_exit", "button_home"

// 1 ... 10 for a known action name, 11 otherwise (also for null).
int actionNumber(const char* name);
// 1 ... 7 for a known transition name, 0 otherwise (also for null).
int transitionNumber(const char* name);

// Key comparison as the JSON library's object lookup does it: ASCII letters
// compared without regard to case.
bool keyEquals(const char* a, const char* b);

} // namespace sceneformat
