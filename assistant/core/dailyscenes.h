#pragma once
// The daily scenes' work without widgets: saving a scene (a new one, an
// edited one, a renamed one) as one library change, so that a power cut
// leaves the old scene or the new one, never a folder without its scene or a
// scene without its playlist; and which scenes play the files of resources
// about to be removed.

#include "catalogue/records.h"

#include <QString>
#include <QStringList>

class DB;
class DataPaths;

namespace dailyscenes {

enum SaveResult {
    Saved,
    NoName,          // "scene name is null!"
    UnusableName,    // no folder can have that name
    NameTaken,       // another scene has it
    PlaylistFailed,  // the playlist could not be written; error says why
    CatalogueFailed, // the catalogue refused; nothing changed
};

// Saves files as the playlist of the scene called name: a new scene when
// scene is null (made by the teacher), else scene (kept by the caller) takes
// the name and the playlist. The name's blanks around it are dropped.
// Nothing is written before every check has passed.
// titles: the entries' titles (what a teacher calls them), one per file or none.
SaveResult save(DB& db, const DataPaths& paths, _DailyScene* scene, const QString& name,
                const QStringList& files, const QStringList& titles = QStringList(),
                QString* error = nullptr);

// The names of the scenes whose playlists hold one of files (absolute paths).
QStringList scenesUsing(DB& db, const DataPaths& paths, const QStringList& files);
// The same for the files of one resource, or of every resource of a pack.
QStringList scenesUsingApp(DB& db, const DataPaths& paths, const _TaviApp& app);
QStringList scenesUsingPack(DB& db, const DataPaths& paths, const QString& packId);

} // namespace dailyscenes
