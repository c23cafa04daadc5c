#include "core.h"

#include "catalogue/db.h"
#include "launch/respackplayer.h"
#include "platform/log.h"

#include <QAtomicInt>
#include <QDebug>
#include <QDesktopServices>
#include <QThread>
#include <QUrl>

namespace {
// 0 = not created, 1 = being created, 2 = created.
QAtomicInt g_guard{0};
Core* g_core = nullptr;
} // namespace

Core::Core() : QObject(nullptr), resPackPlayer(new ResPackPlayer) {
    connect(resPackPlayer, &QThread::finished, this, &Core::playerFinished);
}

Core* Core::instance() {
    if (g_guard.loadAcquire() == 2)
        return g_core;
    if (g_guard.testAndSetAcquire(0, 1)) {
        g_core = new Core;
        g_guard.storeRelease(2);
        return g_core;
    }
    while (g_guard.loadAcquire() != 2)
        QThread::yieldCurrentThread();
    return g_core;
}

bool Core::isPlaying() {
    return resPackPlayer->isRunning();
}

int Core::openApp(_TaviApp* app) {
    if (isPlaying())
        return 1;
    if (!app)
        return 2;
    if (app->isUserFile) {
        const QString full = (app->isExternal ? paths->externalDir : paths->customPackDir) + "/" + app->path;
        QDesktopServices::openUrl(QUrl::fromLocalFile(full));
        return -1;
    }
    if (app->proType == "courseware" || app->proType == "books") {
        resPackPlayer->setParams(paths->appsDir + "/" + app->path, app->productId);
        resPackPlayer->start();
    }
    return -1;
}

int Core::playDailyScene(_DailyScene* scene) {
    if (isPlaying() || !scene)
        return 0;
    const QString path = QString("%1/%2").arg(paths->dailyDir, scene->playlist);
    qDebug() << path;
    return 0;
}

int Core::loadUser() {
    currentUser.userId = 0;
    userOnline = false;
    if (db)
        db->getUser(&currentUser);
    if (currentUser.userId == 0)
        return 0;
    if (currentUser.school == 0)
        currentUser.schoolName = currentUser.otherSchool;
    emit userLoaded();
    return 0;
}
