#include "upgrade.h"
#include "sharedinstall.h"

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "platform/faultpoint.h"
#include "platform/log.h"
#include "safepath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopedPointer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

const char* const kOldVersion = "2.0.8";

// Copies never overwrite; a missing source just leaves the row without its file.
void copyInto(const DataPaths& paths, const QString& source, const QString& folder, const QString& relative,
              bool makeFolder) {
    if (relative.isEmpty())
        return;
    const QString target = pathInside(paths, folder, relative);
    if (target.isEmpty()) {
        TLOG_ERROR("old data names a path outside the data folders, not copied: " << relative);
        return;
    }
    if (makeFolder)
        QDir().mkpath(QFileInfo(target).absolutePath());
    if (QFile::copy(source, target))
        sharedinstall::shareTree(QFile::encodeName(target).toStdString());
}

int copyOldCatalogue(const DataPaths& paths, QSqlDatabase& old, const QString& backup) {
    DB db(paths.mainDbPath, "default");
    if (!db.open())
        return -1; // nothing copied: the backup must stay
    const QString iconDir = backup + "/data/icons/";
    {
        QSqlQuery q(old);
        if (!q.exec("select * from PackTbl")) {
            TLOG_ERROR("get packs failed:" << q.lastError().text());
            return -1;
        }
        while (q.next()) {
            const QScopedPointer<TaviPack> read(DB::packFromRecord(q.record()));
            TaviPack& pack = *read;
            copyInto(paths, iconDir + pack.icon, paths.packIconDir, pack.icon, false);
            db.addPack(&pack);
            faultpoint::step("upgrade pack copied");
        }
    }
    {
        QSqlQuery q(old);
        if (!q.exec("select * from AppTbl")) {
            TLOG_ERROR("get apps failed:" << q.lastError().text());
            return -1;
        }
        // The older catalogue knew a resource by its appId; the row of the
        // new one keeps that as productId, with the pack and the favourite.
        const AppRowReader reader(q.record());
        while (q.next()) {
            const QScopedPointer<_TaviApp> read(reader.read(q));
            _TaviApp& app = *read;
            app.productId = app.appId;
            app.appId = 0;
            app.packId = q.value("packId").toString();
            app.isUserFile = false;
            app.isExternal = false;
            copyInto(paths, iconDir + app.icon, paths.appIconDir, app.icon, false);
            copyInto(paths, backup + "/data/" + app.path, paths.appsDir, app.path, true);
            faultpoint::step("upgrade resource copied");
            if (!db.addApp(&app) || !app.favor)
                continue;
            // The publisher insert leaves favourites out; they are carried over by the new row's id.
            DataSet<TaviApp> added;
            if (db.getApps(QString("select * from AppTbl where productId = %1").arg(app.productId), &added) &&
                !added.isEmpty())
                db.setFavorApp(added.first()->appId, true);
        }
    }
    return 0;
}

} // namespace

int doUpdate(QString& lastVersion) {
    const DataPaths paths(QCoreApplication::applicationDirPath());
    return doUpdate(lastVersion, paths);
}

int doUpdate(QString& lastVersion, const DataPaths& paths) {
    TLOG_INFO("update from:" << lastVersion);
    if (lastVersion != kOldVersion)
        return -1;

    const QString root = paths.rootDir;
    const QString backup = root + "/" + kOldVersion;
    QDir().mkpath(backup);
    // Each step checks what is done already: a start after a power cut takes
    // the upgrade up where it stopped.
    if (QFileInfo::exists(root + "/assistantdata.ini") && !QFileInfo::exists(backup + "/assistantdata.ini"))
        QFile::rename(root + "/assistantdata.ini", backup + "/assistantdata.ini");
    faultpoint::step("upgrade settings moved");
    if (QFileInfo::exists(root + "/data") && !QFileInfo::exists(backup + "/data") &&
        !QDir().rename(root + "/data", backup + "/data")) {
        // The data stays where it is, untouched.
        TLOG_ERROR("move old data failed: " << root + "/data");
        return 0;
    }
    faultpoint::step("upgrade data moved");

    paths.makeDirs();
    if (!QFileInfo::exists(paths.mainDbPath))
        DB::create(paths.mainDbPath);
    faultpoint::step("upgrade catalogue made");

    int copied = -1;
    {
        QSqlDatabase old = QSqlDatabase::addDatabase("QSQLITE", kOldVersion);
        old.setDatabaseName(QString("%1/data/main.db").arg(backup));
        // Read only: a missing old catalogue must not be created empty.
        old.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (!old.open() || !QSqlQuery(old).exec("select count(*) from sqlite_master")) {
            TLOG_ERROR("open old db failed");
        } else {
            copied = copyOldCatalogue(paths, old, backup);
        }
        old.close();
    }
    QSqlDatabase::removeDatabase(kOldVersion);

    if (copied == 0 && !QFileInfo(backup).isSymLink()) {
        // Renamed before it goes: a folder half deleted is never taken for an upgrade to resume.
        const QString done = backup + ".done";
        QDir(done).removeRecursively();
        if (QDir().rename(backup, done)) {
            faultpoint::step("upgrade backup retired");
            QDir(done).removeRecursively();
        }
    }
    return 0;
}

bool upgradeInterrupted(const DataPaths& paths) {
    return QFileInfo::exists(paths.rootDir + "/" + kOldVersion + "/assistantdata.ini");
}

int resumeUpgrade(const DataPaths& paths) {
    TLOG_INFO("an upgrade was cut off; taken up again");
    // A retired backup a cut-off left half deleted.
    QDir(paths.rootDir + "/" + kOldVersion + ".done").removeRecursively();
    QString version = kOldVersion;
    return doUpdate(version, paths);
}
