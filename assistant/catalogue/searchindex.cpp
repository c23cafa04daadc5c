#include "searchindex.h"

#include "namecollation.h"
#include "platform/log.h"
#include "sqlitefile.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstring>
#include <functional>
#include <unicode/uversion.h>
#include <unordered_map>
#include <vector>

namespace {

// Bump when the rows would come out differently (readings, folding, keys).
const char* const kFormsVersion = "1";

QString formsVersion() {
    UVersionInfo icu;
    u_getVersion(icu);
    char text[U_MAX_VERSION_STRING_LENGTH];
    u_versionToString(icu, text);
    return QString("%1 icu %2").arg(kFormsVersion, text);
}

// The keys that start with prefix lie between prefix and prefix + 0xFF: UTF-8
// never holds that byte, so no such key reaches it, and every other key above
// prefix lies above it too.
QByteArray pastPrefix(const QByteArray& prefix) {
    return prefix + '\xff';
}

QByteArray keyPrefix(const QString& text) {
    const QVector<uint> cps = text.toUcs4();
    return QString::fromUcs4(cps.constData(), std::min(int(cps.size()), kMaxKeyLength)).toUtf8();
}

bool longerThanKeys(const QString& text) {
    return text.toUcs4().size() >= kMaxKeyLength;
}

// A mark per resource: its rank in a search, or whether a filter lets it
// through. Dense for the ids a catalogue has; a hash should a tool have
// written ids far beyond them.
class Marks {
public:
    static constexpr quint8 kNone = 0xff;
    explicit Marks(qint64 maxId) {
        if (maxId >= 0 && maxId < (1 << 24))
            m_dense.assign(size_t(maxId) + 1, kNone);
    }
    quint8 get(qint64 id) const {
        if (!m_dense.empty())
            return id >= 0 && size_t(id) < m_dense.size() ? m_dense[size_t(id)] : kNone;
        const auto it = m_sparse.find(id);
        return it == m_sparse.end() ? kNone : it->second;
    }
    void set(qint64 id, quint8 mark) {
        if (!m_dense.empty()) {
            if (id >= 0 && size_t(id) < m_dense.size())
                m_dense[size_t(id)] = mark;
        } else {
            m_sparse[id] = mark;
        }
    }

private:
    std::vector<quint8> m_dense;
    std::unordered_map<qint64, quint8> m_sparse;
};

constexpr int kKeysPerInsert = 32;

// "INSERT ... VALUES(?2,?3,?1),(?4,?5,?1)..." for n keys of the resource ?1.
const QByteArray& keyInsert(int n) {
    static const QVector<QByteArray> statements = [] {
        QVector<QByteArray> all(kKeysPerInsert + 1);
        for (int count = 1; count <= kKeysPerInsert; ++count) {
            QByteArray sql = "INSERT OR IGNORE INTO AppSearchKeyTbl(kind,key,appId) VALUES";
            for (int i = 0; i < count; ++i)
                sql += (i ? "," : "") + QByteArray("(?") + QByteArray::number(2 + 2 * i) + ",?" +
                       QByteArray::number(3 + 2 * i) + ",?1)";
            all[count] = sql;
        }
        return all;
    }();
    return statements[n];
}

// What a walk of the rows in reading order costs per row, against looking up
// one match's sort key (both in the same unit, measured on the catalogue
// benchmark).
constexpr double kWalkCost = 0.2;
constexpr double kLookupCost = 1.0;

struct Keyed {
    QByteArray sortKey;
    qint64 appId;
};

bool before(const Keyed& a, const Keyed& b) {
    const int common = std::min(a.sortKey.size(), b.sortKey.size());
    const int c = std::memcmp(a.sortKey.constData(), b.sortKey.constData(), size_t(common));
    if (c != 0)
        return c < 0;
    if (a.sortKey.size() != b.sortKey.size())
        return a.sortKey.size() < b.sortKey.size();
    return a.appId < b.appId;
}

} // namespace

bool SearchIndex::createTables() {
    QSqlQuery q(m_file.connection());
    // A table gone (a tool that copies only what it knows) leaves the other
    // one incomplete: both are made anew.
    int present = 0;
    if (q.exec("select count(*) from sqlite_master where type = 'table' and "
               "name in ('AppSearchTbl','AppSearchKeyTbl')") &&
        q.next())
        present = q.value(0).toInt();
    q.finish();
    // Stored in reading order: a walk of the table is the list a teacher reads.
    if (!q.exec("create table if not exists AppSearchTbl(sortKey BLOB,appId INTEGER,name TEXT,folded TEXT,"
                "readings TEXT,PRIMARY KEY(sortKey,appId)) WITHOUT ROWID") ||
        !q.exec("create index if not exists AppSearchTbl_app on AppSearchTbl(appId,name)") ||
        !q.exec("create table if not exists AppSearchKeyTbl(kind INTEGER,key BLOB,appId INTEGER,"
                "PRIMARY KEY(kind,key,appId)) WITHOUT ROWID") ||
        !q.exec("create table if not exists AppSearchInfoTbl(name TEXT PRIMARY KEY,value TEXT)") ||
        (present != 2 && !q.exec("DELETE FROM AppSearchInfoTbl"))) {
        TLOG_ERROR("create search index failed:" << q.lastError().text());
        return false;
    }
    return true;
}

bool SearchIndex::sync() {
    m_ready.store(false);
    if (!createTables())
        return false;
    QElapsedTimer timer;
    timer.start();
    if (!m_file.beginBatch())
        return false;
    bool ok = true;
    // Rows made another way (another ICU reads and sorts differently) go.
    const QString version = formsVersion();
    {
        SqliteStatement made(m_file, "SELECT value FROM AppSearchInfoTbl WHERE name = 'forms'",
                             "read search index failed:");
        const QString stored = made.next() ? made.text(0) : QString();
        if (stored != version) {
            made.reset();
            QSqlQuery q(m_file.connection());
            ok = q.exec("DELETE FROM AppSearchKeyTbl") && q.exec("DELETE FROM AppSearchTbl");
            q.prepare("INSERT OR REPLACE INTO AppSearchInfoTbl(name,value) VALUES('forms',?)");
            q.addBindValue(version);
            ok = ok && q.exec();
            if (!stored.isEmpty())
                TLOG_INFO("search index made with " << stored << ", made anew with " << version);
        }
    }
    // Both tables in appId order side by side: rows whose resource went or
    // was renamed go, resources without a row get one.
    QVector<qint64> stale;
    QVector<QPair<qint64, QString>> missing;
    if (ok) {
        SqliteStatement apps(m_file, "SELECT appId, name FROM AppTbl ORDER BY appId",
                             "read resources failed:");
        SqliteStatement rows(m_file, "SELECT appId, name FROM AppSearchTbl ORDER BY appId",
                             "read search index failed:");
        bool app = apps.next(), row = rows.next();
        while (app || row) {
            const qint64 appId = app ? apps.integer(0) : 0, rowId = row ? rows.integer(0) : 0;
            if (app && (!row || appId < rowId)) {
                missing.append({appId, apps.text(1)});
                app = apps.next();
            } else if (row && (!app || rowId < appId)) {
                stale.append(rowId);
                row = rows.next();
            } else {
                if (apps.bytes(1) != rows.bytes(1)) {
                    stale.append(rowId);
                    missing.append({appId, apps.text(1)});
                }
                app = apps.next();
                row = rows.next();
            }
        }
        ok = !apps.failed() && !rows.failed();
    }
    if (ok && (!stale.isEmpty() || !missing.isEmpty())) {
        // A whole library at once: its keys fit the page cache, instead of
        // each insert reading pages from the disk.
        QSqlQuery q(m_file.connection());
        const bool large = missing.size() > 2000;
        if (large)
            q.exec("PRAGMA cache_size = -131072");
        for (qint64 id : qAsConst(stale))
            ok = ok && remove(id);
        for (const auto& [id, name] : qAsConst(missing))
            ok = ok && add(id, name);
        if (large)
            q.exec("PRAGMA cache_size = -2000");
    }
    if (!ok) {
        m_file.cancelBatch();
        TLOG_ERROR("search index not brought up to date; searches go without it");
        return false;
    }
    if (!m_file.endBatch())
        return false;
    if (!stale.isEmpty() || !missing.isEmpty())
        TLOG_INFO("search index: " << missing.size() << " resources added, " << stale.size()
                                   << " rows taken away in " << timer.elapsed() << " ms");
    m_ready.store(true);
    return true;
}

bool SearchIndex::add(qint64 appId, const QString& name) {
    const NameForms forms = nameForms(name);
    SqliteStatement row(m_file,
                        "INSERT INTO AppSearchTbl(sortKey,appId,name,folded,readings) VALUES(?1,?2,?3,?4,?5)",
                        "index resource failed:");
    row.bindBlob(1, nameSortKey(name));
    row.bind(2, appId);
    row.bindText(3, name);
    row.bindText(4, forms.folded);
    row.bindText(5, joinedReadings(forms.tokens));
    if (!row.run())
        return false;
    // The keys of a name in one statement (a statement per key would cost
    // more than the keys), a statement per count of keys, kept for the batch.
    const QVector<SearchKey> keys = searchKeys(forms);
    for (int from = 0; from < keys.size(); from += kKeysPerInsert) {
        const int n = std::min(int(keys.size()) - from, kKeysPerInsert);
        SqliteStatement insert(m_file, keyInsert(n).constData(), "index resource failed:");
        insert.bind(1, appId);
        for (int i = 0; i < n; ++i) {
            insert.bind(2 + 2 * i, keys[from + i].kind);
            insert.bindBlob(3 + 2 * i, keys[from + i].key);
        }
        if (!insert.run())
            return false;
    }
    return true;
}

bool SearchIndex::remove(qint64 appId) {
    SqliteStatement row(m_file, "SELECT sortKey, folded, readings FROM AppSearchTbl WHERE appId = ?1",
                        "unindex resource failed:");
    row.bind(1, appId);
    if (!row.next())
        return !row.failed();
    const QByteArray sortKey = row.bytes(0);
    NameForms forms;
    const bool readable = storedForms(row.text(1), row.text(2), forms);
    row.reset();
    if (readable) {
        // The keys follow from the row: no index over the keys' resources needed.
        SqliteStatement key(m_file, "DELETE FROM AppSearchKeyTbl WHERE kind = ?1 AND key = ?2 AND appId = ?3",
                            "unindex resource failed:");
        key.bind(3, appId);
        for (const SearchKey& k : searchKeys(forms)) {
            key.bind(1, k.kind);
            key.bindBlob(2, k.key);
            if (!key.run())
                return false;
        }
    } else {
        TLOG_ERROR("search index row of resource " << appId
                                                   << " is damaged; its keys are looked for one by one");
        SqliteStatement keys(m_file, "DELETE FROM AppSearchKeyTbl WHERE appId = ?1",
                             "unindex resource failed:");
        keys.bind(1, appId);
        if (!keys.run())
            return false;
    }
    SqliteStatement gone(m_file, "DELETE FROM AppSearchTbl WHERE sortKey = ?1 AND appId = ?2",
                         "unindex resource failed:");
    gone.bindBlob(1, sortKey);
    gone.bind(2, appId);
    return gone.run();
}

bool SearchIndex::search(const SearchText& text, const Filter& filter, unsigned limit, unsigned offset,
                         bool descending, unsigned& count, QVector<qint64>& appIds) {
    count = 0;
    appIds.clear();
    qint64 maxId = -1;
    {
        SqliteStatement last(m_file, "SELECT max(appId) FROM AppSearchTbl", "query app count failed:");
        if (!last.next())
            return false;
        maxId = last.integer(0);
    }
    if (maxId <= 0)
        return true;

    // Only the resources a type or pack filter lets through.
    const bool filtered = !filter.proType.isEmpty() || !filter.packId.isEmpty();
    Marks allowed(filtered ? maxId : -1);
    if (filtered) {
        QByteArray sql = "SELECT appId FROM AppTbl WHERE 1";
        if (!filter.proType.isEmpty())
            sql += " AND proType = ?1";
        if (!filter.packId.isEmpty())
            sql += " AND packId = ?2";
        SqliteStatement through(m_file, sql.constData(), "query app count failed:");
        if (!filter.proType.isEmpty())
            through.bindText(1, filter.proType);
        if (!filter.packId.isEmpty())
            through.bindText(2, filter.packId);
        while (through.next())
            allowed.set(through.integer(0), 1);
        if (through.failed())
            return false;
    }

    // Each match gets the first rank it is found in: the lookups go from
    // whole names to readings.
    Marks ranks(maxId);
    std::vector<qint64> ranked[4];
    auto mark = [&](qint64 id, int rank) {
        if ((filtered && allowed.get(id) == Marks::kNone) || ranks.get(id) != Marks::kNone)
            return;
        ranks.set(id, quint8(rank));
        ranked[rank].push_back(id);
    };
    // One lookup: the keys of a kind that start with prefix; with the row's
    // folded name and readings when the keys only preselect.
    auto lookup = [&](int kind, const QString& typed, bool check,
                      const std::function<void(qint64, int, const NameForms&)>& found) {
        const QByteArray prefix = keyPrefix(typed);
        SqliteStatement keys(
            m_file,
            check ? "SELECT k.appId, length(k.key), s.folded, s.readings FROM AppSearchKeyTbl k "
                    "CROSS JOIN AppSearchTbl s ON s.appId = k.appId "
                    "WHERE k.kind = ?1 AND k.key >= ?2 AND k.key < ?3"
                  : "SELECT appId, length(key) FROM AppSearchKeyTbl "
                    "WHERE kind = ?1 AND key >= ?2 AND key < ?3",
            "query app count failed:");
        keys.bind(1, kind);
        keys.bindBlob(2, prefix);
        keys.bindBlob(3, pastPrefix(prefix));
        NameForms forms;
        while (keys.next()) {
            if (check && !storedForms(keys.text(2), keys.text(3), forms))
                continue;
            found(keys.integer(0), int(keys.integer(1)), forms);
        }
        return !keys.failed();
    };

    const QString& literal = text.literal;
    const bool checkLiteral = longerThanKeys(literal);
    const int literalBytes = literal.toUtf8().size();
    bool ok =
        lookup(WholeNameKey, literal, checkLiteral, [&](qint64 id, int keyBytes, const NameForms& forms) {
            if (!checkLiteral)
                mark(id, keyBytes == literalBytes ? 0 : 1);
            else if (forms.folded.startsWith(literal))
                mark(id, forms.folded == literal ? 0 : 1);
        });
    ok = ok && lookup(NameTailKey, literal, checkLiteral, [&](qint64 id, int, const NameForms& forms) {
             if (!checkLiteral || forms.folded.contains(literal))
                 mark(id, 2);
         });
    if (!text.initials.isEmpty()) {
        const bool check = text.verify || longerThanKeys(text.initials) || longerThanKeys(text.pinyin);
        auto byReading = [&](qint64 id, int, const NameForms& forms) {
            if (!check || readingMatch(forms, text))
                mark(id, 3);
        };
        ok = ok && lookup(InitialsKey, text.initials, check, byReading);
        // One letter typed: a reading that starts with it starts an initials
        // key too (the broadest search there is need not look twice).
        if (text.pinyin.toUcs4().size() > 1)
            ok = ok && lookup(PinyinKey, text.pinyin, check, byReading);
    }
    if (!ok)
        return false;

    for (const auto& r : ranked)
        count += unsigned(r.size());
    const unsigned end = limit != 0 ? std::min(count, offset + limit) : count;
    unsigned base = 0;
    for (int rank = 0; rank < 4 && offset < end; ++rank) {
        const std::vector<qint64>& ids = ranked[rank];
        const unsigned size = unsigned(ids.size());
        const unsigned from = std::max(offset, base), to = std::min(end, base + size);
        base += size;
        if (from >= to)
            continue;
        const unsigned first = from - (base - size), last = to - (base - size);
        // Either walk the rows in reading order until the page's last match of
        // this rank, or look up the sort key of every match and sort: which
        // costs less depends on how thinly the matches are spread.
        const double walked = double(last) * double(maxId) / double(size);
        if (walked * kWalkCost < double(size) * kLookupCost) {
            SqliteStatement walk(m_file,
                                 descending
                                     ? "SELECT appId FROM AppSearchTbl ORDER BY sortKey DESC, appId DESC"
                                     : "SELECT appId FROM AppSearchTbl ORDER BY sortKey, appId",
                                 "search apps failed:");
            unsigned at = 0;
            while (at < last && walk.next()) {
                const qint64 id = walk.integer(0);
                if (ranks.get(id) != rank)
                    continue;
                if (at >= first)
                    appIds.append(id);
                ++at;
            }
            if (walk.failed())
                return false;
        } else {
            SqliteStatement keyOf(m_file, "SELECT sortKey FROM AppSearchTbl WHERE appId = ?1",
                                  "search apps failed:");
            std::vector<Keyed> keyed;
            keyed.reserve(ids.size());
            for (qint64 id : ids) {
                keyOf.bind(1, id);
                if (keyOf.next())
                    keyed.push_back({keyOf.bytes(0), id});
                keyOf.reset();
                if (keyOf.failed())
                    return false;
            }
            auto order = [descending](const Keyed& a, const Keyed& b) {
                return descending ? before(b, a) : before(a, b);
            };
            const size_t stop = std::min(keyed.size(), size_t(last));
            std::partial_sort(keyed.begin(), keyed.begin() + stop, keyed.end(), order);
            for (size_t i = first; i < stop; ++i)
                appIds.append(keyed[i].appId);
        }
    }
    return true;
}
