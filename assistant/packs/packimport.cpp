#include "packimport.h"

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "extract.h"
#include "librarychange.h"
#include "packdb.h"
#include "packsums.h"
#include "platform/faultpoint.h"
#include "platform/log.h"
#include "safepath.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QSettings>
#include <QUuid>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace packs {

namespace {

void searchRoot(const QString& dir, QString& root) {
    const QFileInfoList entries =
        QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                                QDir::DirsFirst | QDir::Name);
    for (const QFileInfo& e : entries) {
        if (e.fileName() == "pack.ini" || e.fileName() == "pack.db")
            root = dir;
        if (e.isDir())
            searchRoot(e.absoluteFilePath(), root);
    }
}

// True when `path` is, or lies below, one of the archive's links (left out when unpacking).
bool throughLink(const QStringList& links, const QString& path) {
    if (links.isEmpty())
        return false;
    const QString clean = QDir::cleanPath(path);
    for (const QString& link : links) {
        if (clean == link || clean.startsWith(link + "/"))
            return true;
    }
    return false;
}

// Plans the moves of one unpacked pack's files into the data folders,
// checking every name on the way; the library change carries them out. A
// rename never replaces: a file already there (an icon another pack shares)
// stays.
class Mover {
public:
    Mover(const DataPaths& paths, const QString& root, const QStringList& links, LibraryChange& change)
        : m_root(root), m_links(links), m_change(change), m_sources(root), m_apps(paths, paths.appsDir),
          m_appIcons(paths, paths.appIconDir), m_packIcons(paths, paths.packIconDir) {}

    FolderGuard& apps() { return m_apps; }
    FolderGuard& appIcons() { return m_appIcons; }
    FolderGuard& packIcons() { return m_packIcons; }

    // A file of the pack (below root) and where it goes, checked: false (with
    // an ERROR line naming owner and what) when the name leads out of its
    // folder or the file is a link or anything but a plain file. A missing
    // file is no fault: the row stays without its file.
    bool check(const QString& relative, FolderGuard& folder, const QString& source, const QString& owner,
               const QString& what, QString& target) {
        target = folder.target(relative);
        if (target.isEmpty()) {
            TLOG_ERROR("path leads outside the data folders, skipped: " << owner << " " << what);
            return false;
        }
        if (throughLink(m_links, source)) {
            TLOG_ERROR("a link in the archive, skipped: " << owner << " " << what);
            return false;
        }
        const Entry entry = entryAt(source);
        if (entry == Entry::Other || (entry == Entry::File && !m_sources.hasRealFolders(source))) {
            TLOG_ERROR("not a plain file of the pack, skipped: " << owner << " " << what);
            return false;
        }
        return true;
    }
    bool checkIcon(const QString& icon, FolderGuard& icons, const QString& owner, QString& target) {
        if (icon.isEmpty())
            return true;
        return check(icon, icons, iconSource(icon), owner, "icon " + icon, target);
    }
    QString iconSource(const QString& icon) const { return m_root + "/icons/" + icon; }

    // Plans the move of a checked file (once: two resources may share one).
    void move(const QString& source, const QString& target) {
        if (target.isEmpty() || m_planned.contains(target))
            return;
        m_planned.insert(target);
        m_change.planMoveIn(source, target);
    }

    // A resource whose checks passed, and where it goes.
    struct Planned {
        TaviAppPtr app;
        QString source;
        QString target;
        QString iconTarget;
        bool moved = false;
    };

    // A top folder of the pack whose every file is a checked resource (and
    // no icon) goes over in one rename when the apps folder has no folder of
    // that name yet: the usual case of a first import, a thousand renames saved.
    void moveWholeFolders(QList<Planned>& plan) {
        QHash<QString, QList<int>> byTop;
        QSet<QString> files;
        for (int i = 0; i < plan.size(); ++i) {
            const QString relative = QDir::cleanPath(plan[i].app->path);
            if (!relative.contains('/'))
                continue;
            byTop[relative.section('/', 0, 0)] << i;
            files.insert(QDir::cleanPath(plan[i].source));
        }
        for (auto it = byTop.constBegin(); it != byTop.constEnd(); ++it) {
            const QString folder = m_root + "/" + it.key();
            const QString target = m_apps.target(it.key());
            if (target.isEmpty() || it.key() == "icons" || QFileInfo(target).exists() ||
                QFileInfo(target).isSymLink() || !onlyThese(folder, files, plan))
                continue;
            TLOG_DEBUG("folder moved whole:" << it.key() << " " << it.value().size() << " files");
            move(folder, target);
            for (int i : it.value())
                plan[i].moved = true;
        }
    }

private:
    // `folder` is a real folder of the pack holding nothing but folders and
    // the files in `files`, and no icon of a planned resource.
    bool onlyThese(const QString& folder, const QSet<QString>& files, const QList<Planned>& plan) {
        if (!m_sources.hasRealFolders(folder + "/x"))
            return false;
        for (const Planned& p : plan) {
            if (!p.app->icon.isEmpty() && iconSource(p.app->icon).startsWith(folder + "/"))
                return false;
        }
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            const QFileInfo info = it.fileInfo();
            if (info.isSymLink())
                return false;
            if (info.isDir())
                continue;
            if (!info.isFile() || !files.contains(QDir::cleanPath(info.filePath())))
                return false;
        }
        return true;
    }

    QString m_root;
    QStringList m_links;
    LibraryChange& m_change;
    SourceGuard m_sources;
    FolderGuard m_apps;
    FolderGuard m_appIcons;
    FolderGuard m_packIcons;
    QSet<QString> m_planned;
};

// Reads the old copy's record, so that its own icon and kind are what removal uses.
TaviPackPtr installedPack(DB& db, const QString& packId) {
    _PackSearchPara para;
    para.orderBy = 2;
    unsigned count = 0;
    DataSet<TaviPack> all;
    if (db.searchPacks(&para, count, &all)) {
        for (const TaviPackPtr& p : all) {
            if (p->packId == packId)
                return p;
        }
    }
    return TaviPackPtr();
}

// The name a teacher knows a pack by; its id when the record cannot be read.
QString packName(DB& db, const QString& packId) {
    const TaviPackPtr p = installedPack(db, packId);
    return p && !p->name.isEmpty() ? p->name : packId;
}

// What one import carries along: who follows it, what it reports, and the
// pack's files that failed their checksum (relative to the pack root).
struct ImportRun {
    ImportObserver* observer = nullptr;
    ImportReport* report = nullptr;
    QSet<QString> damaged;

    void progress(ImportObserver::Stage stage, int done, int total) const {
        if (observer)
            observer->advanced(stage, done, total);
    }
    bool isDamaged(const QString& relative) const { return damaged.contains(QDir::cleanPath(relative)); }
};

// Checks every file "pack.sha256" lists (in parallel: the files were just
// unpacked and are still in memory, the digest is what costs). Returns false
// when the list itself cannot be read; damaged files go into run.damaged.
bool verifyChecksums(const QString& root, const QStringList& links, ImportRun& run) {
    const QString listPath = root + "/" + packsums::kFileName;
    const QFileInfo listInfo(listPath);
    if (!listInfo.exists() && !listInfo.isSymLink())
        return true; // a pack from before the checksums
    QFile list(listPath);
    if (listInfo.isSymLink() || !listInfo.isFile() || listInfo.size() > (64 << 20) ||
        !list.open(QIODevice::ReadOnly)) {
        TLOG_ERROR("pack.sha256 can not be read: " << listPath);
        return false;
    }
    int rejected = 0;
    const auto entries = packsums::parse(list.readAll().toStdString(), &rejected);
    if (rejected > 0)
        TLOG_ERROR("pack.sha256: " << rejected << " lines are no checksum of a file of the pack, ignored");

    struct Check {
        QString relative;
        std::string expected;
        bool ok = false;
    };
    std::vector<Check> checks;
    for (const auto& e : entries)
        checks.push_back({QDir::cleanPath(QString::fromStdString(e.second)), e.first, false});
    std::atomic<size_t> next{0};
    std::atomic<int> done{0};
    SourceGuard sources(root);
    QMutex sourcesLock;
    auto work = [&](bool reports) {
        for (size_t i = next++; i < checks.size(); i = next++) {
            Check& c = checks[i];
            const QString path = root + "/" + c.relative;
            bool plain = false;
            if (!throughLink(links, path)) {
                QMutexLocker lock(&sourcesLock);
                plain = sources.isRealFile(path);
            }
            std::string actual;
            c.ok = plain && packsums::sha256File(QFile::encodeName(path).toStdString(), actual) &&
                   actual == c.expected;
            const int finished = ++done;
            if (reports)
                run.progress(ImportObserver::Checking, finished, int(checks.size()));
        }
    };
    std::vector<std::thread> helpers;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned t = 1; t < std::min(cores, 4u) && checks.size() > 1; ++t)
        helpers.emplace_back(work, false);
    work(true);
    for (std::thread& t : helpers)
        t.join();
    run.progress(ImportObserver::Checking, int(checks.size()), int(checks.size()));

    for (const Check& c : checks) {
        if (c.ok)
            continue;
        run.damaged.insert(c.relative);
        if (QFileInfo::exists(root + "/" + c.relative))
            TLOG_ERROR("checksum does not match, the file is damaged: " << c.relative);
        else
            TLOG_ERROR("listed in pack.sha256 but missing: " << c.relative);
    }
    if (run.report) {
        QStringList damaged = run.damaged.values();
        damaged.sort();
        run.report->damaged = damaged;
    }
    return true;
}

void removePackRows(DB& db, const DataPaths& paths, const TaviPack& pack, LibraryChange& change);

int importPublisherPack(DB& db, const DataPaths& paths, const QString& root, const QStringList& links,
                        ImportRun& run) {
    TLOG_DEBUG("PACK_TAVI_BUILD");
    const QString dbPath = QString("%1/pack.db").arg(root);
    TLOG_DEBUG("dbPath:" << dbPath);
    if (!QFileInfo::exists(dbPath))
        return ImportNoDbFile;
    if (QFileInfo(dbPath).isSymLink()) {
        TLOG_ERROR("pack.db is a link, not read: " << dbPath);
        return ImportNoDbFile;
    }

    PackDB packDb(dbPath, "import");
    if (!packDb.open())
        return ImportOpenDbFailed;
    TaviPack pack;
    if (!packDb.getPack(&pack))
        return ImportQueryPackFailed;
    qDebug() << "pack id:" << pack.packId;
    if (pack.packId.isEmpty()) {
        TLOG_ERROR("get pack failed:"
                   << "empty pack id");
        return ImportQueryPackFailed;
    }
    // Everything is read before anything changes: a pack whose resource
    // table cannot be read leaves an installed copy in place.
    DataSet<TaviApp> apps;
    if (!packDb.getApps(&apps))
        return ImportQueryPackFailed;
    packDb.close();

    bool exists = false;
    if (!db.checkPackExists(pack.packId, exists))
        return ImportQueryFailed;
    faultpoint::step("pack read");
    // A newer copy keeps what the teacher marked on the older one.
    QHash<int, DB::AppMarks> marks;
    if (exists)
        db.getPackMarks(pack.packId, marks);
    if (run.report) {
        run.report->replaced = exists;
        run.report->packName = pack.name;
    }

    // The old copy goes and the new one comes in one change: cut off at any
    // point, the library holds the one or the other, whole.
    LibraryChange change(db, paths, "import pack " + pack.packId);
    if (!change.begin())
        return ImportAddPackFailed;
    if (exists) {
        const TaviPackPtr old = installedPack(db, pack.packId);
        removePackRows(db, paths, old ? *old : pack, change);
    }

    Mover mover(paths, root, links, change);
    QString packIcon;
    if (!pack.icon.isEmpty() && run.isDamaged("icons/" + pack.icon)) {
        TLOG_ERROR("damaged, skipped: pack icon " << pack.icon);
        pack.icon.clear();
    } else if (mover.checkIcon(pack.icon, mover.packIcons(), "pack " + pack.packId, packIcon))
        mover.move(mover.iconSource(pack.icon), packIcon);
    else
        pack.icon.clear(); // never keep a name that removal would follow out of the folder

    QList<Mover::Planned> plan;
    for (const TaviAppPtr& app : apps) {
        const QString owner = QString("resource %1 (%2)").arg(app->productId).arg(app->name);
        Mover::Planned p;
        p.app = app;
        p.source = root + "/" + app->path;
        if (run.isDamaged(app->path)) {
            TLOG_ERROR("damaged, skipped: " << owner << " path " << app->path);
            continue;
        }
        QString holder;
        if (db.packOfProduct(app->productId, holder) && !holder.isEmpty() && holder != pack.packId) {
            TLOG_ERROR("skipped: " << owner << " belongs to the installed pack " << holder);
            if (run.report)
                run.report->clashing << QString("%1 (%2)").arg(app->name, packName(db, holder));
            continue;
        }
        if (!app->icon.isEmpty() && run.isDamaged("icons/" + app->icon)) {
            TLOG_ERROR("damaged, left out: " << owner << " icon " << app->icon);
            app->icon.clear();
        }
        if (mover.check(app->path, mover.apps(), p.source, owner, "path " + app->path, p.target) &&
            mover.checkIcon(app->icon, mover.appIcons(), owner, p.iconTarget))
            plan << p;
    }
    mover.moveWholeFolders(plan);
    for (const Mover::Planned& p : plan) {
        if (!p.moved)
            mover.move(p.source, p.target);
        if (!p.app->icon.isEmpty())
            mover.move(mover.iconSource(p.app->icon), p.iconTarget);
    }
    const int total = plan.size();
    run.progress(ImportObserver::Moving, 0, total);
    if (!change.applyFiles() || !db.addPack(&pack)) {
        change.abandon();
        return ImportAddPackFailed;
    }
    int done = 0;
    for (const Mover::Planned& p : plan) {
        p.app->packId = pack.packId;
        if (db.addApp(p.app.data())) {
            auto kept = marks.constFind(p.app->productId);
            if (kept != marks.constEnd())
                db.restoreMarks(p.app->productId, kept.value());
        }
        // A few hundred reports are plenty for a bar; each one costs a queued signal.
        if (++done == total || done % qMax(1, total / 200) == 0)
            run.progress(ImportObserver::Moving, done, total);
    }
    if (run.report)
        run.report->resources = total;
    if (!change.commit())
        return ImportAddPackFailed;
    return ImportOk;
}

int importUserPack(DB& db, const DataPaths& paths, const QString& root, const QString& baseName,
                   ImportRun& run) {
    TLOG_DEBUG("PACK_USER_BUILD");
    TaviPack pack;
    pack.packId = QUuid::createUuid().toString();
    pack.name = baseName;
    pack.isCustom = true;

    QFile::remove(root + "/pack.ini");
    QFile::remove(root + "/" + packsums::kFileName); // the pack's own, no file of the user's
    QFileInfoList files;
    for (const QFileInfo& f : QDir(root).entryInfoList(QDir::Files)) {
        if (f.isSymLink()) {
            TLOG_ERROR("link in user pack, skipped: " << f.fileName());
            continue;
        }
        if (run.isDamaged(f.fileName())) {
            TLOG_ERROR("damaged, skipped: " << f.fileName());
            continue;
        }
        files << f;
    }
    if (run.report) {
        run.report->packName = baseName;
        run.report->resources = files.size();
    }
    TLOG_DEBUG("file count:" << files.size());

    LibraryChange change(db, paths, "import user pack " + baseName);
    if (!change.begin())
        return ImportAddPackFailed;
    QList<_TaviApp> rows;
    for (const QFileInfo& f : files) {
        const QString relative = baseName + "/" + f.fileName();
        const QString target = pathInside(paths, paths.externalDir, relative);
        qDebug() << "targetPath:" << paths.externalDir + "/" + relative;
        if (target.isEmpty()) {
            TLOG_ERROR("user pack file leads outside the data folders, skipped: " << relative);
            continue;
        }
        // Never over an existing file: a second import of the same archive points at the first copy.
        change.planMoveIn(f.absoluteFilePath(), target);
        _TaviApp app;
        app.name = f.fileName();
        app.path = relative;
        app.packId = pack.packId;
        app.isUserFile = true;
        app.isExternal = true;
        rows << app;
    }
    run.progress(ImportObserver::Moving, 0, rows.size());
    if (!change.applyFiles() || !db.addPack(&pack)) {
        change.abandon();
        return ImportAddPackFailed;
    }
    int done = 0;
    for (_TaviApp& app : rows) {
        db.addApp(&app);
        run.progress(ImportObserver::Moving, ++done, rows.size());
    }
    if (!change.commit())
        return ImportAddPackFailed;
    return ImportOk;
}

} // namespace

QString importUnpackDir(const DataPaths& paths, const QString& baseName) {
    return paths.tempDir + "/import/" + baseName;
}

QString findPackRoot(const QString& unpackDir) {
    QString root;
    searchRoot(unpackDir, root);
    return root;
}

namespace {
int importArchive(DB& db, const DataPaths& paths, const QString& archivePath, ImportRun& run) {
    const QString baseName = QFileInfo(archivePath).completeBaseName();
    // The unpack folder is deleted before and after, so it lies in a folder of
    // the imports' own: named after the archive directly in temp, "daily.tvp"
    // would unpack over the daily scenes an installer stages in temp/daily.
    const QString unpackDir = importUnpackDir(paths, baseName);
    if (!isPlainRelativePath(baseName) || baseName.contains('/') || !paths.isInsideDataFolders(unpackDir)) {
        TLOG_ERROR("archive name unusable as an unpack folder: " << archivePath);
        return ImportExtractFailed;
    }
    ExtractReport report;
    run.progress(ImportObserver::Unpacking, 0, 100);
    ExtractProgress unpacking;
    if (run.observer)
        unpacking = [&run](int percent) {
            run.progress(ImportObserver::Unpacking, percent, 100);
            return !run.observer->cancelRequested();
        };
    if (!extract(archivePath, unpackDir, true, &report, unpacking)) {
        // What a failed tool left behind is ours to clear; a refused destination is not.
        if (report.toolFailed)
            removeFolderInside(paths, unpackDir);
        QDir().rmdir(QFileInfo(unpackDir).absolutePath());
        return report.cancelled ? ImportCancelled : ImportExtractFailed;
    }
    run.progress(ImportObserver::Unpacking, 100, 100);

    const QString root = findPackRoot(unpackDir);
    const QString iniPath = QString("%1/pack.ini").arg(root);
    TLOG_DEBUG("packInfoFilePath:" << iniPath);

    int result = ImportOk;
    bool userBuilt = false;
    QStringList links;
    for (const QString& link : report.skippedLinks)
        links << QDir::cleanPath(unpackDir + "/" + link);
    if (root.isEmpty()) {
        // Nothing of a pack in the archive.
        TLOG_DEBUG("pack.ini does not exists");
        TLOG_ERROR("no pack.ini or pack.db anywhere in " << archivePath << ": not a pack");
        result = ImportNoDbFile;
    } else if (!verifyChecksums(root, links, run)) {
        result = ImportDamaged;
        run.report->damaged = QStringList{packsums::kFileName};
    } else if (run.isDamaged("pack.db") || run.isDamaged("pack.ini")) {
        // What describes the pack is not what the publisher made: nothing of it is trusted.
        TLOG_ERROR("pack description damaged, nothing imported: " << archivePath);
        result = ImportDamaged;
    } else if (QFileInfo(iniPath).isFile() && !QFileInfo(iniPath).isSymLink()) {
        QSettings ini(iniPath, QSettings::IniFormat);
        const int ver = ini.value("pack/ver").toInt();
        const int type = ini.value("pack/type").toInt();
        if (ver >= 2)
            result = ImportNeedsNewerClient;
        else if (type == PACK_USER_BUILD)
            userBuilt = true;
        else if (type != PACK_TAVI_BUILD)
            result = ImportUnknownType;
    } else {
        TLOG_DEBUG("pack.ini does not exists");
    }

    if (result == ImportOk && !root.isEmpty())
        result = userBuilt ? importUserPack(db, paths, root, baseName, run)
                           : importPublisherPack(db, paths, root, links, run);

    removeFolderInside(paths, unpackDir);
    // The imports' folder goes too once it is empty: temp holds nothing of a finished import.
    QDir().rmdir(QFileInfo(unpackDir).absolutePath());
    return result;
}

} // namespace

int importPack(DB& db, const DataPaths& paths, const QString& archivePath, ImportObserver* observer,
               ImportReport* importReport) {
    ImportReport localReport;
    ImportRun run;
    run.observer = observer;
    run.report = importReport ? importReport : &localReport;
    *run.report = ImportReport();
    const int result = importArchive(db, paths, archivePath, run);
    run.report->result = result;
    return result;
}

namespace {
// A file a catalogue row names, when it lies inside its folder (links
// resolved); empty, with an ERROR line, when it would lead out of it.
QString insideOrSay(const DataPaths& paths, const QString& folder, const QString& relative,
                    const char* what) {
    if (relative.isEmpty())
        return QString();
    const QString target = pathInside(paths, folder, relative);
    if (target.isEmpty()) {
        TLOG_ERROR(what << " outside the data folders, not deleted: " << relative);
        return QString();
    }
    if (QFileInfo(target).isDir() && !QFileInfo(target).isSymLink())
        return QString(); // a row names a file; a folder is not the row's to delete
    return target;
}

// A book opened before was unpacked beside its archive; the folder goes with
// the archive, or a newer copy of the pack would go on playing the old book.
QString unpackedBook(const DataPaths& paths, const QString& relative) {
    const QString archive = pathInside(paths, paths.appsDir, relative);
    if (archive.isEmpty())
        return QString();
    const QString folder = unpackFolderBeside(archive);
    const QFileInfo info(folder);
    // "x" (no dot) names the archive itself, ".tvp" the apps folder: neither is an unpacked book.
    if (QDir::cleanPath(folder) == QDir::cleanPath(archive) || info.baseName().isEmpty() ||
        QFileInfo(archive).baseName().isEmpty() || !info.isDir() || info.isSymLink())
        return QString();
    const QString inside =
        pathInside(paths, paths.appsDir, QDir(paths.appsDir).relativeFilePath(QDir::cleanPath(folder)));
    if (inside.isEmpty()) {
        TLOG_ERROR("unpacked book outside the data folders, not deleted: " << folder);
        return QString();
    }
    return inside;
}

// Plans taking away the files of a resource whose row is gone. A file
// another row still names stays for that row (the same file added twice, a
// user-built pack imported twice, an icon two packs share); asked after the
// row went, so the last of several rows takes the file with it.
void planFreedFiles(DB& db, const DataPaths& paths, const _TaviApp& app, LibraryChange& change) {
    auto unused = [](bool counted, unsigned rows, const QString& what) {
        if (!counted)
            return false; // unsure: keeping a file is better than breaking another resource
        if (rows > 0)
            TLOG_DEBUG(what << " kept: " << rows << " other resources use it");
        return rows == 0;
    };
    auto remove = [&](const QString& path) {
        if (!path.isEmpty())
            change.planRemove(path);
    };
    if (app.isUserFile) {
        unsigned rows = 0;
        const bool counted = db.userFileRowCount(app.path, app.isExternal, rows);
        if (unused(counted, rows, "user file " + app.path))
            remove(insideOrSay(paths, app.isExternal ? paths.externalDir : paths.customPackDir, app.path,
                               "user file"));
        return;
    }
    if (app.proType == "books" || app.proType == "courseware")
        remove(unpackedBook(paths, app.path));
    // A song an older client left under its display name.
    if ((app.proType == "music" || app.proType == "video") && !app.fileName.isEmpty()) {
        const QString stored = pathInside(paths, paths.appsDir, app.path);
        const QString shown =
            QDir::cleanPath(QFileInfo(app.path).path() + "/" + QFileInfo(app.fileName).fileName());
        if (!stored.isEmpty() && !QFileInfo::exists(stored) && shown != QDir::cleanPath(app.path))
            remove(insideOrSay(paths, paths.appsDir, shown, "resource file"));
    }
    remove(insideOrSay(paths, paths.appsDir, app.path, "resource file"));
    unsigned rows = 0;
    const bool counted = !app.icon.isEmpty() && db.iconRowCount(app.icon, rows);
    if (counted && unused(counted, rows, "icon " + app.icon))
        remove(insideOrSay(paths, paths.appIconDir, app.icon, "resource icon"));
}

// Takes a pack's rows off the catalogue within change and plans taking its
// files away.
void removePackRows(DB& db, const DataPaths& paths, const TaviPack& pack, LibraryChange& change) {
    TLOG_DEBUG("remove pack:" << pack.packId);
    _AppSearchPara para;
    para.packId = pack.packId;
    para.orderBy = 1;
    para.desc = 0;
    unsigned count = 0;
    DataSet<TaviApp> apps;
    db.searchApps(&para, count, &apps);
    for (const TaviAppPtr& app : apps)
        db.removeApp(app->appId, false);
    for (const TaviAppPtr& app : apps)
        planFreedFiles(db, paths, *app, change);
    db.removePack(pack.packId);
    if (!pack.isCustom && !pack.icon.isEmpty()) {
        const QString icon = pathInside(paths, paths.packIconDir, pack.icon);
        if (icon.isEmpty())
            TLOG_ERROR("pack icon outside the data folders, not deleted: " << pack.icon);
        else
            change.planRemove(icon);
    }
}
} // namespace

int removePack(DB& db, const DataPaths& paths, TaviPack* pack) {
    if (!pack)
        return 0;
    // The rows go in one transaction, the files only once it is committed:
    // an end half-way leaves the whole pack, never half of it.
    LibraryChange change(db, paths, "remove pack " + pack->packId);
    if (!change.begin())
        return 0;
    removePackRows(db, paths, *pack, change);
    if (change.applyFiles())
        change.commit();
    return 0;
}

int removeApp(DB& db, const DataPaths& paths, _TaviApp* app, bool notify) {
    if (!app)
        return 0;
    LibraryChange change(db, paths, QString("remove resource %1").arg(app->appId));
    if (!change.begin())
        return 0;
    if (!db.removeApp(app->appId, notify))
        return 0; // the change goes undone with its scope
    planFreedFiles(db, paths, *app, change);
    if (change.applyFiles())
        change.commit();
    return 0;
}

} // namespace packs
