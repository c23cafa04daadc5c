#pragma once
// The catalogue's search index, beside AppTbl (which stays exactly as older
// clients and tools know it, and which they may still write):
//
// - AppSearchTbl: per resource its sort key (reading order as bytes, see
//   namecollation.h), the name the row was made from, the folded name and
//   its readings; stored in reading order, so a list in that order is a walk;
// - AppSearchKeyTbl: the keys of every way of typing the name (nameforms.h),
//   so that a search is a few range lookups however large the library;
// - AppSearchInfoTbl: how the rows were made (the ICU version): rows made
//   another way are made anew.
//
// The catalogue keeps it in step in the transaction of each change it makes;
// sync() (run by DB::setup at every start) mends what others wrote meanwhile.

#include "nameforms.h"

#include <QString>
#include <QVector>
#include <atomic>

class SqliteFile;

class SearchIndex {
public:
    explicit SearchIndex(SqliteFile& file) : m_file(file) {}

    // Creates the tables where missing and brings the rows in step with
    // AppTbl. Until it has run, searches go without the index and changes
    // leave it alone (the next sync catches up).
    bool sync();
    bool ready() const { return m_ready.load(); }
    void forget() { m_ready.store(false); }

    // The rows of one resource, made or taken away, inside the caller's
    // transaction; add() expects none there (remove() first when renaming).
    bool add(qint64 appId, const QString& name);
    bool remove(qint64 appId);

    struct Filter {
        QString proType;
        QString packId;
    };
    // Matches of text: whole names first, then names that start with it, then
    // names that contain it, then matches by reading; each group in reading
    // order (reversed when descending). count is all of them, appIds the page.
    bool search(const SearchText& text, const Filter& filter, unsigned limit, unsigned offset,
                bool descending, unsigned& count, QVector<qint64>& appIds);

private:
    bool createTables();

    SqliteFile& m_file;
    std::atomic<bool> m_ready{false};
};
