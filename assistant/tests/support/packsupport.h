#pragma once
// Helpers of the pack suites: pack sources built with the real pack builder
// and 7za, a throw-away installation wired into Core, and snapshots of a
// folder tree to prove that nothing outside the data folders changed.

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "testsupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

namespace packsupport {

// The pack builder built with the client.
QString packbuilder();

// One publisher resource of a manifest. The file's content is written by PackSource::add.
QJsonObject resource(int appId, const QString& name, const QString& proType, const QString& file,
                     const QString& icon = QString());

// A folder with the files of a pack and its manifest, packed with packbuilder.
class PackSource {
public:
    // dir: where the sources go (created).
    PackSource(const QString& dir, const QString& packId, const QString& name,
               const QString& icon = QString());
    QString dir() const { return m_dir; }
    QJsonObject& manifest() { return m_manifest; }

    // Writes a source file (relative to dir).
    void write(const QString& relative, const QByteArray& content) const;
    // A small PNG as an icon source.
    void writeIcon(const QString& relative) const;
    // Adds a resource and writes its file (and icon, when named and missing).
    void add(const QJsonObject& resource, const QByteArray& content = "content");

    // Runs "packbuilder build" with extra options; the result of the run.
    testsupport::ProcessResult build(const QString& archive, const QStringList& options = {}) const;
    // Lays the pack out in `folder` ("packbuilder stage").
    testsupport::ProcessResult stage(const QString& folder, const QStringList& options = {}) const;

private:
    QString m_dir;
    QJsonObject m_manifest;
};

// Packs a laid-out folder as it is (links kept) into an archive.
testsupport::ProcessResult archiveFolder(const QString& folder, const QString& archive);

// A throw-away installation: ROOT/bin, ROOT/data, ROOT/temp with a fresh
// catalogue, wired into Core for the duration. Logging goes to a file outside
// the root so the root's tree stays exactly what the client made of it.
class Installation {
public:
    Installation();
    ~Installation();
    testsupport::TempRoot& root() { return m_root; }
    const DataPaths& paths() const { return m_paths; }
    DB& db() { return *m_db; }
    // Folder for sources and archives, inside the root but outside the data folders.
    QString work() const { return m_root.path("work"); }
    QString log() const;

    // Catalogue helpers.
    QList<TaviPackPtr> packs();
    QList<TaviAppPtr> apps(const QString& packId = QString());
    TaviAppPtr appByProduct(int productId);
    // The first column of the first row of sql, read on a connection of its own.
    QVariant scalar(const QString& sql);

private:
    testsupport::TempRoot m_root;
    QTemporaryDir m_logDir;
    DataPaths m_paths;
    std::unique_ptr<DB> m_db;
};

// Every entry below `folder` (links not followed) with a digest of each file's
// content and each link's target.
QMap<QString, QByteArray> snapshot(const QString& folder);
// Entries that differ between two snapshots (added, removed or changed).
QStringList changes(const QMap<QString, QByteArray>& before, const QMap<QString, QByteArray>& after);

} // namespace packsupport
