#pragma once
// The preinstallation run: packs and daily scenes from folders named on the
// command line.

#include <QString>

// Imports every "*.tvp" archive of the folder, one after another.
void importPack(QString& dir);

// Turns every subfolder of the daily folder into a playlist and a catalogue entry.
void refreshDailyScene();

// Writes a daily scene's playlist: the media files of `folder` as File1..N.
// Returns the number of entries, -1 when the playlist could not be written.
int writeFolderPlaylist(const QString& folder, const QString& playlistPath);
