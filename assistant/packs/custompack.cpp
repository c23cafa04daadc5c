#include "custompack.h"

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "fileutil.h"
#include "librarychange.h"
#include "platform/log.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSet>
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

    // The copies and the rows as one change: cut off half-way, the library
    // has the whole pack or none of it.
    LibraryChange change(db, paths, "custom pack " + packName);
    if (!change.begin())
        return QString();
    struct Planned {
        _TaviApp app;
        QString source;
        QString target;
        bool copied;
    };
    QList<Planned> planned;
    QSet<QString> taken;
    for (const QString& source : files) {
        const QFileInfo src(source);
        QString relative = packName + "/" + src.fileName();
        QString target = paths.customPackDir + "/" + relative;
        qDebug() << "targetPath:" << target;
        if (!paths.isInsideDataFolders(target)) {
            TLOG_ERROR("custom pack target outside the data folders, skipped:" << target);
            continue;
        }
        // The same file again is shared by its rows (removal keeps it for the
        // last); another file of that name gets a name of its own, so that no
        // row opens a file the teacher did not choose.
        auto sameAsThere = [&]() {
            for (const Planned& p : planned)
                if (p.target == target)
                    return sameContent(source, p.source);
            return QFileInfo::exists(target) && sameContent(source, target);
        };
        for (int n = 2; (QFileInfo::exists(target) || taken.contains(target)) && !sameAsThere(); ++n) {
            relative = packName + "/" + numberedName(src, n);
            target = paths.customPackDir + "/" + relative;
        }
        const bool copy = !QFileInfo::exists(target) && !taken.contains(target);
        if (copy) {
            change.planCopyIn(source, target);
            taken.insert(target);
        }
        Planned p;
        p.app.name = src.fileName();
        p.app.path = relative;
        p.app.packId = pack.packId;
        p.app.isUserFile = true;
        p.app.isExternal = false;
        p.source = source;
        p.target = target;
        p.copied = copy;
        planned << p;
    }
    if (!change.applyFiles() || !db.addPack(&pack)) {
        change.abandon();
        return QString();
    }
    for (Planned& p : planned) {
        // A failed copy leaves the file out instead of a row with nothing behind it.
        if (!QFileInfo::exists(p.target) || (p.copied && !change.done(p.target)))
            continue;
        db.addApp(&p.app);
    }
    if (!change.commit())
        return QString();
    return pack.packId;
}
