#pragma once
// Checks on paths that come from outside (a pack's database, the catalogue)
// before anything is moved or deleted by them.

#include <QString>

class DataPaths;

// A path relative to a folder that stays inside it: not empty, not absolute (no
// leading slash or drive letter), no "." or ".." part (either separator).
bool isPlainRelativePath(const QString& relative);

// folder + "/" + relative when `relative` is plain and the result lies inside
// `folder` and the data folders (links resolved); empty otherwise.
QString pathInside(const DataPaths& paths, const QString& folder, const QString& relative);

// True when `path` names a regular file (not a link) whose every folder between
// `root` and it is a real folder, so that moving it moves nothing but itself.
bool isRealFileBelow(const QString& root, const QString& path);

// Deletes `folder` recursively only when it lies strictly inside the data folders.
bool removeFolderInside(const DataPaths& paths, const QString& folder);
