#include "safepath.h"

#include "catalogue/datapaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#endif

QString pathInside(const DataPaths& paths, const QString& folder, const QString& relative) {
    if (!isPlainRelativePath(relative))
        return QString();
    const QString full = folder + "/" + relative;
    if (!paths.isInsideDataFolders(full))
        return QString();
    // A link inside the folder must not lead into another data folder either.
    const QString base = resolvedPath(folder);
    if (!resolvedPath(full).startsWith(base + "/"))
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

FolderGuard::FolderGuard(const DataPaths& paths, const QString& folder)
    : m_folder(QDir::cleanPath(folder)), m_resolved(resolvedPath(folder)),
      m_usable(paths.isInsideDataFolders(folder)) {}

QString FolderGuard::target(const QString& relative) {
    if (!m_usable || !isPlainRelativePath(relative))
        return QString();
    const QString full = m_folder + "/" + relative;
    const QString parent = QFileInfo(full).absolutePath();
    auto it = m_parents.find(parent);
    if (it == m_parents.end()) {
        const QString r = resolvedPath(parent);
        it = m_parents.insert(parent, r == m_resolved || r.startsWith(m_resolved + "/"));
    }
    return it.value() ? full : QString();
}

SourceGuard::SourceGuard(const QString& root)
    : m_root(QDir::cleanPath(QFileInfo(root).absoluteFilePath())),
      m_canonRoot(QFileInfo(root).canonicalFilePath()) {}

bool SourceGuard::isRealFile(const QString& path) {
    return entryAt(path) == Entry::File && hasRealFolders(path);
}

bool SourceGuard::hasRealFolders(const QString& path) {
    if (m_canonRoot.isEmpty())
        return false;
    const QString parent = QDir::cleanPath(QFileInfo(path).absolutePath());
    auto it = m_parents.find(parent);
    if (it == m_parents.end()) {
        const QString relative = QDir(m_root).relativeFilePath(parent);
        const QString expected =
            relative == "." ? m_canonRoot : QDir::cleanPath(m_canonRoot + "/" + relative);
        it = m_parents.insert(parent, relative != ".." && !relative.startsWith("../") &&
                                          QFileInfo(parent).canonicalFilePath() == expected);
    }
    return it.value();
}

Entry entryAt(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return Entry::Missing;
    return S_ISREG(st.st_mode) ? Entry::File : Entry::Other;
#else
    const QFileInfo info(path);
    if (info.isSymLink())
        return Entry::Other;
    if (!info.exists())
        return Entry::Missing;
    return info.isFile() ? Entry::File : Entry::Other;
#endif
}

bool renameNoReplace(const QString& source, const QString& target) {
#if defined(Q_OS_LINUX) && defined(RENAME_NOREPLACE)
    // One system call per file; a pack brings thousands.
    if (::renameat2(AT_FDCWD, QFile::encodeName(source).constData(), AT_FDCWD,
                    QFile::encodeName(target).constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EXDEV)
        return false;
#endif
    // Qt's rename refuses an existing target too (and copies across file systems).
    return QFile::rename(source, target);
}
