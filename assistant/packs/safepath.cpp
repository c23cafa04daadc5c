#include "safepath.h"

#include "catalogue/datapaths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
// Resolves links in the part of the path that exists.
QString resolved(const QString& path) {
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    while (!QFileInfo::exists(existing) && !QFileInfo(existing).isSymLink()) {
        const int slash = existing.lastIndexOf('/');
        if (slash <= 0)
            return QDir::cleanPath(path);
        rest = existing.mid(slash) + rest;
        existing = existing.left(slash);
    }
    const QString canon = QFileInfo(existing).canonicalFilePath();
    return QDir::cleanPath((canon.isEmpty() ? existing : canon) + rest);
}
} // namespace

bool isPlainRelativePath(const QString& relative) {
    if (relative.trimmed().isEmpty())
        return false;
    if (relative.startsWith('/') || relative.startsWith('\\'))
        return false;
    static const QRegularExpression drive("^[A-Za-z]:");
    if (drive.match(relative).hasMatch())
        return false;
    const QStringList parts = QString(relative).replace('\\', '/').split('/', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return false;
    for (const QString& part : parts) {
        if (part == "." || part == "..")
            return false;
    }
    return true;
}

QString pathInside(const DataPaths& paths, const QString& folder, const QString& relative) {
    if (!isPlainRelativePath(relative))
        return QString();
    const QString full = folder + "/" + relative;
    if (!paths.isInsideDataFolders(full))
        return QString();
    // A link inside the folder must not lead into another data folder either.
    const QString base = resolved(folder);
    if (!resolved(full).startsWith(base + "/"))
        return QString();
    return full;
}

bool isRealFileBelow(const QString& root, const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile())
        return false;
    const QString canonRoot = QFileInfo(root).canonicalFilePath();
    if (canonRoot.isEmpty())
        return false;
    const QString relative =
        QDir(QFileInfo(root).absoluteFilePath()).relativeFilePath(info.absoluteFilePath());
    // With no link on the way, the canonical path is the root's joined with the relative part.
    return info.canonicalFilePath() == QDir::cleanPath(canonRoot + "/" + relative);
}

bool removeFolderInside(const DataPaths& paths, const QString& folder) {
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!paths.isInsideDataFolders(clean))
        return false;
    if (clean == QDir::cleanPath(paths.dataDir) || clean == QDir::cleanPath(paths.tempDir))
        return false;
    return QDir(clean).removeRecursively();
}
