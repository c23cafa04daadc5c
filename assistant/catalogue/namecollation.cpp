#include "namecollation.h"

#include "platform/log.h"

#include <QCollator>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QVariant>
#include <sqlite3.h>

namespace {

int compareNames(void* collator, int len1, const void* s1, int len2, const void* s2) {
    // SQLITE_UTF16 hands both texts over in the machine's byte order.
    const QString a = QString::fromRawData(static_cast<const QChar*>(s1), len1 / 2);
    const QString b = QString::fromRawData(static_cast<const QChar*>(s2), len2 / 2);
    const int byCollator = static_cast<QCollator*>(collator)->compare(a, b);
    // Names the collator finds equal still need a fixed order among them.
    return byCollator != 0 ? byCollator : a.compare(b);
}

void dropCollator(void* collator) {
    delete static_cast<QCollator*>(collator);
}

} // namespace

bool installNameCollation(QSqlDatabase& db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        TLOG_ERROR("name collation not installed: no SQLite connection");
        return false;
    }
    sqlite3* sqlite = *static_cast<sqlite3* const*>(handle.data());
    if (!sqlite) {
        TLOG_ERROR("name collation not installed: connection not open");
        return false;
    }
    // One collator a connection: a connection serves one thread.
    auto* collator = new QCollator(QLocale(QLocale::Chinese, QLocale::China));
    collator->setNumericMode(true);
    collator->setCaseSensitivity(Qt::CaseInsensitive);
    const int rc =
        sqlite3_create_collation_v2(sqlite, "names", SQLITE_UTF16, collator, compareNames, dropCollator);
    if (rc != SQLITE_OK) {
        // sqlite3_create_collation_v2 calls the destructor itself when it fails.
        TLOG_ERROR("name collation not installed: " << sqlite3_errstr(rc));
        return false;
    }
    return true;
}
