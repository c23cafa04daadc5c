#pragma once
// The playlist files of the daily scenes (PLS): a [playlist] group with
// File1..FileN (full paths), TitleN where an entry has a name a teacher knows
// it by (a library song's name), NumberOfEntries and Version=2. Written in UTF-8,
// which is what players here read; a file that is not valid UTF-8 is read as
// GB2312 (a playlist from an older installation).

#include <QString>
#include <QStringList>

namespace playlist {

// The media files a playlist names, in order (an entry may be empty); false
// when the file is missing or unreadable, with `files` left empty. titles,
// when given, gets each entry's title (empty where it has none).
bool read(const QString& path, QStringList& files, QStringList* titles = nullptr);

// The playlist text for these files (titles: one per file, or none).
QByteArray format(const QStringList& files, const QStringList& titles = QStringList());

// Writes the playlist (replacing the file as a whole, never half); false with
// the reason in `error` when it could not be written.
bool write(const QString& path, const QStringList& files, QString* error = nullptr,
           const QStringList& titles = QStringList());

// What a teacher calls an entry: its title, else its file's name.
QString shownName(const QString& file, const QString& title);

// The entries that name no existing file.
QStringList missing(const QStringList& files);

// The media files of a scene folder, by these name patterns.
const QStringList& mediaPatterns();

} // namespace playlist
