#include "downloadupdatedialog.h"

#include "online/updatedownload.h"
#include "platform/log.h"
#include "ui/dialogs/messages.h"
#include "ui/dialogs/topdialog.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {
int g_stallTimeoutMs = 60 * 1000;
}

int DownloadUpdateDialog::stallTimeoutMs() {
    return g_stallTimeoutMs;
}

void DownloadUpdateDialog::setStallTimeoutMs(int ms) {
    g_stallTimeoutMs = ms;
}

DownloadUpdateDialog::DownloadUpdateDialog(const QString& address, const QString& filePath, QWidget* parent)
    : QDialog(parent), m_address(address), m_filePath(filePath) {
    setObjectName("DownloadUpdateDialog");
    setWindowTitle(tr("Download update"));
    setFixedSize(400, 81);

    m_manager = new QNetworkAccessManager(this);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName("progressBar");
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_cancelBtn = new QPushButton(tr("Cancel"), this);
    m_cancelBtn->setObjectName("cancelBtn");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addLayout(buttons);

    m_stallTimer = new QTimer(this);
    m_stallTimer->setSingleShot(true);
    connect(m_stallTimer, &QTimer::timeout, this, [this] {
        if (!m_running || !m_reply)
            return;
        TLOG_ERROR("download of " << m_url.toString() << " received nothing for " << g_stallTimeoutMs
                                  << " ms; given up");
        m_stalled = true;
        m_reply->abort();
    });
    connect(m_cancelBtn, &QPushButton::clicked, this, &DownloadUpdateDialog::stopDownload);
    connect(this, &DownloadUpdateDialog::taskFinished, this, &DownloadUpdateDialog::onTaskFinished);
}

DownloadUpdateDialog::~DownloadUpdateDialog() {
    abandon("the download dialog went while downloading");
}

void DownloadUpdateDialog::setExpectedSha256(const QString& hex) {
    m_checksSha256 = true;
    m_expectedSha256 = hex;
}

bool DownloadUpdateDialog::startDownload() {
    m_url = QUrl(m_address);
    if (m_filePath.isEmpty()) {
        messages::fail(this, tr("update"), tr("empty path!"));
        return false;
    }
    // The name must stay in the folder it is put into ("", "." and ".." do not).
    if (!isPlainFileName(QFileInfo(m_filePath).fileName())) {
        TLOG_ERROR("not a file name to download into: " << m_filePath);
        messages::fail(this, tr("update"), tr("open file failed!"));
        return false;
    }
    if (QFileInfo(m_filePath).exists() || QFileInfo(m_filePath).isSymLink())
        QFile::remove(m_filePath);
    m_file = new QFile(m_filePath);
    if (!m_file->open(QIODevice::WriteOnly)) {
        TLOG_ERROR("cannot open " << m_filePath << " for writing: " << m_file->errorString());
        delete m_file;
        m_file = nullptr;
        messages::fail(this, tr("update"), tr("open file failed!"));
        return false;
    }
    m_aborted = false;
    m_writeFailed = false;
    m_stalled = false;
    m_redirects = 0;
    m_result = -1;
    m_running = true;
    m_bar->setValue(0);
    startRequest();
    int r = result();
    if (m_running)
        r = execAbove(*this, parentWidget());
    // The loop can end without the download's end: the application quits.
    abandon("the download dialog's loop ended while downloading");
    return r == QDialog::Accepted && m_result == Saved;
}

void DownloadUpdateDialog::startRequest() {
    QNetworkRequest request(m_url);
    request.setRawHeader("User-Agent", "Fake User");
    // Each redirect is followed here, so that it restarts the file.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::finished, this, &DownloadUpdateDialog::httpFinished);
    connect(m_reply, &QNetworkReply::readyRead, this, &DownloadUpdateDialog::httpReadyRead);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &DownloadUpdateDialog::updateDataReadProgress);
    m_stallTimer->start(g_stallTimeoutMs);
}

void DownloadUpdateDialog::httpReadyRead() {
    if (!m_file || !m_reply || m_writeFailed)
        return;
    const QByteArray data = m_reply->readAll();
    if (data.isEmpty())
        return;
    m_stallTimer->start(g_stallTimeoutMs);
    if (m_file->write(data) != data.size()) {
        // A short file must never pass for the installer.
        TLOG_ERROR("cannot write " << m_filePath << ": " << m_file->errorString());
        m_writeFailed = true;
        m_reply->abort();
    }
}

void DownloadUpdateDialog::updateDataReadProgress(qint64 bytesRead, qint64 totalBytes) {
    if (m_aborted)
        return;
    // An unknown total (-1) shows 0 as an empty one does.
    const qint64 percent = totalBytes > 0 ? bytesRead * 100 / totalBytes : 0;
    m_bar->setValue(int(qBound<qint64>(0, percent, 100)));
}

void DownloadUpdateDialog::stopDownload() {
    TLOG_DEBUG("stop downloading");
    if (!m_running)
        return;
    m_aborted = true;
    if (m_reply)
        m_reply->abort();
    // abort() normally reports the end at once; if not, end here.
    if (m_running)
        httpFinished();
}

void DownloadUpdateDialog::httpFinished() {
    TLOG_DEBUG("httpFinished");
    if (!m_running)
        return;
    // Replies let go of are disconnected, so this is always the current one.
    QNetworkReply* reply = m_reply;
    m_stallTimer->stop();
    if (m_aborted || m_writeFailed || m_stalled || !reply || reply->error() != QNetworkReply::NoError) {
        if (!m_aborted && !m_stalled && reply)
            TLOG_ERROR("download of " << m_url.toString() << " failed: " << reply->errorString());
        discardFile();
        releaseReply();
        finish(m_aborted ? Stopped : NetworkError);
        return;
    }
    const QVariant target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
    if (!target.isNull()) {
        const QUrl next = m_url.resolved(target.toUrl());
        qDebug() << "Redirect to " << next;
        releaseReply();
        if (m_redirects >= kMaxUpdateRedirects || !isFollowableRedirect(next)) {
            TLOG_ERROR("download of " << m_address << " not followed to " << next.toString() << " after "
                                      << m_redirects << " redirects");
            discardFile();
            finish(NetworkError);
            return;
        }
        ++m_redirects;
        m_url = next;
        m_file->resize(0);
        m_file->seek(0);
        startRequest();
        return;
    }
    httpReadyRead();
    const bool written = !m_writeFailed && m_file->flush();
    m_file->close();
    releaseReply();
    if (!written) {
        TLOG_ERROR("cannot write " << m_filePath);
        discardFile();
        finish(NetworkError);
        return;
    }
    if (m_checksSha256 && !fileMatchesSha256(m_filePath, m_expectedSha256)) {
        TLOG_ERROR("downloaded " << m_filePath << " does not match the sha256 the service named ("
                                 << m_expectedSha256 << "); deleted");
        discardFile();
        finish(NetworkError);
        return;
    }
    delete m_file;
    m_file = nullptr;
    finish(Saved);
}

void DownloadUpdateDialog::onTaskFinished(int ret) {
    if (ret == Saved) {
        accept();
    } else if (ret == NetworkError) {
        // A full bar behind the failure would say the opposite.
        m_bar->setValue(0);
        messages::fail(this, tr("update"), tr("download file failed!"));
        QDialog::reject();
    } else {
        QDialog::reject();
    }
}

void DownloadUpdateDialog::closeEvent(QCloseEvent* event) {
    stopDownload();
    event->accept();
}

void DownloadUpdateDialog::reject() {
    if (m_running)
        stopDownload();
    else
        QDialog::reject();
}

void DownloadUpdateDialog::releaseReply() {
    if (!m_reply)
        return;
    disconnect(m_reply, nullptr, this, nullptr);
    m_reply->deleteLater();
    m_reply = nullptr;
}

void DownloadUpdateDialog::discardFile() {
    if (!m_file)
        return;
    m_file->close();
    if (!m_file->remove() && QFileInfo::exists(m_filePath))
        TLOG_ERROR("cannot remove the partial download " << m_filePath << ": " << m_file->errorString());
    delete m_file;
    m_file = nullptr;
}

void DownloadUpdateDialog::finish(int ret) {
    m_running = false;
    m_result = ret;
    emit taskFinished(ret);
}

void DownloadUpdateDialog::abandon(const char* why) {
    if (!m_running)
        return;
    TLOG_ERROR(why << "; " << m_filePath << " removed");
    m_running = false;
    m_aborted = true;
    m_result = Stopped;
    m_stallTimer->stop();
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        disconnect(reply, nullptr, this, nullptr);
        m_reply = nullptr;
        reply->abort();
        reply->deleteLater();
    }
    discardFile();
}
