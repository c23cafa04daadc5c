#pragma once
// Writes a pack's folder (pack.ini, pack.db, icons, resource files) and packs
// a folder into a ".tvp" archive with 7za.

#include "manifest.h"

#include <QString>
#include <QStringList>

struct BuildOptions {
    bool unchecked = false; // write what the manifest says, however broken (tests of the client's defences)
    bool writeIni = true;
    bool writeChecksums = true; // pack.sha256 over every file of the pack root
    int iniVer = -1;            // -1: the manifest's ver
    int iniType = -1;           // -1: the manifest's type
    int level = 5;              // 7z compression level 0-9
    QString sevenZip = "7za";
};

// Lays the pack out in `stageDir` (which must be missing or empty).
bool stagePack(const PackManifest& manifest, const QString& stageDir, const BuildOptions& options,
               QStringList& errors);

// Packs everything in `folder` (links kept as links) into `archive` (replaced if present).
bool archiveFolder(const QString& folder, const QString& archive, const BuildOptions& options,
                   QStringList& errors);
