#include "mediaplayer.h"

#include "shelllaunch.h"

#include "platform/log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

MediaPlayer::MediaPlayer(QObject* parent) : QThread(parent) {}

void MediaPlayer::setParams(const QString& path, int productId, const QString& name) {
    m_path = path;
    m_productId = productId;
    m_name = name;
}

void MediaPlayer::run() {
    QString reason;
    if (openMediaFile(m_path, m_productId, m_name, &reason) == LaunchFailed)
        emit failed(m_name.isEmpty() ? QFileInfo(m_path).fileName() : m_name, reason);
}

LaunchResult openMediaFile(QString path, int productId, QString name, QString* reason) {
    TLOG_DEBUG("openMediaFile productId:" << productId);
    // A display name that is no plain file name would move the file elsewhere.
    const bool plainName = !name.isEmpty() && !name.contains('/') && name != "." && name != "..";
    const QString displayPath = plainName ? QString("%1/%2").arg(QFileInfo(path).absolutePath(), name) : path;
    bool renamed = false;
    if (displayPath != path && !QFileInfo::exists(displayPath) && !QFileInfo(displayPath).isSymLink())
        renamed = QFile::rename(path, displayPath);

    const LaunchResult result = shellLaunch(displayPath, reason);
    if (result == LaunchNoProcess)
        return result; // the file keeps its display name: the running player opens it by that name
    if (result == LaunchWaited)
        TLOG_DEBUG("openMediaFile done");
    // Nothing was started after a failure, so nothing holds the file: it gets
    // its stored name back, or the catalogue would lose it.
    if (renamed)
        QFile::rename(displayPath, path);
    return result;
}
