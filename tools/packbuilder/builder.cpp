#include "builder.h"

#include "packsums.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

QString dateText(const QDate& d) {
    return d.isValid() ? d.toString(Qt::TextDate) : QString();
}

bool inside(const QString& root, const QString& relative) {
    const QString full = QDir::cleanPath(root + "/" + relative);
    return !relative.isEmpty() && !QDir::isAbsolutePath(relative) &&
           full.startsWith(QDir::cleanPath(root) + "/");
}

bool copyFile(const QString& source, const QString& target, QStringList& errors) {
    QDir().mkpath(QFileInfo(target).absolutePath());
    if (QFileInfo::exists(target))
        return true; // the same icon used twice
    if (!QFile::copy(source, target)) {
        errors << QString("can not copy \"%1\" to \"%2\"").arg(source, target);
        return false;
    }
    return true;
}

bool writeIni(const QString& root, int ver, int type, QStringList& errors) {
    QSettings ini(root + "/pack.ini", QSettings::IniFormat);
    ini.beginGroup("pack");
    ini.setValue("ver", ver);
    ini.setValue("type", type);
    ini.endGroup();
    ini.sync();
    if (ini.status() != QSettings::NoError) {
        errors << QString("can not write %1/pack.ini").arg(root);
        return false;
    }
    return true;
}

bool writeDb(const PackManifest& m, const QString& dbPath, QStringList& errors) {
    const QString conn = "packbuilder";
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", conn);
        db.setDatabaseName(dbPath);
        if (!db.open()) {
            errors << QString("can not create %1: %2").arg(dbPath, db.lastError().text());
            ok = false;
        } else {
            QSqlQuery q(db);
            auto run = [&](const QString& sql) {
                if (ok && !q.exec(sql)) {
                    errors << QString("pack.db: %1: %2").arg(sql.left(60), q.lastError().text());
                    ok = false;
                }
            };
            run("create table PackTbl(packId varchar(50),name varchar(50),icon varchar(255),installDate "
                "varchar(50))");
            run("create table AppTbl(appId INTEGER,price int,starLevel int,size int,versionCode int,proType "
                "varchar(10),name varchar(50),catena varchar(50),version varchar(50),copyright "
                "varchar(100),keyword varchar(50),packageName varchar(100),icon varchar(255),path "
                "varchar(255),downloadId varchar(255),fileName varchar(255),firstDate "
                "varchar(50),editionReleaseDate varchar(50))");
            db.transaction();
            if (ok) {
                q.prepare("insert into PackTbl(packId,name,icon,installDate)values(?,?,?,?)");
                q.addBindValue(m.packId);
                q.addBindValue(m.name);
                q.addBindValue(m.iconName);
                q.addBindValue(dateText(m.installDate.isValid() ? m.installDate : QDate::currentDate()));
                if (!q.exec()) {
                    errors << QString("pack.db: pack row: %1").arg(q.lastError().text());
                    ok = false;
                }
            }
            for (const ResourceEntry& e : m.resources) {
                if (!ok)
                    break;
                q.prepare(
                    "insert into AppTbl(appId,price,starLevel,size,versionCode,proType,name,catena,version,"
                    "copyright,keyword,packageName,icon,path,downloadId,fileName,firstDate,"
                    "editionReleaseDate)values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
                int size = e.size;
                if (size < 0)
                    size = int(QFileInfo(QDir(m.baseDir).filePath(e.file)).size());
                for (const QVariant& v :
                     {QVariant(e.appId), QVariant(e.price), QVariant(e.starLevel), QVariant(size),
                      QVariant(e.versionCode), QVariant(e.proType), QVariant(e.name), QVariant(e.catena),
                      QVariant(e.version), QVariant(e.copyright), QVariant(e.keyword),
                      QVariant(e.packageName), QVariant(e.iconName), QVariant(e.path), QVariant(e.downloadId),
                      QVariant(e.fileName.isEmpty() ? QFileInfo(e.path).fileName() : e.fileName),
                      QVariant(dateText(e.firstDate)), QVariant(dateText(e.editionReleaseDate))})
                    q.addBindValue(v);
                if (!q.exec()) {
                    errors << QString("pack.db: resource %1: %2").arg(e.appId).arg(q.lastError().text());
                    ok = false;
                }
            }
            if (ok)
                db.commit();
            else
                db.rollback();
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(conn);
    return ok;
}

// pack.sha256 over every plain file below the root (links are no content of
// the pack; the client never moves them).
bool writeChecksums(const QString& root, QStringList& errors) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        if (relative != packsums::kFileName)
            files << relative;
    }
    files.sort();
    std::string text;
    for (const QString& relative : files) {
        std::string hex;
        if (!packsums::sha256File(QFile::encodeName(root + "/" + relative).toStdString(), hex)) {
            errors << QString("can not read %1/%2 for its checksum").arg(root, relative);
            return false;
        }
        text += packsums::formatLine(hex, relative.toStdString());
    }
    QFile out(root + "/" + packsums::kFileName);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        errors << QString("can not write %1/%2").arg(root, packsums::kFileName);
        return false;
    }
    return true;
}

} // namespace

bool stagePack(const PackManifest& m, const QString& stageDir, const BuildOptions& o, QStringList& errors) {
    QDir stage(stageDir);
    if (stage.exists() &&
        !stage.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        errors << QString("%1 is not empty").arg(stageDir);
        return false;
    }
    const QString root = m.root.isEmpty() ? stageDir : stageDir + "/" + m.root;
    if (!QDir().mkpath(root)) {
        errors << QString("can not create %1").arg(root);
        return false;
    }
    const QDir base(m.baseDir);
    const int ver = o.iniVer >= 0 ? o.iniVer : m.ver;
    const int type = o.iniType >= 0 ? o.iniType : m.type;
    bool ok = true;

    if (m.type == 2) {
        for (const QString& f : m.files) {
            const QString source = base.filePath(f);
            if (QFileInfo(source).isFile())
                ok = copyFile(source, root + "/" + QFileInfo(f).fileName(), errors) && ok;
        }
        if (o.writeIni)
            ok = writeIni(root, ver, type, errors) && ok;
        if (o.writeChecksums)
            ok = writeChecksums(root, errors) && ok;
        return ok;
    }

    QDir().mkpath(root + "/icons");
    auto stageIcon = [&](const QString& source, const QString& name) {
        if (source.isEmpty() || name.isEmpty() || !inside(root + "/icons", name))
            return;
        if (QFileInfo(base.filePath(source)).isFile())
            ok = copyFile(base.filePath(source), root + "/icons/" + name, errors) && ok;
    };
    stageIcon(m.icon, m.iconName);
    for (const ResourceEntry& e : m.resources) {
        stageIcon(e.icon, e.iconName);
        // A path leading out of the pack is written to pack.db only; nothing is put there.
        if (!inside(root, e.path))
            continue;
        const QString target = root + "/" + e.path;
        if (!e.link.isEmpty()) {
            QDir().mkpath(QFileInfo(target).absolutePath());
            if (!QFile::link(e.link, target)) {
                errors << QString("can not make the link %1").arg(target);
                ok = false;
            }
            continue;
        }
        if (!e.file.isEmpty() && QFileInfo(base.filePath(e.file)).isFile())
            ok = copyFile(base.filePath(e.file), target, errors) && ok;
    }
    ok = writeDb(m, root + "/pack.db", errors) && ok;
    if (o.writeIni)
        ok = writeIni(root, ver, type, errors) && ok;
    if (o.writeChecksums)
        ok = writeChecksums(root, errors) && ok;
    return ok;
}

bool archiveFolder(const QString& folder, const QString& archive, const BuildOptions& o,
                   QStringList& errors) {
    const QString out = QFileInfo(archive).absoluteFilePath();
    if (QFileInfo::exists(out) && !QFile::remove(out)) {
        errors << QString("can not replace %1").arg(out);
        return false;
    }
    QDir().mkpath(QFileInfo(out).absolutePath());
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(o.sevenZip, {"a", "-t7z", QString("-mx=%1").arg(o.level), "-snl", "-bd", "--", out, "."});
    if (!p.waitForStarted(-1)) {
        errors << QString("can not start %1: %2").arg(o.sevenZip, p.errorString());
        return false;
    }
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        errors << QString("%1 failed (exit code %2): %3")
                      .arg(o.sevenZip)
                      .arg(p.exitCode())
                      .arg(QString::fromLocal8Bit(p.readAllStandardError() + p.readAllStandardOutput())
                               .trimmed());
        return false;
    }
    return true;
}
