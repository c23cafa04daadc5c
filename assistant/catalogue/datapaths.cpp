#include "datapaths.h"

#include <QDir>
#include <QFileInfo>

DataPaths::DataPaths(const QString& dir) {
    appDir = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    rootDir = QFileInfo(appDir).absolutePath();
    dataDir = QString("%1/data").arg(rootDir);
    tempDir = QString("%1/temp").arg(rootDir);
    packIconDir = QString("%1/packicons").arg(dataDir);
    appsDir = QString("%1/apps").arg(dataDir);
    appIconDir = QString("%1/appicons").arg(dataDir);
    customPackDir = QString("%1/custompack").arg(dataDir);
    dailyDir = QString("%1/daily").arg(dataDir);
    externalDir = QString("%1/external").arg(dataDir);
    mainDbPath = QString("%1/main.db").arg(dataDir);
}

bool DataPaths::makeDirs() const {
    bool ok = true;
    for (const QString& d :
         {dataDir, tempDir, packIconDir, appsDir, appIconDir, customPackDir, externalDir, dailyDir})
        ok = QDir().mkpath(d) && ok;
    return ok;
}

// Resolves symbolic links in the part of the path that exists, so a link inside
// a data folder that points elsewhere is seen for what it is.
QString resolvedPath(const QString& path) {
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    while (!existing.isEmpty() && !QFileInfo::exists(existing) && !QFileInfo(existing).isSymLink()) {
        const int slash = existing.lastIndexOf('/');
        if (slash <= 0)
            return QDir::cleanPath(path);
        rest = existing.mid(slash) + rest;
        existing = existing.left(slash);
    }
    const QString canon = QFileInfo(existing).canonicalFilePath();
    return QDir::cleanPath((canon.isEmpty() ? existing : canon) + rest);
}

namespace {
bool under(const QString& path, const QString& folder) {
    const QString f = resolvedPath(folder);
    return !f.isEmpty() && (path == f || path.startsWith(f + "/"));
}
} // namespace

bool DataPaths::isInsideDataFolders(const QString& path) const {
    if (path.isEmpty())
        return false;
    const QString p = resolvedPath(path);
    return under(p, dataDir) || under(p, tempDir);
}
