#include "updateuserinfoworker.h"

#include "core.h"

UpdateUserInfoWorker::UpdateUserInfoWorker(QObject* parent) : QObject(parent) {
    registerRecordMetaTypes();
    connect(this, &UpdateUserInfoWorker::run, this, &UpdateUserInfoWorker::doWork);
}

void UpdateUserInfoWorker::doWork(TaviUserPtr user) {
    emit started();
    emit done(Core::instance()->updateUserInfo(user.data()));
}
