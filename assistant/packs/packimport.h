#pragma once
// Importing ".tvp" pack archives into the catalogue and the data folders, and
// removing packs and single resources again. Core's operations of the same
// names delegate here.

#include "catalogue/records.h"

#include <QString>

class DB;
class DataPaths;

namespace packs {

// pack.ini's pack types.
enum PackType { PACK_TAVI_BUILD = 1, PACK_USER_BUILD = 2 };

// Result codes of importPack.
enum ImportResult {
    ImportOk = 0,
    ImportUnknownType = -1,
    ImportExtractFailed = 1,
    ImportNoDbFile = 2,
    ImportOpenDbFailed = 3,
    ImportQueryFailed = 4,
    ImportQueryPackFailed = 6,
    ImportAddPackFailed = 7,
    ImportNeedsNewerClient = 8,
};

// The folder below `unpackDir` that holds "pack.ini" or "pack.db": directories
// are searched before a folder's own files, so the outermost of nested
// candidates wins, and among siblings the last listed. Links are not followed.
// Empty when there is none.
QString findPackRoot(const QString& unpackDir);

// Where an archive of this base name is unpacked while it imports.
QString importUnpackDir(const DataPaths& paths, const QString& baseName);

// Imports one archive; returns an ImportResult.
int importPack(DB& db, const DataPaths& paths, const QString& archivePath);

// Removes a pack, its resources (files, rows, schedule entries) and, unless it
// is a custom pack, its icon. Always 0.
int removePack(DB& db, const DataPaths& paths, TaviPack* pack);

// Removes one resource's file (and a publisher resource's icon) and its row. Always 0.
int removeApp(DB& db, const DataPaths& paths, _TaviApp* app, bool notify);

} // namespace packs
