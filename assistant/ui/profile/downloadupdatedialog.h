#pragma once
// The installer's download on screen: a small modal dialog with a progress
// bar and a cancel button over a running UpdateDownloader. Cancel, Escape and
// closing the dialog stop the download; its end closes the dialog.

#include <QDialog>

class QCloseEvent;
class QProgressBar;
class UpdateDownloader;

class DownloadUpdateDialog : public QDialog {
    Q_OBJECT
public:
    explicit DownloadUpdateDialog(UpdateDownloader* downloader, QWidget* parent = nullptr);

    // Shows the download until it ends, or until the dialog's loop ends for
    // another reason (the application quits).
    void follow();

public slots:
    void updateDataReadProgress(qint64 bytesRead, qint64 totalBytes);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape stops the download as Cancel does; the download's end closes the dialog.
    void reject() override;

private:
    void onFinished(int result);

    UpdateDownloader* m_downloader;
    QProgressBar* m_bar = nullptr;
};
