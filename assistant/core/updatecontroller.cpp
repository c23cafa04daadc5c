#include "updatecontroller.h"

#include "core/checkupdateworker.h"
#include "core/core.h"
#include "online/netclient.h"
#include "online/updatedownload.h"
#include "platform/log.h"
#include "platform/network.h"
#include "platform/shellopen.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>

UpdateController::UpdateController(const ClientContext& context) : m_context(context) {}

UpdateController::Outcome UpdateController::run(UpdateView& view) {
    if (!isNetworkConnected()) {
        view.tell(UpdateView::Offline, QString());
        return WasOffline;
    }
    const QString version = m_context.core ? m_context.core->version() : QString();
    if (version.isEmpty())
        return NoVersion;

    // The record is the job's until the processing dialog has returned.
    _UpdateInfo info;
    if (!view.runCheck(WorkerPtr(new CheckUpdateWorker(version, &info))))
        return CheckFailed;
    if (info.status == "nothing") {
        view.tell(UpdateView::Latest, version);
        return UpToDate;
    }
    if (info.status != "update") {
        view.tell(UpdateView::StatusMismatch, QString());
        return Mismatch;
    }
    if (info.path.isEmpty()) {
        view.tell(UpdateView::EmptyPath, QString());
        return NoPath;
    }
    // The installer comes from the service itself: a path that would name
    // another host is no path on the service.
    const QUrl address =
        updateDownloadUrl(m_context.netClient ? m_context.netClient->baseAddress() : QString(), info.path);
    if (!address.isValid()) {
        TLOG_ERROR("the update's path is not a path on the service: " << info.path);
        view.tell(UpdateView::EmptyPath, QString());
        return NoPath;
    }
    const QString urlStr = address.toString(QUrl::FullyEncoded);
    const QString name = updateFileName(address);
    // Nothing unsigned is offered: the service's word alone is no release.
    QString why;
    if (!name.isEmpty() && !isSignedOffer(info, name, trustedUpdateKeys(), &why)) {
        TLOG_ERROR("update " << info.versionName << " from " << urlStr << " refused: " << why);
        view.tell(UpdateView::NotSigned, QString());
        return NotSigned;
    }
    if (!view.offer(info))
        return Declined;

    const QString tempDir = m_context.paths ? m_context.paths->tempDir : QString();
    const QString filePath = tempDir.isEmpty() ? QString() : QString("%1/%2").arg(tempDir, name);
    UpdateDownloader downloader(urlStr, filePath);
    if (!filePath.isEmpty() && name.isEmpty()) {
        // "..", "a%2Fb" and the like would put the file somewhere else.
        TLOG_ERROR("the update's address names no plain file: " << urlStr);
        view.tell(UpdateView::OpenFileFailed, QString());
    } else {
        switch (downloader.start()) {
        case UpdateDownloader::NoTarget:
            view.tell(UpdateView::NoTarget, QString());
            break;
        case UpdateDownloader::CannotOpen:
            view.tell(UpdateView::OpenFileFailed, QString());
            break;
        case UpdateDownloader::Started:
            view.showDownload(downloader);
            // The view can end while the download runs: the application quits.
            downloader.abandon("the download dialog's loop ended while downloading");
            if (downloader.result() == UpdateDownloader::NetworkError)
                view.tell(UpdateView::DownloadFailed, QString());
            break;
        }
    }
    if (downloader.result() != UpdateDownloader::Saved) {
        TLOG_ERROR("download failed");
        TLOG_DEBUG("urlStr:" << urlStr);
        TLOG_DEBUG("updateFilePath:" << filePath);
        return DownloadFailed;
    }
    if (!isOfferedFile(filePath, info, &why)) {
        QFile::remove(filePath);
        TLOG_ERROR("update " << info.versionName << " refused: " << why << "; deleted");
        view.tell(UpdateView::NotSigned, QString());
        return NotSigned;
    }
    // The desktop's opener starts detached and says nothing when no program
    // takes the file: ask first, and end only when the installer can start.
    if (defaultApplicationFor(filePath, &why).isEmpty()) {
        TLOG_ERROR("no program opens the installer " << filePath << ": " << why);
        view.tell(UpdateView::NoInstaller, filePath);
        return HandOverFailed;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(filePath))) {
        TLOG_ERROR("install failed");
        view.tell(UpdateView::InstallFailed, QString());
        return HandOverFailed;
    }
    TLOG_INFO("installer handed to the desktop: " << filePath);
    // The installer replaces this client.
    QCoreApplication::exit(0);
    return HandedOver;
}
