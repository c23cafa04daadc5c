#pragma once
// Plays a daily scene's playlist in the desktop's player and waits for it, on
// a thread of its own.

#include "shelllaunch.h"

#include <QString>
#include <QThread>

class DailyScenePlayer : public QThread {
    Q_OBJECT
public:
    explicit DailyScenePlayer(QObject* parent = nullptr);

    void setParams(const QString& path);

signals:
    // Nothing could play the playlist.
    void failed(QString reason);
    // The player started but could not play it.
    void playFailed(QString reason);

protected:
    void run() override;

private:
    QString m_path;
};

// Opens the playlist file with the desktop's player and waits for it;
// `reason` (optional) says why when that failed.
LaunchResult openPlaylist(QString path, QString* reason = nullptr);
