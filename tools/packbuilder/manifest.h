#pragma once
// The pack builder's input: a JSON manifest naming the pack and its resources,
// read into plain records and checked.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

struct ResourceEntry {
    int appId = 0;
    QString name;
    QString proType;
    QString file;     // source, relative to the manifest's folder
    QString path;     // where it goes below the pack root (pack.db's path)
    QString icon;     // source of the icon, relative to the manifest's folder
    QString iconName; // the icon's name in icons/ and pack.db (empty: the source's file name)
    QString link;     // instead of a file: a symbolic link with this target (unchecked packs only)
    int price = 0;
    int starLevel = 0;
    int size = -1; // -1: the file's size
    int versionCode = 0;
    QString version;
    QString catena;
    QString copyright;
    QString keyword;
    QString packageName;
    QString downloadId;
    QString fileName; // empty: the file name of path
    QDate firstDate;
    QDate editionReleaseDate;
};

struct PackManifest {
    QString baseDir; // the manifest's folder; sources are relative to it
    int type = 1;    // 1 publisher pack, 2 user-built pack
    int ver = 1;
    QString packId;
    QString name;
    QString icon;
    QString iconName;
    QDate installDate;
    QString root; // folder inside the archive holding the pack ("" = top level)
    QList<ResourceEntry> resources;
    QStringList files; // user-built packs: the files, relative to baseDir
};

// Reads a manifest. Problems are appended to `errors` as one line each; with
// `unchecked` the content checks (paths, kinds, ids, missing files) are skipped
// so that deliberately broken packs can be built.
bool readManifest(const QString& file, bool unchecked, PackManifest& manifest, QStringList& errors);

// The resource kinds the client knows.
const QStringList& knownKinds();
