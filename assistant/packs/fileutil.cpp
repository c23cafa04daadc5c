#include "fileutil.h"
#include "sharedinstall.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool copyDir(const QString& source, const QString& destination) {
    const QFileInfo src(source);
    if (!src.isDir())
        return false;
    QDir dest(destination);
    if (!dest.exists()) {
        QDir parent(QFileInfo(destination).absolutePath());
        if (!parent.mkdir(QFileInfo(destination).fileName()))
            return false;
    }
    const QFileInfoList entries =
        QDir(source).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    bool ok = true;
    for (const QFileInfo& e : entries) {
        const QString target = destination + "/" + e.fileName();
        if (e.isSymLink())
            continue; // a link could lead anywhere; the data folders hold real files only
        if (e.isDir())
            ok = copyDir(e.absoluteFilePath(), target) && ok;
        else if (QFile::copy(e.absoluteFilePath(), target))
            sharedinstall::shareTree(QFile::encodeName(target).toStdString());
    }
    return ok;
}

bool isUsableFolderName(const QString& name) {
    if (name.trimmed().isEmpty() || name.startsWith('.') || name.contains('/') || name.contains('\\'))
        return false;
    if (name.toUtf8().size() > 255)
        return false;
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}
