#include "dailyscenes.h"

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "catalogue/playlist.h"
#include "packs/fileutil.h"
#include "packs/librarychange.h"
#include "platform/log.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace dailyscenes {

namespace {

// The scene of this name other than `self`, if the catalogue has one.
bool nameTaken(DB& db, const QString& name, int self) {
    _DailySceneSearchPara para;
    para.name = name;
    unsigned count = 0;
    DataSet<DailyScene> found;
    if (!db.searchDailyScene(&para, count, &found))
        return false; // the insert or update refuses it then
    for (const DailyScenePtr& s : found)
        if (s->name == name && s->id != self)
            return true;
    return false;
}

} // namespace

SaveResult save(DB& db, const DataPaths& paths, _DailyScene* scene, const QString& typedName,
                const QStringList& files, const QStringList& titles, QString* error) {
    // " Lunch " and "Lunch" would look the same in the grid.
    const QString name = typedName.trimmed();
    if (name.isEmpty())
        return NoName;
    if (!isUsableFolderName(name))
        return UnusableName;
    // Before any file is written: the playlist path comes from the name, and
    // another scene's playlist must never be overwritten.
    if (nameTaken(db, name, scene ? scene->id : -1))
        return NameTaken;

    const QString dailyDir = paths.dailyDir;
    const QString targetDir = QString("%1/%2").arg(dailyDir, name);
    TLOG_DEBUG("targetDir:" << targetDir);
    const QString playlistName = QString("%1/%1.pls").arg(name);
    const QString playlistPath = dailyDir + "/" + playlistName;

    LibraryChange change(db, paths, (scene ? "save scene " : "add scene ") + name);
    if (!change.begin())
        return CatalogueFailed;
    // The playlist is written aside and moved into place with the change.
    if (QFileInfo::exists(playlistPath) || QFileInfo(playlistPath).isSymLink())
        change.planRemove(playlistPath);
    const QString staged = change.planWrite(playlistPath);
    QString why;
    if (!playlist::write(staged, files, &why, titles)) {
        TLOG_ERROR("write playlist failed: " << playlistPath << " " << why);
        if (error)
            *error = why;
        change.abandon();
        return PlaylistFailed;
    }
    // A renamed scene takes its folder along when the folder held nothing but
    // its playlist, so the daily folder does not fill with dead folders.
    const QString oldPlaylist = scene ? scene->playlist : QString();
    if (!oldPlaylist.isEmpty() && oldPlaylist != playlistName) {
        const QString oldFile = QDir::cleanPath(dailyDir + "/" + oldPlaylist);
        const QString oldDir = QFileInfo(oldFile).absolutePath();
        const QStringList left =
            QDir(oldDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        if (oldDir.startsWith(QDir::cleanPath(dailyDir) + "/") && oldDir != QDir::cleanPath(targetDir) &&
            left == QStringList{QFileInfo(oldFile).fileName()})
            change.planRemove(oldDir);
    }
    if (!change.applyFiles() || !change.done(playlistPath)) {
        if (error)
            *error = QStringLiteral("the playlist could not be put in place");
        change.abandon();
        return PlaylistFailed;
    }
    bool stored = false;
    if (!scene) {
        _DailyScene added;
        added.name = name;
        added.playlist = playlistName;
        added.isCustom = true;
        stored = db.addDailyScene(&added) && change.commit();
    } else {
        const QString oldName = scene->name;
        scene->name = name;
        scene->playlist = playlistName;
        stored = db.updateDailyScene(scene) && change.commit();
        if (!stored) {
            scene->name = oldName;
            scene->playlist = oldPlaylist;
        }
    }
    if (!stored) {
        change.abandon();
        return CatalogueFailed;
    }
    return Saved;
}

QStringList scenesUsingApp(DB& db, const DataPaths& paths, const _TaviApp& app) {
    return scenesUsing(db, paths, {paths.folderOf(app.isUserFile, app.isExternal) + "/" + app.path});
}

QStringList scenesUsingPack(DB& db, const DataPaths& paths, const QString& packId) {
    _AppSearchPara para;
    para.packId = packId;
    unsigned count = 0;
    DataSet<TaviApp> apps;
    if (!db.searchApps(&para, count, &apps))
        return QStringList();
    QStringList files;
    for (const TaviAppPtr& app : apps)
        files << paths.folderOf(app->isUserFile, app->isExternal) + "/" + app->path;
    return scenesUsing(db, paths, files);
}

QStringList scenesUsing(DB& db, const DataPaths& paths, const QStringList& files) {
    QSet<QString> wanted;
    for (const QString& f : files)
        wanted.insert(QDir::cleanPath(f));
    QStringList names;
    if (wanted.isEmpty())
        return names;
    _DailySceneSearchPara para;
    unsigned count = 0;
    DataSet<DailyScene> scenes;
    if (!db.searchDailyScene(&para, count, &scenes))
        return names;
    for (const DailyScenePtr& scene : scenes) {
        QStringList entries;
        if (!playlist::read(QString("%1/%2").arg(paths.dailyDir, scene->playlist), entries))
            continue;
        for (const QString& e : entries) {
            if (wanted.contains(QDir::cleanPath(e))) {
                names << scene->name;
                break;
            }
        }
    }
    return names;
}

} // namespace dailyscenes
