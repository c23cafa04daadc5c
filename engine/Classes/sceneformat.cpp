#include "sceneformat.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace {

// One "C" locale for all real conversions: a book written with "0.5" must read the
// same on a machine whose locale writes "0,5".
locale_t cLocale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

// Plain decimals ("1500", "-0.25", " 12.5") are the bulk of every book and are
// converted here directly: at most 15 digits fit a double exactly and so does
// the power of ten, so one division gives the same correctly rounded value as
// strtod. Anything else (exponents, hex, inf, long digit strings, no digits) is
// left to strtod_l.
bool plainDecimal(const char* p, double* out) {
    static const double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fraction = 0;
    for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
        if (digits == 15)
            return false;
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    }
    if (*p == '.') {
        for (++p; *p >= '0' && *p <= '9'; ++p, ++digits, ++fraction) {
            if (digits == 15)
                return false;
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        }
    }
    if (digits == 0 || *p == 'e' || *p == 'E' || *p == 'x' || *p == 'X')
        return false;
    const double value = static_cast<double>(mantissa) / kPow10[fraction];
    *out = negative ? -value : value;
    return true;
}

int countCommas(const char* text) {
    int commas = 0;
    for (const char* p = text; *p; ++p)
        if (*p == ',')
            ++commas;
    return commas;
}

} // namespace

std::int32_t sParse_toInt(const char* text) {
    if (!text)
        return 0;
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

float sParse_toReal(const char* text) {
    if (!text)
        return 0.0f;
    double value;
    if (!plainDecimal(text, &value)) {
        const locale_t loc = cLocale();
        value = loc ? strtod_l(text, nullptr, loc) : std::strtod(text, nullptr);
    }
    // Narrowing a double beyond the float range is undefined; say infinity instead.
    if (value > FLT_MAX)
        return HUGE_VALF;
    if (value < -FLT_MAX)
        return -HUGE_VALF;
    return static_cast<float>(value);
}

std::int32_t sParse_truncToInt(float value) {
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

bool sParse_pointFromText(const char* text, SPoint* point) {
    if (!text || !point)
        return false;
    if (!*text)
        return true;
    if (countCommas(text) != 1)
        return false;
    // The real conversion stops at the comma, so the text need not be cut.
    point->x = sParse_toReal(text);
    point->y = sParse_toReal(std::strchr(text, ',') + 1);
    return true;
}

bool sParse_rectFromText(const char* text, SRect* rect) {
    if (!text || !rect)
        return false;
    if (!*text)
        return true;
    if (countCommas(text) != 3)
        return false;
    float parts[4];
    const char* p = text;
    for (float& part : parts) {
        part = sParse_toReal(p);
        p = std::strchr(p, ',');
        if (p)
            ++p;
    }
    rect->x = parts[0];
    rect->y = parts[1];
    rect->width = parts[2];
    rect->height = parts[3];
    return true;
}

namespace sceneformat {

namespace {

#define TAVI_FIELD(record, key, kind)                                                                        \
    { #key, FieldKind::kind, offsetof(record, key) }

const FieldDef gameJsonFields[] = {
    TAVI_FIELD(GameJson, scene_type, Integer),
    TAVI_FIELD(GameJson, scene_width, Real),
    TAVI_FIELD(GameJson, scene_height, Real),
    TAVI_FIELD(GameJson, scene_number, Integer),
};

const FieldDef sceneFields[] = {
    TAVI_FIELD(SScene, scene_name, String),
    TAVI_FIELD(SScene, scene_picture_file, String),
    TAVI_FIELD(SScene, scene_change, String),
    TAVI_FIELD(SScene, scene_enter_delay_time, Real),
    TAVI_FIELD(SScene, scene_auto_changepage_time, Real),
    TAVI_FIELD(SScene, scene_music, String),
    TAVI_FIELD(SScene, scene_music_type, String),
    TAVI_FIELD(SScene, scene_music_gap_time, Real),
    TAVI_FIELD(SScene, scene_vedio_file, String),
    TAVI_FIELD(SScene, scene_vedio_rect, Rect),
};

const FieldDef buttonFields[] = {
    TAVI_FIELD(SButton, button_name, String),
    TAVI_FIELD(SButton, button_picture_file, String),
    TAVI_FIELD(SButton, button_rect, Rect),
};

const FieldDef spriteFields[] = {
    TAVI_FIELD(SSprite, sprite_name, String),        TAVI_FIELD(SSprite, sprite_picture_file, String),
    TAVI_FIELD(SSprite, sprite_position, Point),     TAVI_FIELD(SSprite, sprite_zoom_rate, Real),
    TAVI_FIELD(SSprite, sprite_ethreal_rate, Real),  TAVI_FIELD(SSprite, sprite_music_file, String),
    TAVI_FIELD(SSprite, sprite_action_type, String), TAVI_FIELD(SSprite, sprite_action_prev, String),
    TAVI_FIELD(SSprite, sprite_action_next, String),
};

const FieldDef actionFields[] = {
    TAVI_FIELD(SAction, action_type, String),
    TAVI_FIELD(SAction, action_delay_time, Real),
    TAVI_FIELD(SAction, action_repeat_num, Integer),
    TAVI_FIELD(SAction, action_repeat_num_jump, Integer),
    TAVI_FIELD(SAction, jump_height, Real),
    TAVI_FIELD(SAction, texture_num, Integer),
    TAVI_FIELD(SAction, texture_height, Real),
    TAVI_FIELD(SAction, texture_width, Real),
    TAVI_FIELD(SAction, texture_picture_file, String),
    TAVI_FIELD(SAction, action_music_file, String),
    TAVI_FIELD(SAction, scale_rate, Real),
    TAVI_FIELD(SAction, toright_delay_time, Real),
    TAVI_FIELD(SAction, toright_angle, Real),
    TAVI_FIELD(SAction, toleft_delay_time, Real),
    TAVI_FIELD(SAction, toleft_angle, Real),
    TAVI_FIELD(SAction, delta_angle, Real),
    TAVI_FIELD(SAction, color_red, Real),
    TAVI_FIELD(SAction, color_blue, Real),
    TAVI_FIELD(SAction, color_green, Real),
    TAVI_FIELD(SAction, ctl_pt1, Point),
    TAVI_FIELD(SAction, ctl_pt2, Point),
    TAVI_FIELD(SAction, dst_point, Point),
    TAVI_FIELD(SAction, hotspot_position, Rect),
    TAVI_FIELD(SAction, unidirectionalMovement, Integer),
    TAVI_FIELD(SAction, animation_movementBefore_delayTime, Real),
    TAVI_FIELD(SAction, animation_moving_time, Real),
    TAVI_FIELD(SAction, toPageNumber, Integer),
    TAVI_FIELD(SAction, scene_change, String),
};

#undef TAVI_FIELD

template <std::size_t N> constexpr FieldTable table(const FieldDef (&fields)[N]) {
    static_assert(N <= kMaxFields, "raise kMaxFields");
    return FieldTable{fields, N};
}

unsigned char lower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

} // namespace

const FieldTable kGameJsonFields = table(gameJsonFields);
const FieldTable kSceneFields = table(sceneFields);
const FieldTable kButtonFields = table(buttonFields);
const FieldTable kSpriteFields = table(spriteFields);
const FieldTable kActionFields = table(actionFields);

const char* const kSceneKey = "scene";
const char* const kButtonKey = "button";
const char* const kSpriteKey = "sprite";
const char* const kHotspotActionKey = "hotspot_action";
const char* const kDefaultActionKey = "default_action";

const char* const kActionNames[10] = {
    "Sprite_CCAction_1", "Sprite_CCAction_2", "Sprite_CCAction_3", "Sprite_CCAction_4", "Sprite_CCAction_5",
    "Sprite_CCAction_6", "Sprite_CCAction_7", "Sprite_CCAction_8", "Sprite_CCAction_9", "Sprite_CCAction_10",
};

const char* const kTransitionNames[7] = {
    "Scene_CCAction_1", "Scene_CCAction_2", "Scene_CCAction_3", "Scene_CCAction_4",
    "Scene_CCAction_5", "Scene_CCAction_6", "Scene_CCAction_7",
};

const char* const kButtonNames[4] = {"button_left", "button_right", "button_exit", "button_home"};

int actionNumber(const char* name) {
    if (name)
        for (int i = 0; i < 10; ++i)
            if (std::strcmp(name, kActionNames[i]) == 0)
                return i + 1;
    return 11;
}

int transitionNumber(const char* name) {
    if (name)
        for (int i = 0; i < 7; ++i)
            if (std::strcmp(name, kTransitionNames[i]) == 0)
                return i + 1;
    return 0;
}

bool keyEquals(const char* a, const char* b) {
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    for (; lower(*x) == lower(*y); ++x, ++y)
        if (!*x)
            return true;
    return false;
}

} // namespace sceneformat
