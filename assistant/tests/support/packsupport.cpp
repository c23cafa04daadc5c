#include "packsupport.h"

#include "core/core.h"
#include "platform/log.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

namespace packsupport {

QString packbuilder() {
    return QString(TAVI_PACKBUILDER_EXE);
}

QJsonObject resource(int appId, const QString& name, const QString& proType, const QString& file,
                     const QString& icon) {
    QJsonObject r{{"appId", appId}, {"name", name}, {"proType", proType}, {"file", file}};
    if (!icon.isEmpty())
        r.insert("icon", icon);
    return r;
}

PackSource::PackSource(const QString& dir, const QString& packId, const QString& name, const QString& icon)
    : m_dir(dir) {
    QDir().mkpath(dir);
    m_manifest.insert("packId", packId);
    m_manifest.insert("name", name);
    if (!icon.isEmpty()) {
        m_manifest.insert("icon", icon);
        writeIcon(icon);
    }
    m_manifest.insert("resources", QJsonArray());
}

void PackSource::write(const QString& relative, const QByteArray& content) const {
    testsupport::writeFile(m_dir + "/" + relative, content);
}

void PackSource::writeIcon(const QString& relative) const {
    QDir().mkpath(QFileInfo(m_dir + "/" + relative).absolutePath());
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(qRgb(qHash(relative) & 0xff, 120, 200));
    image.save(m_dir + "/" + relative, "PNG");
}

void PackSource::add(const QJsonObject& resource, const QByteArray& content) {
    QJsonArray list = m_manifest.value("resources").toArray();
    list.append(resource);
    m_manifest.insert("resources", list);
    const QString file = resource.value("file").toString();
    if (!file.isEmpty())
        write(file, content);
    const QString icon = resource.value("icon").toString();
    if (!icon.isEmpty() && !QFileInfo::exists(m_dir + "/" + icon))
        writeIcon(icon);
}

namespace {
testsupport::ProcessResult runBuilder(const QString& dir, const QJsonObject& manifest,
                                      const QStringList& args) {
    testsupport::writeFile(dir + "/manifest.json", QJsonDocument(manifest).toJson());
    return testsupport::run(packbuilder(), args, 120000);
}
} // namespace

testsupport::ProcessResult PackSource::build(const QString& archive, const QStringList& options) const {
    return runBuilder(m_dir, m_manifest, QStringList{"build", m_dir + "/manifest.json", archive} + options);
}

testsupport::ProcessResult PackSource::stage(const QString& folder, const QStringList& options) const {
    return runBuilder(m_dir, m_manifest, QStringList{"stage", m_dir + "/manifest.json", folder} + options);
}

testsupport::ProcessResult archiveFolder(const QString& folder, const QString& archive) {
    return testsupport::run(packbuilder(), {"archive", folder, archive}, 120000);
}

Installation::Installation() : m_paths(m_root.appDir()) {
    m_paths.makeDirs();
    QDir().mkpath(work());
    tavi::setupClientLogging(m_logDir.path());
    m_db = std::make_unique<DB>(m_paths.mainDbPath, "default");
    m_db->open();
    m_db->setup();
    Core::instance()->setDb(m_db.get());
    Core::instance()->setPaths(&m_paths);
}

Installation::~Installation() {
    Core::instance()->setDb(nullptr);
    Core::instance()->setPaths(nullptr);
    m_db->close();
    m_db.reset();
}

QString Installation::log() const {
    return testsupport::readFile(m_logDir.path() + "/debug/taviassistant.log");
}

QList<TaviPackPtr> Installation::packs() {
    _PackSearchPara para;
    para.orderBy = 0;
    unsigned count = 0;
    DataSet<TaviPack> set;
    m_db->searchPacks(&para, count, &set);
    return set;
}

QList<TaviAppPtr> Installation::apps(const QString& packId) {
    _AppSearchPara para;
    para.packId = packId;
    para.orderBy = 1;
    unsigned count = 0;
    DataSet<TaviApp> set;
    m_db->searchApps(&para, count, &set);
    return set;
}

TaviAppPtr Installation::appByProduct(int productId) {
    DataSet<TaviApp> set;
    m_db->getApps(QString("select * from AppTbl where productId = %1").arg(productId), &set);
    return set.isEmpty() ? TaviAppPtr() : set.first();
}

QVariant Installation::scalar(const QString& sql) {
    QVariant value;
    const QString name = "scalar-" + QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(m_paths.mainDbPath);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql) && q.next())
                value = q.value(0);
        }
    }
    QSqlDatabase::removeDatabase(name);
    return value;
}

QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString name = base.relativeFilePath(it.filePath());
        if (info.isSymLink()) {
            out.insert(name, "link:" + info.symLinkTarget().toUtf8());
        } else if (info.isDir()) {
            out.insert(name + "/", "dir");
        } else {
            QFile f(it.filePath());
            f.open(QIODevice::ReadOnly);
            out.insert(name, QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex());
        }
    }
    return out;
}

QStringList changes(const QMap<QString, QByteArray>& before, const QMap<QString, QByteArray>& after) {
    QStringList out;
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!after.contains(it.key()))
            out << "removed " + it.key();
        else if (after.value(it.key()) != it.value())
            out << "changed " + it.key();
    }
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (!before.contains(it.key()))
            out << "added " + it.key();
    }
    return out;
}

} // namespace packsupport
