#include "updatedownloader.h"

#include "online/updatedownload.h"
#include "platform/log.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {
int g_stallTimeoutMs = 60 * 1000;
}

int UpdateDownloader::stallTimeoutMs() {
    return g_stallTimeoutMs;
}

void UpdateDownloader::setStallTimeoutMs(int ms) {
    g_stallTimeoutMs = ms;
}

UpdateDownloader::UpdateDownloader(const QString& address, const QString& filePath, QObject* parent)
    : QObject(parent), m_address(address), m_url(address), m_filePath(filePath),
      m_manager(new QNetworkAccessManager(this)), m_stallTimer(new QTimer(this)) {
    m_stallTimer->setSingleShot(true);
    connect(m_stallTimer, &QTimer::timeout, this, [this] {
        if (!m_running || !m_reply)
            return;
        TLOG_ERROR("download of " << m_url.toString() << " received nothing for " << g_stallTimeoutMs
                                  << " ms; given up");
        m_stalled = true;
        m_reply->abort();
    });
}

UpdateDownloader::~UpdateDownloader() {
    abandon("the download went while downloading");
}

UpdateDownloader::StartError UpdateDownloader::start() {
    if (m_filePath.isEmpty())
        return NoTarget;
    // The name must stay in the folder it is put into ("", "." and ".." do not).
    if (!isPlainFileName(QFileInfo(m_filePath).fileName())) {
        TLOG_ERROR("not a file name to download into: " << m_filePath);
        return CannotOpen;
    }
    if (QFileInfo(m_filePath).exists() || QFileInfo(m_filePath).isSymLink())
        QFile::remove(m_filePath);
    m_file = new QFile(m_filePath);
    if (!m_file->open(QIODevice::WriteOnly)) {
        TLOG_ERROR("cannot open " << m_filePath << " for writing: " << m_file->errorString());
        delete m_file;
        m_file = nullptr;
        return CannotOpen;
    }
    m_url = QUrl(m_address);
    m_aborted = false;
    m_writeFailed = false;
    m_stalled = false;
    m_redirects = 0;
    m_result = -1;
    m_running = true;
    startRequest();
    return Started;
}

void UpdateDownloader::startRequest() {
    QNetworkRequest request(m_url);
    request.setRawHeader("User-Agent", "Fake User");
    // Each redirect is followed here, so that it restarts the file.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::finished, this, &UpdateDownloader::replyFinished);
    connect(m_reply, &QNetworkReply::readyRead, this, &UpdateDownloader::readSome);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 read, qint64 total) {
        if (!m_aborted)
            emit progress(read, total);
    });
    m_stallTimer->start(g_stallTimeoutMs);
}

void UpdateDownloader::readSome() {
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

void UpdateDownloader::stop() {
    TLOG_DEBUG("stop downloading");
    if (!m_running)
        return;
    m_aborted = true;
    if (m_reply)
        m_reply->abort();
    // abort() normally reports the end at once; if not, end here.
    if (m_running)
        replyFinished();
}

void UpdateDownloader::replyFinished() {
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
        TLOG_DEBUG("redirect to " << next.toString());
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
    readSome();
    const bool written = !m_writeFailed && m_file->flush();
    m_file->close();
    releaseReply();
    if (!written) {
        TLOG_ERROR("cannot write " << m_filePath);
        discardFile();
        finish(NetworkError);
        return;
    }
    delete m_file;
    m_file = nullptr;
    finish(Saved);
}

void UpdateDownloader::releaseReply() {
    if (!m_reply)
        return;
    disconnect(m_reply, nullptr, this, nullptr);
    m_reply->deleteLater();
    m_reply = nullptr;
}

void UpdateDownloader::discardFile() {
    if (!m_file)
        return;
    m_file->close();
    if (!m_file->remove() && QFileInfo::exists(m_filePath))
        TLOG_ERROR("cannot remove the partial download " << m_filePath << ": " << m_file->errorString());
    delete m_file;
    m_file = nullptr;
}

void UpdateDownloader::finish(int result) {
    m_running = false;
    m_result = result;
    emit finished(result);
}

void UpdateDownloader::abandon(const char* why) {
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
