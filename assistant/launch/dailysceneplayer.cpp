#include "dailysceneplayer.h"

#include "shelllaunch.h"

DailyScenePlayer::DailyScenePlayer(QObject* parent) : QThread(parent) {}

void DailyScenePlayer::setParams(const QString& path) {
    m_path = path;
}

void DailyScenePlayer::run() {
    QString reason;
    const LaunchResult result = openPlaylist(m_path, &reason);
    if (result == LaunchFailed)
        emit failed(reason);
    else if (result == LaunchPlayerFailed)
        emit playFailed(reason);
}

LaunchResult openPlaylist(QString path, QString* reason) {
    return shellLaunch(path, reason);
}
