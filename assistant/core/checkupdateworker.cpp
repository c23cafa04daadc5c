#include "checkupdateworker.h"

#include "core/core.h"
#include "online/netclient.h"
#include "platform/log.h"

CheckUpdateWorker::CheckUpdateWorker(const QString& version, _UpdateInfo* info, QObject* parent)
    : Worker(parent), m_version(version), m_info(info) {}

QString CheckUpdateWorker::name() {
    return tr("update");
}

QString CheckUpdateWorker::errorString(int r) {
    return r == 1 ? tr("query update info failed!") : tr("unknown error!");
}

void CheckUpdateWorker::doWork() {
    emit started();
    NetClient* net = Core::instance()->netClient();
    int r = NET_POST_FAILED;
    if (!net)
        TLOG_ERROR("no service client for the update check");
    else
        r = net->checkUpdate(m_version.toLatin1().constData(), m_info);
    emit finished(r == NET_OK ? 0 : 1);
}
