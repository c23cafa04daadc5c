#include "dailysceneplayer.h"

#include "shelllaunch.h"

DailyScenePlayer::DailyScenePlayer(QObject* parent) : QThread(parent) {}

void DailyScenePlayer::setParams(const QString& path) {
    m_path = path;
}

void DailyScenePlayer::run() {
    QString reason;
    if (openPlaylist(m_path, &reason) == LaunchFailed)
        emit failed(reason);
}

LaunchResult openPlaylist(QString path, QString* reason) {
    return shellLaunch(path, reason);
}
