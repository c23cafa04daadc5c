#pragma once
// Downloads the client's installer into a file on the interface thread
// through Qt's network access manager. A redirect restarts the request into
// the same, emptied file (at most ten of them, to http or https only). A
// download that fails, is stopped or is abandoned leaves no file behind.
// What the teacher sees of it (a bar and a cancel button) follows its
// signals; the downloader does no drawing.

#include <QObject>
#include <QString>
#include <QUrl>

class QFile;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

class UpdateDownloader : public QObject {
    Q_OBJECT
public:
    // What finished carries.
    enum Result { Saved = 0, Stopped = 1, NetworkError = 2 };
    // Why start() wrote nothing.
    enum StartError { Started = 0, NoTarget, CannotOpen };

    UpdateDownloader(const QString& address, const QString& filePath, QObject* parent = nullptr);
    ~UpdateDownloader() override;

    // Empties the target and sends the first request.
    StartError start();
    bool isRunning() const { return m_running; }
    QString filePath() const { return m_filePath; }
    QUrl currentUrl() const { return m_url; }
    // The code finished carried; -1 before the download has ended.
    int result() const { return m_result; }
    // Ends a running download whose end nobody waits for any more: the
    // partial file goes, and why is logged.
    void abandon(const char* why);

    // A download that receives nothing for this long fails as a network
    // error (a stalled server would otherwise keep the bar still for ever).
    static int stallTimeoutMs();
    static void setStallTimeoutMs(int ms);

public slots:
    // The teacher stopped it: the file goes, finished(Stopped).
    void stop();

signals:
    void progress(qint64 bytesRead, qint64 totalBytes);
    void finished(int result);

private:
    void startRequest();
    void readSome();
    void replyFinished();
    void releaseReply();
    void discardFile();
    void finish(int result);

    QString m_address;
    QUrl m_url;
    QString m_filePath;
    QFile* m_file = nullptr;
    QNetworkReply* m_reply = nullptr;
    QNetworkAccessManager* m_manager = nullptr;
    QTimer* m_stallTimer = nullptr;
    bool m_aborted = false;
    bool m_running = false;
    bool m_writeFailed = false;
    bool m_stalled = false;
    int m_redirects = 0;
    int m_result = -1;
};
