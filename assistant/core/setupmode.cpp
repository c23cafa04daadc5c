#include "setupmode.h"

#include "catalogue/db.h"
#include "catalogue/playlist.h"
#include "core.h"
#include "platform/log.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QHash>

void importPack(QString& dir) {
    TLOG_DEBUG("pack dir:" << dir);
    QDir folder(dir);
    if (!folder.exists())
        return;
    const QFileInfoList archives = folder.entryInfoList(QStringList() << "*.tvp", QDir::Files);
    for (const QFileInfo& f : archives)
        Core::instance()->importPack(f.absoluteFilePath());
}

int writeFolderPlaylist(const QString& folder, const QString& playlistPath) {
    QStringList files;
    for (const QFileInfo& f :
         QDir(folder).entryInfoList(playlist::mediaPatterns(), QDir::Files | QDir::NoSymLinks, QDir::Name))
        files << f.absoluteFilePath();
    QString error;
    if (!playlist::write(playlistPath, files, &error)) {
        TLOG_ERROR("write playlist failed: " << playlistPath << " " << error);
        return -1;
    }
    return files.size();
}

QStringList sceneFoldersOf(const QString& folder) {
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
}

void refreshDailyScene(const QStringList& brought) {
    Core* core = Core::instance();
    const QString dailyDir = core->paths()->dailyDir;
    // A link to a folder could lead anywhere; the playlists are written only
    // into real folders of the daily folder.
    const QStringList subdirs =
        QDir(dailyDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    if (subdirs.isEmpty()) {
        TLOG_DEBUG("no subdir");
        return;
    }
    _DailySceneSearchPara para;
    unsigned count = 0;
    DataSet<DailyScene> known;
    core->db()->searchDailyScene(&para, count, &known);
    QHash<QString, bool> customOf;
    for (const DailyScenePtr& scene : known)
        customOf.insert(scene->name, scene->isCustom);
    for (const QString& n : subdirs) {
        TLOG_DEBUG("subdir:" << n);
        const auto entry = customOf.constFind(n);
        if (entry != customOf.constEnd() && (entry.value() || !brought.contains(n))) {
            TLOG_DEBUG(n << (entry.value() ? ": a teacher's scene, left as it is" : ": already a scene"));
            continue;
        }
        const QString targetDir = dailyDir + "/" + n;
        qDebug() << "targetDir:" << targetDir;
        QDir().mkpath(targetDir);
        const QString relative = QString("%1/%1.pls").arg(n);
        // A folder whose playlist could not be written is no scene: it would
        // hand the player a missing file.
        if (writeFolderPlaylist(targetDir, dailyDir + "/" + relative) < 0)
            continue;
        core->db()->removeDailyScene(n);
        _DailyScene scene;
        scene.name = n;
        scene.playlist = relative;
        scene.isCustom = false;
        core->db()->addDailyScene(&scene);
    }
}
