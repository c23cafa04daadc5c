#include "updatecontroller.h"

#include "core/checkupdateworker.h"
#include "core/core.h"
#include "online/netclient.h"
#include "online/updatedownload.h"
#include "platform/log.h"
#include "platform/network.h"

#include <QCoreApplication>
#include <QDesktopServices>
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
    if (!view.offer(info))
        return Declined;

    const QString urlStr = address.toString(QUrl::FullyEncoded);
    const QString tempDir = m_context.paths ? m_context.paths->tempDir : QString();
    const QString name = updateFileName(address);
    const QString filePath = tempDir.isEmpty() ? QString() : QString("%1/%2").arg(tempDir, name);
    bool downloaded = false;
    if (!filePath.isEmpty() && name.isEmpty()) {
        // "..", "a%2Fb" and the like would put the file somewhere else.
        TLOG_ERROR("the update's address names no plain file: " << urlStr);
        view.tell(UpdateView::OpenFileFailed, QString());
    } else {
        downloaded = view.download(urlStr, filePath, info);
    }
    if (!downloaded) {
        TLOG_ERROR("download failed");
        TLOG_DEBUG("urlStr:" << urlStr);
        TLOG_DEBUG("updateFilePath:" << filePath);
        return DownloadFailed;
    }
    TLOG_INFO("installer handed to the desktop: " << filePath);
    Outcome outcome = HandedOver;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(filePath))) {
        TLOG_ERROR("install failed");
        view.tell(UpdateView::InstallFailed, QString());
        outcome = HandOverFailed;
    }
    // The installer replaces this client: it ends either way.
    QCoreApplication::exit(0);
    return outcome;
}
