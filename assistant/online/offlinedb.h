#pragma once
// The region cache "offline.db": every province and city (shipped with the
// client) and the schools of the cities the client has fetched, in a SQLite
// file of its own.
//
// It is used from the interface thread (the profile page's lists) and from
// Core's worker thread (names of the user's numbers, the rebuild job). Qt
// binds a connection to the thread that opened it, so each thread gets its own
// connection to the file: the opening thread keeps the given name, other
// threads get a clone named after it and the thread. A busy time-out lets one
// thread wait for another's write instead of failing.

#include "netrecords.h"

#include "catalogue/sqlitefile.h"

#include <QString>

class OfflineDB {
public:
    // Reuses the named connection if Qt already has one; does not open.
    OfflineDB(const QString& path, const QString& connectionName);
    ~OfflineDB();
    OfflineDB(const OfflineDB&) = delete;
    OfflineDB& operator=(const OfflineDB&) = delete;

    // False when already open, when the file is missing, or when SQLite
    // refuses it. Creates the tables where they are missing.
    bool open();
    // Closes every thread's connection and removes them; true also when not open.
    bool close() {
        m_file.close();
        return true;
    }
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.path(); }
    QString connectionName() const { return m_file.connectionName(); }

    // All of these return false at once when the cache is not open.
    bool addProvinceCity(_ProvCityInfo* info);
    bool clearProvinceCity();
    // Empties result, then the rows of parentId in row order (id and name).
    bool getProvinceCity(int parentId, DataSet<_ProvCityInfo>* result);
    // Fills name and parentId of info->id; true (info unchanged) when no row matches.
    bool getProvinceCityDetail(_ProvCityInfo* info);
    // Replaces a school of the same id.
    bool addSchool(_SchoolInfo* info);
    bool clearSchool();
    bool clearSchool(int cityId);
    bool getSchools(int cityId, DataSet<_SchoolInfo>* result);
    bool getSchoolDetail(_SchoolInfo* info);

    // The calling thread's changes between these as one transaction: a city's
    // schools are replaced whole or not at all, and far faster than a commit each.
    bool beginBatch() { return m_file.beginBatch(); }
    bool endBatch() { return m_file.endBatch(); }
    void cancelBatch() { m_file.cancelBatch(); }

private:
    SqliteFile m_file;
};
