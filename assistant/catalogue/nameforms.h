#pragma once
// How search sees a name: folded (compatibility forms unified, capitals
// ignored, blanks dropped), cut into tokens (a Han character, a word, a
// number, a sign) with each Han character's pinyin, and the keys the
// catalogue indexes so that every way a teacher may type a name is a lookup
// of keys that start with the text typed.
//
// Readings come from ICU's Han-Latin transliteration, one per character
// (ICU's reading of a polyphonic character, whatever the word), without
// tones, "ü" written "v" as on a pinyin keyboard.

#include <QByteArray>
#include <QString>
#include <QVector>

struct NameToken {
    QString text;    // as in the folded name
    QString reading; // a Han character's pinyin; else the text itself
    bool han = false;
};

struct NameForms {
    QString folded;
    QVector<NameToken> tokens; // their texts, joined, give folded
};

// The readings as the catalogue stores them: one per token, blank between.
QString joinedReadings(const QVector<NameToken>& tokens);

NameForms nameForms(const QString& name);
// The forms again from what the catalogue stored (folded name and joined
// readings), without asking ICU; false when the two do not fit together.
bool storedForms(const QString& folded, const QString& readings, NameForms& forms);

// The kinds of search keys, each a text that starts at one place of the name
// and runs to its end (cut after kMaxKeyLength code points):
enum SearchKeyKind {
    WholeNameKey = 0, // the folded name
    NameTailKey = 1,  // the folded name from its 2nd, 3rd... character on
    InitialsKey = 2,  // from each token on: the initials (a number whole)
    PinyinKey = 3,    // from each token on: the readings run together
};
constexpr int kMaxKeyLength = 24;

struct SearchKey {
    int kind;
    QByteArray key; // UTF-8
};
// Every key of a name, none twice; initials and pinyin keys that say no more
// than the name's own tail (a run without Han characters) are left out.
QVector<SearchKey> searchKeys(const NameForms& forms);

// The text a teacher typed, read as a name is read, and what to look up.
struct SearchText {
    QString literal; // folded: what a name must contain to match as written
    // The keys a pinyin match starts with (initials, pinyin); empty when a
    // name can only match as written (the text is all Han characters).
    QString initials;
    QString pinyin;
    // The pinyin keys only preselect: Han characters typed among letters must
    // match as written, and a text longer than a key is checked whole.
    bool verify = false;
    QVector<NameToken> tokens;
};
SearchText searchText(const QString& typed);

// Whether the typed text matches the name by its readings: from some token
// on, each letter typed continues the current token's reading or starts the
// next token's, and each Han character typed is the next token itself (so
// "小h" and "小hm" match 小黑猫, "晓h" does not). It checks what the keys
// preselected; a search finds letters alone only as initials or as full
// pinyin ("xhm", "xiaoheim"), not mixed ("xiaohm").
bool readingMatch(const NameForms& name, const SearchText& text);

// Creates ICU's transliterator ahead of the first name that needs it (it
// takes a tenth of a second); any thread.
void prepareReadings();
