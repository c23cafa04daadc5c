#include "nameforms.h"

#include "platform/log.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <functional>
#include <memory>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>

namespace {

icu::UnicodeString icuText(const QString& text) {
    return icu::UnicodeString(reinterpret_cast<const UChar*>(text.utf16()), text.size());
}

QString qtText(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

bool isHan(uint cp) {
    UErrorCode status = U_ZERO_ERROR;
    return uscript_getScript(UChar32(cp), &status) == USCRIPT_HAN;
}

// "xiǎo" -> "xiao", "lǜ" -> "lv"; anything but Latin letters with tone marks
// (a character ICU has no reading for comes back as it was) -> empty.
QString plainReading(const icu::UnicodeString& latin) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString decomposed = icu::Normalizer2::getNFDInstance(status)->normalize(latin, status);
    if (U_FAILURE(status))
        return QString();
    QString out;
    for (int i = 0; i < decomposed.length(); ++i) {
        const UChar c = decomposed.charAt(i);
        if (c >= 'a' && c <= 'z')
            out += QChar(c);
        else if (c >= 'A' && c <= 'Z')
            out += QChar(c - 'A' + 'a');
        else if (c == 0x0308 && out.endsWith('u')) // the diaeresis of ü
            out[out.size() - 1] = 'v';
        else if (c < 0x0300 || c > 0x036f) // tone marks go, anything else is no reading
            return QString();
    }
    return out;
}

// ICU's reading of each Han character, asked once per character and process.
class Readings {
public:
    // Under the lock for a whole name: one wait, not one per character.
    struct Lookup {
        explicit Lookup(Readings& r) : readings(r), lock(&r.m_mutex) {}
        QString of(uint cp) { return readings.readingLocked(cp); }
        Readings& readings;
        QMutexLocker lock;
    };
    void prepare() {
        QMutexLocker lock(&m_mutex);
        transliterator();
    }

private:
    icu::Transliterator* transliterator() {
        if (!m_hanLatin && !m_failed) {
            UErrorCode status = U_ZERO_ERROR;
            m_hanLatin.reset(icu::Transliterator::createInstance("Han-Latin", UTRANS_FORWARD, status));
            if (U_FAILURE(status) || !m_hanLatin) {
                // Search then matches names as written only.
                TLOG_ERROR("no pinyin readings: ICU's Han-Latin transliteration is missing ("
                           << u_errorName(status) << ")");
                m_hanLatin.reset();
                m_failed = true;
            }
        }
        return m_hanLatin.get();
    }
    QString readingLocked(uint cp) {
        const auto known = m_cache.constFind(cp);
        if (known != m_cache.constEnd())
            return known.value();
        QString reading;
        if (icu::Transliterator* t = transliterator()) {
            icu::UnicodeString text{UChar32(cp)};
            t->transliterate(text);
            reading = plainReading(text);
        }
        m_cache.insert(cp, reading);
        return reading;
    }

    QMutex m_mutex;
    std::unique_ptr<icu::Transliterator> m_hanLatin;
    bool m_failed = false;
    QHash<uint, QString> m_cache;
};

Readings& readings() {
    static Readings instance;
    return instance;
}

QString fold(const QString& name) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfkcCf = icu::Normalizer2::getNFKCCasefoldInstance(status);
    if (U_FAILURE(status))
        return name.toCaseFolded();
    const icu::UnicodeString folded = nfkcCf->normalize(icuText(name), status);
    return U_FAILURE(status) ? name.toCaseFolded() : qtText(folded);
}

enum class Run { None, Word, Number };

// Cuts a folded text into tokens; the Han characters get their readings.
QVector<NameToken> tokenize(const QString& folded) {
    QVector<NameToken> tokens;
    Run run = Run::None;
    Readings::Lookup lookup(readings());
    for (const uint cp : folded.toUcs4()) {
        const QString text = QString::fromUcs4(&cp, 1);
        if (u_isUWhiteSpace(UChar32(cp))) {
            run = Run::None;
            continue;
        }
        const int8_t type = u_charType(UChar32(cp));
        const bool mark = type == U_NON_SPACING_MARK || type == U_COMBINING_SPACING_MARK;
        if (isHan(cp)) {
            const QString reading = lookup.of(cp);
            tokens.append({text, reading.isEmpty() ? text : reading, true});
            run = Run::None;
        } else if (u_isalpha(UChar32(cp)) || (mark && run == Run::Word)) {
            if (run == Run::Word)
                tokens.last().text += text;
            else
                tokens.append({text, QString(), false});
            run = Run::Word;
        } else if (u_isdigit(UChar32(cp))) {
            if (run == Run::Number)
                tokens.last().text += text;
            else
                tokens.append({text, QString(), false});
            run = Run::Number;
        } else {
            tokens.append({text, QString(), false});
            run = Run::None;
        }
    }
    for (NameToken& t : tokens)
        if (!t.han)
            t.reading = t.text;
    return tokens;
}

QString foldedOf(const QVector<NameToken>& tokens) {
    QString s;
    for (const NameToken& t : tokens)
        s += t.text;
    return s;
}

// What a token gives the initials: a Han character the first letter of its
// reading, a number itself (people type "12", not "1"), a word its first letter.
QString initialOf(const NameToken& t) {
    if (t.han)
        return t.reading == t.text ? t.text : t.reading.left(1);
    const QVector<uint> cps = t.text.toUcs4();
    if (!cps.isEmpty() && u_isdigit(UChar32(cps.first())))
        return t.text;
    return cps.isEmpty() ? QString() : QString::fromUcs4(cps.constData(), 1);
}

QByteArray cut(const QVector<uint>& cps, int from) {
    return QString::fromUcs4(cps.constData() + from, std::min(int(cps.size()) - from, kMaxKeyLength))
        .toUtf8();
}

} // namespace

QString joinedReadings(const QVector<NameToken>& tokens) {
    QStringList r;
    r.reserve(tokens.size());
    for (const NameToken& t : tokens)
        r << t.reading;
    return r.join(' ');
}

NameForms nameForms(const QString& name) {
    NameForms forms;
    forms.tokens = tokenize(fold(name));
    // Blanks are gone, and a name's own text is what the tokens hold.
    forms.folded = foldedOf(forms.tokens);
    return forms;
}

bool storedForms(const QString& folded, const QString& readings, NameForms& forms) {
    forms.folded = folded;
    forms.tokens.clear();
    if (folded.isEmpty())
        return readings.isEmpty();
    const QVector<uint> cps = folded.toUcs4();
    int at = 0;
    for (const QString& reading : readings.split(' ')) {
        if (at >= cps.size() || reading.isEmpty())
            return false;
        NameToken t;
        t.reading = reading;
        if (isHan(cps[at])) {
            t.text = QString::fromUcs4(&cps[at], 1);
            t.han = true;
            at += 1;
        } else {
            const QVector<uint> r = reading.toUcs4();
            if (r.size() > cps.size() - at || !std::equal(r.begin(), r.end(), cps.begin() + at))
                return false;
            t.text = reading;
            at += r.size();
        }
        forms.tokens.append(t);
    }
    return at == cps.size();
}

QVector<SearchKey> searchKeys(const NameForms& forms) {
    QVector<SearchKey> keys;
    const QVector<uint> name = forms.folded.toUcs4();
    if (name.isEmpty())
        return keys;
    keys.append({WholeNameKey, cut(name, 0)});
    for (int at = 1; at < name.size(); ++at)
        keys.append({NameTailKey, cut(name, at)});
    // From the last token back, so that each tail is the next one extended.
    QVector<uint> initials, pinyin;
    int at = name.size();
    for (int i = forms.tokens.size() - 1; i >= 0; --i) {
        const NameToken& t = forms.tokens[i];
        at -= t.text.toUcs4().size();
        initials = initialOf(t).toUcs4() + initials;
        pinyin = t.reading.toUcs4() + pinyin;
        const QByteArray tail = cut(name, at);
        const QByteArray byInitials = cut(initials, 0);
        const QByteArray byPinyin = cut(pinyin, 0);
        if (byInitials != tail)
            keys.append({InitialsKey, byInitials});
        if (byPinyin != tail && byPinyin != byInitials)
            keys.append({PinyinKey, byPinyin});
    }
    std::sort(keys.begin(), keys.end(), [](const SearchKey& a, const SearchKey& b) {
        return a.kind != b.kind ? a.kind < b.kind : a.key < b.key;
    });
    keys.erase(std::unique(
                   keys.begin(), keys.end(),
                   [](const SearchKey& a, const SearchKey& b) { return a.kind == b.kind && a.key == b.key; }),
               keys.end());
    return keys;
}

SearchText searchText(const QString& typed) {
    SearchText s;
    const NameForms forms = nameForms(typed);
    s.literal = forms.folded;
    s.tokens = forms.tokens;
    bool han = false, other = false;
    for (const NameToken& t : forms.tokens) {
        (t.han ? han : other) = true;
        s.initials += t.han ? initialOf(t) : t.text;
        s.pinyin += t.reading;
    }
    if (han && !other) {
        // Chinese typed is matched as written.
        s.initials.clear();
        s.pinyin.clear();
    }
    s.verify = han && other;
    return s;
}

bool readingMatch(const NameForms& name, const SearchText& text) {
    // What was typed: Han characters stand for themselves, every other code
    // point is a letter of some reading.
    QVector<uint> typed;
    QVector<bool> typedHan;
    for (const NameToken& t : text.tokens) {
        for (const uint cp : t.text.toUcs4()) {
            typed.append(cp);
            typedHan.append(t.han);
        }
    }
    const int m = typed.size();
    const int n = name.tokens.size();
    if (m == 0)
        return false;
    QVector<QVector<uint>> reading(n);
    QVector<uint> hanText(n, 0);
    for (int j = 0; j < n; ++j) {
        reading[j] = name.tokens[j].reading.toUcs4();
        if (name.tokens[j].han)
            hanText[j] = name.tokens[j].text.toUcs4().value(0);
    }
    // tried[i * (n + 1) + j]: typed[i..] has been tried from token j on.
    QVector<bool> tried((m + 1) * (n + 1), false);
    std::function<bool(int, int)> from = [&](int i, int j) -> bool {
        if (i == m)
            return true;
        if (j == n || tried[i * (n + 1) + j])
            return false;
        tried[i * (n + 1) + j] = true;
        if (typedHan[i])
            return hanText[j] == typed[i] && from(i + 1, j + 1);
        const QVector<uint>& r = reading[j];
        for (int k = 0; k < r.size() && i + k < m && !typedHan[i + k] && typed[i + k] == r[k];) {
            ++k;
            if (from(i + k, j + 1))
                return true;
        }
        return false;
    };
    for (int j = 0; j < n; ++j)
        if (from(0, j))
            return true;
    return false;
}

void prepareReadings() {
    readings().prepare();
}
