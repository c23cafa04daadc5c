#include "respackplayer.h"

#include "enginepath.h"
#include "packs/extract.h"
#include "platform/log.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

ResPackPlayer::ResPackPlayer(QObject* parent) : QThread(parent) {}

void ResPackPlayer::setParams(const QString& path, int productId) {
    m_path = path;
    m_productId = productId;
}

void ResPackPlayer::run() {
    openResPackFile(m_path, m_productId);
}

void ResPackPlayer::openResPackFile(const QString& path, int productId) {
    qDebug() << "openResPackFile";
    TLOG_DEBUG("openResPackFile productId:" << productId);
    const QString target = unpackFolderBeside(path);
    const bool unpackedBefore = QFileInfo::exists(target);
    qDebug() << "before extract";
    ExtractReport report;
    extract(path, target, false, &report);
    qDebug() << "after extract";
    if (!unpackedBefore && report.toolFailed) {
        // A failed unpack must not be mistaken for a finished one next time:
        // the folder did not exist before, so all of it is this attempt's debris.
        QDir(target).removeRecursively();
    }

    QString folder;
    findBookFolder(target, folder);
    if (folder.isEmpty()) {
        qDebug() << "Can not find tavigame.dat!";
        TLOG_ERROR("Can not find tavigame.dat!");
        return;
    }
    runApp(folder);
}

bool ResPackPlayer::findBookFolder(const QString& root, QString& folder) {
    QDir dir(root);
    if (!dir.exists())
        return false;
    const QFileInfoList entries = dir.entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name | QDir::DirsFirst);
    for (const QFileInfo& e : entries) {
        if (e.fileName() == "tavigame.dat") {
            folder = dir.absolutePath();
            break;
        }
        if (e.isDir())
            findBookFolder(e.absoluteFilePath(), folder);
    }
    return true;
}

void ResPackPlayer::runApp(const QString& folder) {
    qDebug() << "runApp";
    const QString engine = QDir::current().absoluteFilePath(enginePath());
    const QString argument = folder + "/";
    qDebug() << QString("%1 %2").arg(enginePath(), argument);
    QProcess process;
    // The engine's output goes where ours goes; an unread pipe would stall it.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    // One argument, so a folder with blanks arrives whole.
    process.start(engine, QStringList() << argument, QIODevice::ReadWrite);
    if (!process.waitForStarted(-1)) {
        TLOG_ERROR("engine did not start: " << engine << " " << process.errorString());
        return;
    }
    process.waitForFinished(-1);
}
