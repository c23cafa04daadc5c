#pragma once
// The data folders, all computed once from the application directory.

#include <QString>

// The absolute, clean form of path with symbolic links resolved in the part of
// it that exists (the rest, not yet created, is appended as written).
QString resolvedPath(const QString& path);

class DataPaths {
public:
    DataPaths() = default;
    // appDir: the folder of the client's executable; the root is its parent.
    explicit DataPaths(const QString& appDir);

    QString rootDir;
    QString appDir;
    QString dataDir;
    QString tempDir;
    QString packIconDir;
    QString appsDir;
    QString appIconDir;
    QString customPackDir;
    QString dailyDir;
    QString externalDir;
    QString mainDbPath;

    // The folder a resource's path is relative to: a user's file of a custom
    // pack, one added where it lies (external), or a publisher's resource.
    QString folderOf(bool isUserFile, bool isExternal) const {
        return isUserFile ? (isExternal ? externalDir : customPackDir) : appsDir;
    }

    // Creates data, temp, packicons, apps, appicons, custompack, external, daily.
    bool makeDirs() const;
    // True when path (existing or not) lies inside one of the folders the
    // client may write: data or temp. Guards every delete and move.
    bool isInsideDataFolders(const QString& path) const;
};
