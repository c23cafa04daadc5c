#pragma once
// Importing ".tvp" pack archives into the catalogue and the data folders, and
// removing packs and single resources again. Core's operations of the same
// names delegate here.

#include "catalogue/records.h"

#include <QString>
#include <QStringList>

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
    ImportCancelled = 9, // stopped on request while unpacking; nothing changed
    ImportDamaged = 10,  // pack.db or pack.ini does not match the pack's checksums; nothing changed
};

// What an import did, for a summary in the user's words.
struct ImportReport {
    int result = ImportOk;
    int resources = 0;     // resources catalogued
    bool replaced = false; // an older copy of the pack was removed first
    QString packName;
    QStringList
        damaged; // files whose checksum did not match (or that were missing), relative to the pack root
    // Resources left out because another installed pack has the same
    // productId (taking them would take them from that pack): "name (pack)".
    QStringList clashing;
};

// Follows an import as it goes: its stages and how far each has come, and
// whether the user asked to stop (honoured only while unpacking; after that
// the catalogue batch is short and stopping would leave a half pack).
class ImportObserver {
public:
    enum Stage { Unpacking, Checking, Moving };
    virtual ~ImportObserver() = default;
    // done of total (Unpacking: percent of 100).
    virtual void advanced(Stage stage, int done, int total) = 0;
    virtual bool cancelRequested() = 0;
};

// The folder below `unpackDir` that holds "pack.ini" or "pack.db": directories
// are searched before a folder's own files, so the outermost of nested
// candidates wins, and among siblings the last listed. Links are not followed.
// Empty when there is none.
QString findPackRoot(const QString& unpackDir);

// Where an archive of this base name is unpacked while it imports.
QString importUnpackDir(const DataPaths& paths, const QString& baseName);

// Imports one archive; returns an ImportResult. When the pack root holds
// "pack.sha256", every file it lists is checked first: a resource or icon
// that does not match is left out (named in the log and the report), a
// pack.db or pack.ini that does not match refuses the whole pack.
int importPack(DB& db, const DataPaths& paths, const QString& archivePath, ImportObserver* observer = nullptr,
               ImportReport* report = nullptr);

// Removes a pack, its resources (files, rows, schedule entries) and, unless it
// is a custom pack, its icon. Always 0.
int removePack(DB& db, const DataPaths& paths, TaviPack* pack);

// Removes one resource's file (and a publisher resource's icon) and its row. Always 0.
int removeApp(DB& db, const DataPaths& paths, _TaviApp* app, bool notify);

} // namespace packs
