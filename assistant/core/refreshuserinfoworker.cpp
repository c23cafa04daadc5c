#include "refreshuserinfoworker.h"

#include "core.h"

RefreshUserInfoWorker::RefreshUserInfoWorker(QObject* parent) : QObject(parent) {
    connect(this, &RefreshUserInfoWorker::run, this, &RefreshUserInfoWorker::doWork);
}

void RefreshUserInfoWorker::doWork() {
    emit started();
    emit done(Core::instance()->getUserInfoOnline());
}
