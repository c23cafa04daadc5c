#pragma once
// The preinstallation run: packs and daily scenes from folders named on the
// command line.

#include <QString>

// Imports every "*.tvp" archive of the folder, one after another.
void importPack(QString& dir);

// Turns subfolders of the daily folder into playlists and catalogue entries:
// those this run brought (named in `brought`) and those without an entry. A
// scene a teacher made in the client, and its playlist, stay as they are; so
// does a shipped scene this run did not bring.
void refreshDailyScene(const QStringList& brought = QStringList());

// The scene folders a folder brings (its subfolders' names).
QStringList sceneFoldersOf(const QString& folder);

// Writes a daily scene's playlist: the media files of `folder` as File1..N.
// Returns the number of entries, -1 when the playlist could not be written.
int writeFolderPlaylist(const QString& folder, const QString& playlistPath);
