#pragma once
// Plays a song or a video in the desktop's player and waits for it, on a
// thread of its own. Resource files are stored under short names, often
// without an extension; the player gets the file through a link that carries
// its display name, so the player shows (and recognises) it. The stored file
// never moves: a client that is closed, killed or loses its power while a
// song plays leaves at most a link behind, in the temporary folder.

#include "shelllaunch.h"

#include <QString>
#include <QThread>

class MediaPlayer : public QThread {
    Q_OBJECT
public:
    explicit MediaPlayer(QObject* parent = nullptr);

    void setParams(const QString& path, int productId, const QString& name);
    // Where the display-name links go (the temporary folder's "player").
    void setLinkFolder(const QString& folder) { m_linkFolder = folder; }

signals:
    // Nothing could play the file (no player for its type, or it would not start).
    void failed(QString name, QString reason);
    // The player started but could not play the file.
    void playFailed(QString name, QString reason);

protected:
    void run() override;

private:
    QString m_path;
    int m_productId = 0;
    QString m_name;
    QString m_linkFolder;
};

// Opens the file at `path` with the desktop's player under `name`, through a
// link of that name in linkFolder (a hard link, else a symbolic one; the file
// itself when neither can be made), waits, and removes the link. Returns the
// launch's outcome; `reason` (optional) says why it failed.
LaunchResult openMediaFile(QString path, int productId, QString name, const QString& linkFolder,
                           QString* reason = nullptr);

// A player that ends this quickly has handed the file to an instance that was
// running already: there is nothing to wait for, and the link stays for that
// instance to open (until the next song or the next start).
constexpr long long kHandOverMs = 1500;
