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
        const QString relative = packName + "/" + src.fileName();
        const QString target = paths.customPackDir + "/" + relative;
        qDebug() << "targetPath:" << target;
        if (!paths.isInsideDataFolders(target)) {
            TLOG_ERROR("custom pack target outside the data folders, skipped:" << target);
            continue;
        }
        QDir().mkpath(QFileInfo(target).absolutePath());
        // A file of the same name already there stays; the new row points at it.
        QFile::copy(source, target);
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
