#include "custompack.h"

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "fileutil.h"
#include "platform/log.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace {

// "song (2).mp3" for n = 2.
QString numberedName(const QFileInfo& file, int n) {
    const QString suffix = file.completeSuffix();
    const QString stem =
        suffix.isEmpty() ? file.fileName() : file.fileName().left(file.fileName().size() - suffix.size() - 1);
    return suffix.isEmpty() ? QString("%1 (%2)").arg(stem).arg(n)
                            : QString("%1 (%2).%3").arg(stem).arg(n).arg(suffix);
}

bool sameContent(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    while (!fa.atEnd()) {
        if (fa.read(1 << 20) != fb.read(1 << 20))
            return false;
    }
    return true;
}

} // namespace

QString addCustomPack(DB& db, const DataPaths& paths, const QString& packName, const QStringList& files) {
    // The name becomes a folder name; one that cannot be would put the files
    // somewhere else than in a folder of their own, or nowhere.
    if (!isUsableFolderName(packName)) {
        TLOG_ERROR("custom pack name can not be a folder name, pack not added:" << packName);
        return QString();
    }
    TaviPack pack;
    pack.packId = QUuid::createUuid().toString();
    pack.name = packName;
    pack.isCustom = true;
    if (!db.addPack(&pack))
        return QString();

    for (const QString& source : files) {
        const QFileInfo src(source);
        QString relative = packName + "/" + src.fileName();
        QString target = paths.customPackDir + "/" + relative;
        qDebug() << "targetPath:" << target;
        if (!paths.isInsideDataFolders(target)) {
            TLOG_ERROR("custom pack target outside the data folders, skipped:" << target);
            continue;
        }
        QDir().mkpath(QFileInfo(target).absolutePath());
        // The same file again is shared by its rows (removal keeps it for the
        // last); another file of that name gets a name of its own, so that no
        // row opens a file the teacher did not choose.
        for (int n = 2; QFileInfo::exists(target) && !sameContent(source, target); ++n) {
            relative = packName + "/" + numberedName(src, n);
            target = paths.customPackDir + "/" + relative;
        }
        if (!QFileInfo::exists(target) && !QFile::copy(source, target)) {
            TLOG_ERROR("copy failed, file not added to the custom pack: " << source << " to " << target);
            continue;
        }
        _TaviApp app;
        app.name = src.fileName();
        app.path = relative;
        app.packId = pack.packId;
        app.isUserFile = true;
        app.isExternal = false;
        db.addApp(&app);
    }
    return pack.packId;
}
