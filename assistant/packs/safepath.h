#pragma once
// Checks on paths that come from outside (a pack's database, the catalogue)
// before anything is moved or deleted by them.

#include "plainpath.h"

#include <QHash>
#include <QString>

class DataPaths;

// folder + "/" + relative when `relative` is plain and the result lies inside
// `folder` and the data folders (links resolved); empty otherwise.
QString pathInside(const DataPaths& paths, const QString& folder, const QString& relative);

// True when `path` names a regular file (not a link) whose every folder between
// `root` and it is a real folder, so that moving it moves nothing but itself.
bool isRealFileBelow(const QString& root, const QString& path);

// Deletes `folder` recursively only when it lies strictly inside the data folders.
bool removeFolderInside(const DataPaths& paths, const QString& folder);

// pathInside for many files of one folder: the folder is resolved once and
// each parent folder once, which keeps a pack of a thousand files quick.
class FolderGuard {
public:
    FolderGuard(const DataPaths& paths, const QString& folder);
    // folder + "/" + relative, or empty when it would lead outside the folder.
    QString target(const QString& relative);

private:
    QString m_folder;
    QString m_resolved;
    bool m_usable = false;
    QHash<QString, bool> m_parents;
};

// What lies at a path, the link itself not followed: nothing, a plain file, or something else.
enum class Entry { Missing, File, Other };
Entry entryAt(const QString& path);

// Renames a file, never replacing one that is already at `target`.
bool renameNoReplace(const QString& source, const QString& target);

// isRealFileBelow for many files below one pack root, resolving each folder once.
class SourceGuard {
public:
    explicit SourceGuard(const QString& root);
    bool isRealFile(const QString& path);
    // The folders between the root and `path` are real folders (no links).
    bool hasRealFolders(const QString& path);

private:
    QString m_root;
    QString m_canonRoot;
    QHash<QString, bool> m_parents;
};
