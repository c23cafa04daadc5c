#include "manifest.h"

#include "plainpath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {

const QStringList kResourceKeys = {
    "appId",     "name",    "proType",     "file",       "path",     "icon",        "iconName",
    "link",      "price",   "starLevel",   "size",       "version",  "versionCode", "catena",
    "copyright", "keyword", "packageName", "downloadId", "fileName", "firstDate",   "editionReleaseDate"};
const QStringList kPackKeys = {"type",     "ver",         "packId", "name",      "icon",
                               "iconName", "installDate", "root",   "resources", "files"};

// An icon name: empty (no icon) or a file name without folders.
bool plainName(const QString& n) {
    return n.isEmpty() || (n != "." && n != ".." && !n.contains('/') && !n.contains('\\'));
}

QDate readDate(const QJsonObject& o, const QString& key, const QString& where, QStringList& errors) {
    if (!o.contains(key))
        return QDate();
    const QDate d = QDate::fromString(o.value(key).toString(), "yyyy-MM-dd");
    if (!d.isValid())
        errors << QString("%1: %2 is not a date of the form yyyy-MM-dd: \"%3\"")
                      .arg(where, key, o.value(key).toVariant().toString());
    return d;
}

int readInt(const QJsonObject& o, const QString& key, int fallback, const QString& where,
            QStringList& errors) {
    if (!o.contains(key))
        return fallback;
    const QJsonValue v = o.value(key);
    if (!v.isDouble() || v.toDouble() != double(v.toInt())) {
        errors << QString("%1: %2 must be a whole number").arg(where, key);
        return fallback;
    }
    return v.toInt();
}

QString readText(const QJsonObject& o, const QString& key, const QString& where, QStringList& errors) {
    if (!o.contains(key))
        return QString();
    const QJsonValue v = o.value(key);
    if (!v.isString()) {
        errors << QString("%1: %2 must be a text").arg(where, key);
        return QString();
    }
    return v.toString();
}

void checkUnknownKeys(const QJsonObject& o, const QStringList& known, const QString& where,
                      QStringList& errors) {
    for (const QString& key : o.keys()) {
        if (!known.contains(key))
            errors << QString("%1: unknown key \"%2\"").arg(where, key);
    }
}

} // namespace

const QStringList& knownKinds() {
    static const QStringList kinds = {"books", "courseware", "music", "video"};
    return kinds;
}

bool readManifest(const QString& file, bool unchecked, PackManifest& m, QStringList& errors) {
    const int before = errors.size();
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        errors << QString("%1: can not read the manifest: %2").arg(file, f.errorString());
        return false;
    }
    QJsonParseError perr;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &perr);
    if (perr.error != QJsonParseError::NoError || !doc.isObject()) {
        errors << QString("%1: not a JSON object: %2 (at byte %3)")
                      .arg(file, perr.error != QJsonParseError::NoError ? perr.errorString()
                                                                        : "top level is not an object")
                      .arg(perr.offset);
        return false;
    }
    const QJsonObject o = doc.object();
    m = PackManifest();
    m.baseDir = QFileInfo(file).absolutePath();
    checkUnknownKeys(o, kPackKeys, "manifest", errors);
    m.type = readInt(o, "type", 1, "manifest", errors);
    m.ver = readInt(o, "ver", 1, "manifest", errors);
    m.packId = readText(o, "packId", "manifest", errors);
    m.name = readText(o, "name", "manifest", errors);
    m.icon = readText(o, "icon", "manifest", errors);
    m.iconName = readText(o, "iconName", "manifest", errors);
    if (m.iconName.isEmpty() && !m.icon.isEmpty())
        m.iconName = QFileInfo(m.icon).fileName();
    if (!unchecked && !plainName(m.iconName))
        errors << QString("manifest: iconName \"%1\" must be a plain file name").arg(m.iconName);
    m.installDate = readDate(o, "installDate", "manifest", errors);
    m.root = readText(o, "root", "manifest", errors);
    if (!unchecked && m.type != 1 && m.type != 2)
        errors << QString("manifest: type must be 1 (publisher pack) or 2 (user-built pack), not %1")
                      .arg(m.type);
    if (!m.root.isEmpty() && !isPlainRelativePath(m.root))
        errors << QString("manifest: root must be a folder path inside the archive: \"%1\"").arg(m.root);

    const QDir base(m.baseDir);
    if (m.type == 2) {
        if (o.contains("resources"))
            errors << "manifest: a user-built pack (type 2) lists \"files\", not \"resources\"";
        QSet<QString> names;
        for (const QJsonValue& v : o.value("files").toArray()) {
            const QString rel = v.toString();
            const QString where = QString("file \"%1\"").arg(rel);
            if (!unchecked && !QFileInfo(base.filePath(rel)).isFile())
                errors << QString("%1: no such file").arg(where);
            const QString name = QFileInfo(rel).fileName();
            if (names.contains(name))
                errors << QString("%1: another file has the same name \"%2\"").arg(where, name);
            names.insert(name);
            m.files << rel;
        }
        if (m.files.isEmpty() && !unchecked)
            errors << "manifest: a user-built pack needs at least one entry in \"files\"";
        return errors.size() == before;
    }

    if (!unchecked) {
        if (m.packId.isEmpty())
            errors << "manifest: packId is missing";
        if (m.name.isEmpty())
            errors << "manifest: name is missing";
    }
    if (!m.icon.isEmpty() && !unchecked && !QFileInfo(base.filePath(m.icon)).isFile())
        errors << QString("manifest: pack icon \"%1\": no such file").arg(m.icon);

    if (!o.value("resources").isArray() && o.contains("resources"))
        errors << "manifest: resources must be a list";
    const QJsonArray list = o.value("resources").toArray();
    QHash<int, int> ids;
    QHash<QString, int> paths;
    QHash<QString, QString> iconSources;
    for (int i = 0; i < list.size(); ++i) {
        if (!list.at(i).isObject()) {
            errors << QString("resource %1: not an object").arg(i + 1);
            continue;
        }
        const QJsonObject r = list.at(i).toObject();
        ResourceEntry e;
        const QString where = QString("resource %1").arg(i + 1);
        checkUnknownKeys(r, kResourceKeys, where, errors);
        e.appId = readInt(r, "appId", 0, where, errors);
        e.name = readText(r, "name", where, errors);
        e.proType = readText(r, "proType", where, errors);
        e.file = readText(r, "file", where, errors);
        e.path = r.contains("path") ? readText(r, "path", where, errors) : e.file;
        e.icon = readText(r, "icon", where, errors);
        e.iconName = readText(r, "iconName", where, errors);
        if (e.iconName.isEmpty() && !e.icon.isEmpty())
            e.iconName = QFileInfo(e.icon).fileName();
        e.link = readText(r, "link", where, errors);
        e.price = readInt(r, "price", 0, where, errors);
        e.starLevel = readInt(r, "starLevel", 0, where, errors);
        e.size = readInt(r, "size", -1, where, errors);
        e.versionCode = readInt(r, "versionCode", 0, where, errors);
        e.version = readText(r, "version", where, errors);
        e.catena = readText(r, "catena", where, errors);
        e.copyright = readText(r, "copyright", where, errors);
        e.keyword = readText(r, "keyword", where, errors);
        e.packageName = readText(r, "packageName", where, errors);
        e.downloadId = readText(r, "downloadId", where, errors);
        e.fileName = readText(r, "fileName", where, errors);
        e.firstDate = readDate(r, "firstDate", where, errors);
        e.editionReleaseDate = readDate(r, "editionReleaseDate", where, errors);
        m.resources << e;
        if (unchecked)
            continue;

        const QString named = e.name.isEmpty() ? where : QString("%1 (%2)").arg(where, e.name);
        if (!e.link.isEmpty())
            errors << QString("%1: links are only for deliberately broken packs (--unchecked)").arg(named);
        if (e.appId <= 0)
            errors << QString("%1: appId (the product id) must be a number above 0").arg(named);
        else if (ids.contains(e.appId))
            errors << QString("%1: duplicate product id %2, already used by resource %3")
                          .arg(named)
                          .arg(e.appId)
                          .arg(ids.value(e.appId));
        else
            ids.insert(e.appId, i + 1);
        if (e.name.isEmpty())
            errors << QString("%1: name is missing").arg(where);
        if (!knownKinds().contains(e.proType))
            errors << QString("%1: unknown kind \"%2\" (proType must be one of %3)")
                          .arg(named, e.proType, knownKinds().join(", "));
        if (e.file.isEmpty())
            errors << QString("%1: file is missing").arg(named);
        else if (!QFileInfo(base.filePath(e.file)).isFile())
            errors << QString("%1: file \"%2\": no such file").arg(named, e.file);
        if (!isPlainRelativePath(e.path))
            errors << QString("%1: path \"%2\" must stay inside the pack (relative, no \"..\")")
                          .arg(named, e.path);
        else if (paths.contains(e.path))
            errors << QString("%1: path \"%2\" is used by resource %3 too")
                          .arg(named, e.path)
                          .arg(paths.value(e.path));
        else
            paths.insert(e.path, i + 1);
        if (!plainName(e.iconName))
            errors << QString("%1: iconName \"%2\" must be a plain file name").arg(named, e.iconName);
        if (!e.icon.isEmpty()) {
            const QString iconName = e.iconName;
            if (!QFileInfo(base.filePath(e.icon)).isFile())
                errors << QString("%1: icon \"%2\": no such file").arg(named, e.icon);
            else if (iconSources.contains(iconName) &&
                     QFileInfo(base.filePath(iconSources.value(iconName))).canonicalFilePath() !=
                         QFileInfo(base.filePath(e.icon)).canonicalFilePath())
                errors << QString("%1: icon \"%2\" has the same file name as \"%3\", a different file")
                              .arg(named, e.icon, iconSources.value(iconName));
            iconSources.insert(iconName, e.icon);
        }
    }
    if (!m.icon.isEmpty()) {
        const QString iconName = m.iconName;
        if (!unchecked && iconSources.contains(iconName) &&
            QFileInfo(base.filePath(iconSources.value(iconName))).canonicalFilePath() !=
                QFileInfo(base.filePath(m.icon)).canonicalFilePath())
            errors << QString("manifest: pack icon \"%1\" has the same file name as resource icon \"%2\"")
                          .arg(m.icon, iconSources.value(iconName));
    }
    return errors.size() == before;
}
