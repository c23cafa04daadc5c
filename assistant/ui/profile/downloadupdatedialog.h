#pragma once
// Downloads the client's installer into a file: a small modal dialog with a
// progress bar and a cancel button, on the interface thread through Qt's
// network access manager. A redirect restarts the request into the same,
// emptied file (at most ten of them, to http or https only). A download that
// fails, is stopped, or does not match the digest the service named leaves no
// file behind; so does a dialog that goes while the download still runs.

#include <QDialog>
#include <QUrl>

class QCloseEvent;
class QFile;
class QNetworkAccessManager;
class QNetworkReply;
class QProgressBar;
class QTimer;
class QPushButton;

class DownloadUpdateDialog : public QDialog {
    Q_OBJECT
public:
    // What taskFinished carries.
    enum Result { Saved = 0, Stopped = 1, NetworkError = 2 };

    DownloadUpdateDialog(const QString& address, const QString& filePath, QWidget* parent = nullptr);
    ~DownloadUpdateDialog() override;

    // The finished file must have this SHA-256 (hex); any other file, and any
    // text that is not a digest, fails the download.
    void setExpectedSha256(const QString& hex);
    // Runs the download modally; true when the file was downloaded completely.
    bool startDownload();

    QUrl currentUrl() const { return m_url; }
    // The code taskFinished carried; -1 before the download has ended.
    int taskResult() const { return m_result; }
    // A download that receives nothing for this long fails as a network
    // error (a stalled server would otherwise keep the bar still for ever).
    static int stallTimeoutMs();
    static void setStallTimeoutMs(int ms);

signals:
    void taskFinished(int ret);

public slots:
    void stopDownload();
    void httpFinished();
    void httpReadyRead();
    void updateDataReadProgress(qint64 bytesRead, qint64 totalBytes);
    void onTaskFinished(int ret);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape stops the download as Cancel does; the download's end closes the dialog.
    void reject() override;

private:
    void startRequest();
    void releaseReply();
    void discardFile();
    void finish(int ret);
    // The dialog's loop ended, or the dialog goes, while the download runs.
    void abandon(const char* why);

    QString m_address;
    QUrl m_url;
    QString m_filePath;
    QFile* m_file = nullptr;
    QNetworkReply* m_reply = nullptr;
    QNetworkAccessManager* m_manager = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancelBtn = nullptr;
    bool m_aborted = false;
    bool m_running = false;
    bool m_writeFailed = false;
    bool m_stalled = false;
    QTimer* m_stallTimer = nullptr;
    int m_redirects = 0;
    int m_result = -1;
    bool m_checksSha256 = false;
    QString m_expectedSha256;
};
