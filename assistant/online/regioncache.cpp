#include "regioncache.h"

#include "platform/log.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <cstdio>

namespace {

struct School {
    QVariant id, name, cityId;
};

// A connection of its own for the length of fn, removed afterwards.
template <typename Fn> auto withConnection(const QString& path, Fn fn) {
    const QString name = "regioncache-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    decltype(fn(std::declval<QSqlDatabase&>())) result{};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(path);
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
        if (db.open())
            result = fn(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

// Why path is no usable cache; empty when it is one.
QString flaw(const QString& path) {
    if (!QFileInfo(path).isFile())
        return "missing";
    const QString why = withConnection(path, [](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec("PRAGMA quick_check") || !q.next())
            return "not a database: " + q.lastError().text();
        if (q.value(0).toString() != "ok")
            return "damaged: " + q.value(0).toString();
        if (!q.exec("select count(*) from ProCityTbl") || !q.next())
            return "no province table: " + q.lastError().text();
        if (q.value(0).toInt() == 0)
            return QString("no provinces");
        return QString("-");
    });
    if (why.isEmpty())
        return "can not be opened";
    return why == "-" ? QString() : why;
}

// The schools of path as far as they can be read (a damaged file gives the rows before the damage).
QList<School> readableSchools(const QString& path) {
    if (!QFileInfo(path).isFile())
        return {};
    return withConnection(path, [](QSqlDatabase& db) {
        QList<School> schools;
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (q.exec("select id,name,cityId from SchoolTbl"))
            while (q.next())
                schools.append({q.value(0), q.value(1), q.value(2)});
        return schools;
    });
}

const char* const kTables[] = {
    "create table if not exists ProCityTbl(id int PRIMARY KEY,name varchar(50),parentId int)",
    "create table if not exists SchoolTbl(id int PRIMARY KEY,name varchar(50),cityId int)",
};

// Writes the schools into path (those it has stay); false on a refusal.
bool addSchools(const QString& path, const QList<School>& schools) {
    return withConnection(path, [&schools](QSqlDatabase& db) {
        QSqlQuery q(db);
        for (const char* sql : kTables)
            if (!q.exec(sql))
                return false;
        if (!db.transaction())
            return false;
        q.prepare("insert or ignore into SchoolTbl(id,name,cityId) values(?,?,?)");
        for (const School& s : schools) {
            q.addBindValue(s.id);
            q.addBindValue(s.name);
            q.addBindValue(s.cityId);
            if (!q.exec()) {
                db.rollback();
                return false;
            }
        }
        return db.commit();
    });
}

// Adds what shipped has and working lacks; the number of rows added, -1 on a refusal.
int mergeShipped(const QString& shipped, const QString& working) {
    return withConnection(working, [&shipped](QSqlDatabase& db) {
        QSqlQuery q(db);
        q.prepare("attach database ? as shipped");
        q.addBindValue(shipped);
        if (!q.exec())
            return -1;
        int added = 0;
        bool ok = db.transaction();
        for (const char* sql : {"insert or ignore into ProCityTbl(id,name,parentId) "
                                "select id,name,parentId from shipped.ProCityTbl",
                                "insert or ignore into SchoolTbl(id,name,cityId) "
                                "select id,name,cityId from shipped.SchoolTbl"}) {
            if (ok && q.exec(sql))
                added += q.numRowsAffected();
            else
                ok = false;
        }
        ok = ok ? db.commit() : (db.rollback(), false);
        q.exec("detach database shipped");
        return ok ? added : -1;
    });
}

bool replace(const QString& from, const QString& to) {
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(to + suffix);
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

namespace regioncache {

bool prepare(const QString& shipped, const QString& working) {
    const QString workingFlaw = flaw(working);
    const QString shippedFlaw = flaw(shipped);
    if (workingFlaw.isEmpty()) {
        if (!shippedFlaw.isEmpty()) {
            TLOG_ERROR("the shipped region cache " << shipped << " is " << shippedFlaw
                                                   << "; the working copy stays");
            return true;
        }
        const int added = mergeShipped(shipped, working);
        if (added > 0)
            TLOG_INFO("region cache: " << added << " rows added from the shipped copy " << shipped);
        else if (added < 0)
            TLOG_ERROR("region cache: the shipped copy " << shipped << " could not be merged");
        return true;
    }

    const bool existed = QFileInfo::exists(working);
    const QList<School> kept = readableSchools(working);
    const QString fresh = working + ".new";
    QFile::remove(fresh);
    bool made = shippedFlaw.isEmpty() ? QFile::copy(shipped, fresh) : QFile(fresh).open(QIODevice::WriteOnly);
    if (made)
        QFile::setPermissions(fresh, QFile::permissions(fresh) | QFileDevice::WriteOwner);
    made = made && addSchools(fresh, kept);
    if (existed) {
        QFile::remove(working + ".damaged");
        QFile::rename(working, working + ".damaged");
    }
    if (!made || !replace(fresh, working)) {
        QFile::remove(fresh);
        TLOG_ERROR("region cache " << working << " " << workingFlaw << ", and could not be made again");
        return false;
    }
    if (!shippedFlaw.isEmpty()) {
        TLOG_ERROR("region cache " << working << " " << workingFlaw << "; the shipped copy " << shipped
                                   << " is " << shippedFlaw << ": an empty cache with " << kept.size()
                                   << " schools");
        return false;
    }
    if (existed)
        TLOG_ERROR("region cache " << working << " " << workingFlaw << ": made again from the shipped copy, "
                                   << kept.size() << " schools kept, the old file set aside");
    else
        TLOG_INFO("region cache made from the shipped copy " << shipped);
    return true;
}

} // namespace regioncache
