#include "setupmode.h"

#include "catalogue/db.h"
#include "core.h"
#include "platform/log.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTextCodec>

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
    static const QStringList kMedia = {"*.mp3", "*.wav", "*.ogg", "*.avi",  "*.mp4",
                                       "*.mkv", "*.flv", "*.mpg", "*.mpeg", "*.wmv"};
    QSettings pls(playlistPath, QSettings::IniFormat);
    pls.clear();
    pls.setIniCodec(QTextCodec::codecForName("GB2312"));
    pls.beginGroup("playlist");
    const QFileInfoList files = QDir(folder).entryInfoList(kMedia, QDir::Files | QDir::NoSymLinks);
    int i = 0;
    for (const QFileInfo& f : files)
        pls.setValue(QString("File%1").arg(++i), f.absoluteFilePath());
    pls.setValue("NumberOfEntries", i);
    pls.setValue("Version", 2);
    pls.endGroup();
    pls.sync();
    return i;
}

void refreshDailyScene() {
    Core* core = Core::instance();
    const QString dailyDir = core->paths->dailyDir;
    // A link to a folder could lead anywhere; the playlists are written only
    // into real folders of the daily folder.
    const QStringList subdirs =
        QDir(dailyDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    if (subdirs.isEmpty()) {
        TLOG_DEBUG("no subdir");
        return;
    }
    for (const QString& n : subdirs) {
        TLOG_DEBUG("subdir:" << n);
        const QString targetDir = dailyDir + "/" + n;
        qDebug() << "targetDir:" << targetDir;
        QDir().mkpath(targetDir);
        const QString relative = QString("%1/%1.pls").arg(n);
        writeFolderPlaylist(targetDir, dailyDir + "/" + relative);

        core->db->removeDailyScene(n);
        _DailyScene scene;
        scene.name = n;
        scene.playlist = relative;
        scene.isCustom = false;
        core->db->addDailyScene(&scene);
    }
}
