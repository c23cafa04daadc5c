#include "dailysceneplayer.h"

#include "shelllaunch.h"

DailyScenePlayer::DailyScenePlayer(QObject* parent) : QThread(parent) {}

void DailyScenePlayer::setParams(const QString& path) { m_path = path; }

void DailyScenePlayer::run() { openPlaylist(m_path); }

void openPlaylist(QString path) { shellLaunch(path); }
