#include "downloadupdatedialog.h"

#include "core/updatedownloader.h"
#include "ui/dialogs/topdialog.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QProgressBar>
#include <QPushButton>

DownloadUpdateDialog::DownloadUpdateDialog(UpdateDownloader* downloader, QWidget* parent)
    : QDialog(parent), m_downloader(downloader) {
    setObjectName("DownloadUpdateDialog");
    setWindowTitle(tr("Download update"));
    setFixedSize(400, 81);

    m_bar = new QProgressBar(this);
    m_bar->setObjectName("progressBar");
    m_bar->setValue(0);
    auto* cancelBtn = new QPushButton(tr("Cancel"), this);
    cancelBtn->setObjectName("cancelBtn");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addLayout(buttons);

    connect(cancelBtn, &QPushButton::clicked, m_downloader, &UpdateDownloader::stop);
    connect(m_downloader, &UpdateDownloader::progress, this, &DownloadUpdateDialog::updateDataReadProgress);
    connect(m_downloader, &UpdateDownloader::finished, this, &DownloadUpdateDialog::onFinished);
}

void DownloadUpdateDialog::follow() {
    if (m_downloader->isRunning())
        execAbove(*this, parentWidget());
}

void DownloadUpdateDialog::updateDataReadProgress(qint64 bytesRead, qint64 totalBytes) {
    // An unknown total (-1) shows 0 as an empty one does.
    const qint64 percent = totalBytes > 0 ? bytesRead * 100 / totalBytes : 0;
    m_bar->setValue(int(qBound<qint64>(0, percent, 100)));
}

void DownloadUpdateDialog::onFinished(int result) {
    if (result == UpdateDownloader::Saved) {
        accept();
        return;
    }
    // A full bar behind the failure would say the opposite.
    m_bar->setValue(0);
    QDialog::reject();
}

void DownloadUpdateDialog::closeEvent(QCloseEvent* event) {
    m_downloader->stop();
    event->accept();
}

void DownloadUpdateDialog::reject() {
    if (m_downloader->isRunning())
        m_downloader->stop();
    else
        QDialog::reject();
}
