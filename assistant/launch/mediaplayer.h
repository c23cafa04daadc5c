#pragma once
// Plays a song or a video in the desktop's player and waits for it, on a
// thread of its own. Resource files are stored under short names, often
// without an extension; while the player runs the file carries its display
// name, so the player shows (and recognises) it.

#include "shelllaunch.h"

#include <QString>
#include <QThread>

class MediaPlayer : public QThread {
    Q_OBJECT
public:
    explicit MediaPlayer(QObject* parent = nullptr);

    void setParams(const QString& path, int productId, const QString& name);
    QString path() const { return m_path; }
    int productId() const { return m_productId; }
    QString name() const { return m_name; }

signals:
    // Nothing could play the file (no player for its type, or it would not start).
    void failed(QString name, QString reason);

protected:
    void run() override;

private:
    QString m_path;
    int m_productId = 0;
    QString m_name;
};

// Renames the file at `path` to `name` in its folder (unless a file of that
// name is there), opens it with the desktop's player, waits, and renames it back.
// Returns the launch's outcome; `reason` (optional) says why it failed.
LaunchResult openMediaFile(QString path, int productId, QString name, QString* reason = nullptr);

// A player that ends this quickly has handed the file to an instance that was
// running already: there is nothing to wait for, and the file keeps its
// display name for that instance to open.
constexpr long long kHandOverMs = 1500;
