#include "namecollation.h"

#include "platform/log.h"
#include "sqlitefile.h"

#include <QSqlDatabase>
#include <memory>
#include <sqlite3.h>
#include <unicode/coll.h>
#include <unicode/ustring.h>

namespace {

// ICU's Chinese collation orders Han characters by pinyin; the secondary
// strength ignores capitals, numeric collation reads digits as numbers.
std::unique_ptr<icu::Collator> makeCollator() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale("zh", "CN"), status));
    if (U_FAILURE(status) || !collator) {
        TLOG_ERROR("no collator for reading order: " << u_errorName(status));
        return nullptr;
    }
    collator->setAttribute(UCOL_NORMALIZATION_MODE, UCOL_ON, status);
    collator->setAttribute(UCOL_STRENGTH, UCOL_SECONDARY, status);
    collator->setAttribute(UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, status);
    collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
    return collator;
}

// One collator a thread: ICU's collators may be shared only for reading,
// and a thread never waits for another one's comparisons.
icu::Collator* threadCollator() {
    thread_local std::unique_ptr<icu::Collator> collator = makeCollator();
    return collator.get();
}

int compareNames(void* collator, int len1, const void* s1, int len2, const void* s2) {
    // SQLITE_UTF16 hands both texts over in the machine's byte order.
    const auto* a = static_cast<const UChar*>(s1);
    const auto* b = static_cast<const UChar*>(s2);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult byCollator =
        static_cast<icu::Collator*>(collator)->compare(a, len1 / 2, b, len2 / 2, status);
    if (byCollator != UCOL_EQUAL)
        return byCollator == UCOL_LESS ? -1 : 1;
    // Names the collator finds equal still need a fixed order among them:
    // code points, as the bytes of a sort key end in the name's UTF-8.
    return u_strCompare(a, len1 / 2, b, len2 / 2, true);
}

void dropCollator(void* collator) {
    delete static_cast<icu::Collator*>(collator);
}

} // namespace

bool installNameCollation(QSqlDatabase& db) {
    sqlite3* sqlite = sqliteHandle(db);
    if (!sqlite) {
        TLOG_ERROR("name collation not installed: no open SQLite connection");
        return false;
    }
    // One collator a connection: a connection serves one thread.
    std::unique_ptr<icu::Collator> collator = makeCollator();
    if (!collator)
        return false;
    const int rc = sqlite3_create_collation_v2(sqlite, "names", SQLITE_UTF16, collator.release(),
                                               compareNames, dropCollator);
    if (rc != SQLITE_OK) {
        // sqlite3_create_collation_v2 calls the destructor itself when it fails.
        TLOG_ERROR("name collation not installed: " << sqlite3_errstr(rc));
        return false;
    }
    return true;
}

QByteArray nameSortKey(const QString& name) {
    QByteArray key;
    if (icu::Collator* collator = threadCollator()) {
        const icu::UnicodeString text(false, reinterpret_cast<const UChar*>(name.utf16()), name.size());
        uint8_t buffer[256];
        const int32_t length = collator->getSortKey(text, buffer, sizeof buffer);
        if (length <= int32_t(sizeof buffer)) {
            key = QByteArray(reinterpret_cast<const char*>(buffer), length);
        } else {
            key.resize(length);
            collator->getSortKey(text, reinterpret_cast<uint8_t*>(key.data()), length);
        }
    }
    // ICU's key ends in a zero byte and holds none before it, so a key that
    // is a prefix of another still sorts first with the name appended; the
    // name's UTF-8 then orders equal keys by code point.
    return key + name.toUtf8();
}
