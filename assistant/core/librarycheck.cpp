#include "librarycheck.h"

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "packs/extract.h"
#include "packs/librarychange.h"
#include "packs/safepath.h"
#include "platform/log.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutexLocker>
#include <QSet>
#include <atomic>

namespace librarycheck {

namespace {

constexpr int kOrphanDays = 30;
std::atomic<bool> g_stop{false};

bool stopping() {
    return g_stop.load();
}

QString clean(const QString& p) {
    return QDir::cleanPath(p);
}

// What the catalogue names: every file and icon, and the folders books were
// unpacked into beside their archives.
struct Named {
    QSet<QString> files;
    QStringList folders;               // owned with everything below them
    QHash<QString, QString> resources; // a resource's file and its name
};

Named namedByCatalogue(DB& db, const DataPaths& paths) {
    Named named;
    QList<DB::AppFile> apps;
    db.appFiles(apps);
    for (const DB::AppFile& app : apps) {
        const QString folder = paths.folderOf(app.isUserFile, app.isExternal);
        if (!app.path.isEmpty()) {
            const QString file = clean(folder + "/" + app.path);
            named.files.insert(file);
            named.resources.insert(file, app.name);
            if (!app.isUserFile && (app.proType == "books" || app.proType == "courseware"))
                named.folders << clean(unpackFolderBeside(file));
        }
        if (!app.icon.isEmpty())
            named.files.insert(clean(paths.appIconDir + "/" + app.icon));
    }
    _PackSearchPara para;
    para.orderBy = 2;
    unsigned count = 0;
    DataSet<TaviPack> packs;
    db.searchPacks(&para, count, &packs);
    for (const TaviPackPtr& pack : packs)
        if (!pack->icon.isEmpty())
            named.files.insert(clean(paths.packIconDir + "/" + pack->icon));
    return named;
}

bool insideOwnedFolder(const QString& file, const QStringList& folders) {
    for (const QString& f : folders)
        if (file.startsWith(f + "/"))
            return true;
    return false;
}

int renameBack(const DataPaths& paths, const QList<DB::AppFile>& media);

// A song an older client renamed to its display name around the player's
// wait, and never renamed back (the client was closed or killed meanwhile).
int renameLeftoversBack(DB& db, const DataPaths& paths) {
    int renamed = 0;
    for (const char* kind : {"music", "video"}) {
        QList<DB::AppFile> media;
        db.appFiles(media, kind);
        renamed += renameBack(paths, media);
    }
    return renamed;
}

int renameBack(const DataPaths& paths, const QList<DB::AppFile>& media) {
    int renamed = 0;
    for (const DB::AppFile& app : media) {
        const QString stored = pathInside(paths, paths.appsDir, app.path);
        const QString name = QFileInfo(app.fileName).fileName();
        if (stored.isEmpty() || name.isEmpty() || QFileInfo::exists(stored))
            continue;
        const QString shown = QFileInfo(stored).absolutePath() + "/" + name;
        if (QFileInfo(shown).isFile() && !QFileInfo(shown).isSymLink() && renameNoReplace(shown, stored)) {
            TLOG_INFO("a file left under its display name has its stored name again: " << app.path);
            ++renamed;
        }
    }
    return renamed;
}

QStringList moveOrphansAside(const DataPaths& paths, const Named& named, QSet<QString>& seen) {
    QStringList moved;
    const QString aside =
        paths.tempDir + "/orphans/" + QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss");
    for (const QString& folder :
         {paths.appsDir, paths.appIconDir, paths.packIconDir, paths.customPackDir, paths.externalDir}) {
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        QStringList orphans;
        while (it.hasNext() && !stopping()) {
            const QString file = clean(it.next());
            seen.insert(file);
            if (!named.files.contains(file) && !insideOwnedFolder(file, named.folders))
                orphans << file;
        }
        for (const QString& file : orphans) {
            const QString relative = QDir(paths.dataDir).relativeFilePath(file);
            const QString target = aside + "/" + relative;
            QDir().mkpath(QFileInfo(target).absolutePath());
            if (QFile::rename(file, target)) {
                moved << relative;
                // The folders it leaves empty go with it.
                QString dir = QFileInfo(file).absolutePath();
                while (dir != clean(folder) && dir.startsWith(clean(folder) + "/") && QDir().rmdir(dir))
                    dir = QFileInfo(dir).absolutePath();
            }
        }
    }
    return moved;
}

void clearOldOrphans(const DataPaths& paths) {
    const QDateTime limit = QDateTime::currentDateTime().addDays(-kOrphanDays);
    for (const QFileInfo& batch :
         QDir(paths.tempDir + "/orphans").entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (!batch.isSymLink() && batch.lastModified() < limit)
            QDir(batch.absoluteFilePath()).removeRecursively();
}

} // namespace

Report tidy(DB& db, const DataPaths& paths) {
    QMutexLocker lock(&LibraryChange::libraryLock());
    Report report;
    if (!db.isOpen())
        return report;
    report.journals = LibraryChange::recover(db, paths);
    // What a cut-off import unpacked, and the links the players had.
    removeFolderInside(paths, paths.tempDir + "/import");
    removeFolderInside(paths, paths.tempDir + "/player");
    report.userRowsMerged = db.mendUserRows();
    return report;
}

void scan(DB& db, const DataPaths& paths, Report& report) {
    QMutexLocker lock(&LibraryChange::libraryLock());
    QElapsedTimer clock;
    clock.start();
    if (!db.isOpen() || stopping())
        return;
    report.renamedBack = renameLeftoversBack(db, paths);

    if (stopping())
        return;
    const Named named = namedByCatalogue(db, paths);
    QSet<QString> seen;
    report.orphans = moveOrphansAside(paths, named, seen);
    if (stopping()) {
        TLOG_INFO("library check stopped: the client is ending");
        return;
    }
    for (auto it = named.resources.constBegin(); it != named.resources.constEnd(); ++it)
        if (!seen.contains(it.key()))
            report.missingFiles << it.value();
    for (const QString& o : report.orphans)
        TLOG_INFO("a file no resource names was moved aside into temp/orphans: " << o);
    clearOldOrphans(paths);

    if (!report.missingFiles.isEmpty())
        TLOG_INFO(report.missingFiles.size()
                  << " resources have no file (the first: " << report.missingFiles.first()
                  << "); they stay in the catalogue");
    TLOG_INFO("library checked in " << clock.elapsed() << " ms: " << report.journals << " cut-off changes, "
                                    << report.orphans.size() << " files moved aside, " << report.renamedBack
                                    << " renamed back, " << report.userRowsMerged << " user rows merged");
}

Report run(DB& db, const DataPaths& paths) {
    Report report = tidy(db, paths);
    scan(db, paths, report);
    return report;
}

void requestStop() {
    g_stop.store(true);
}

} // namespace librarycheck
