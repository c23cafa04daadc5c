#include "core.h"

#include "catalogue/db.h"
#include "launch/respackplayer.h"
#include "online/netclient.h"
#include "online/offlinedb.h"
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

namespace {

// The cache's names replace what the service sent; a number the cache does
// not know gives an empty name. School 0 is "other": the typed name stands.
void nameNumbers(OfflineDB* cache, TaviUser& user) {
    _ProvCityInfo province;
    province.id = user.province;
    _ProvCityInfo city;
    city.id = user.city;
    _SchoolInfo school;
    school.id = user.school;
    if (cache) {
        cache->getProvinceCityDetail(&province);
        cache->getProvinceCityDetail(&city);
        if (user.school != 0)
            cache->getSchoolDetail(&school);
    }
    user.provinceName = province.name;
    user.cityName = city.name;
    user.schoolName = user.school != 0 ? school.name : user.otherSchool;
}

} // namespace

TaviUser Core::userSnapshot() const {
    QMutexLocker lock(&userLock);
    return currentUser;
}

void Core::setCurrentUser(const TaviUser& user) {
    QMutexLocker lock(&userLock);
    currentUser = user;
}

int Core::loadUser() {
    TaviUser user = userSnapshot();
    user.userId = 0;
    userOnline = false;
    if (db)
        db->getUser(&user);
    if (user.userId == 0) {
        setCurrentUser(user);
        return 0;
    }
    nameNumbers(offlineDb, user);
    setCurrentUser(user);
    emit userLoaded();
    return 0;
}

int Core::getUserInfoOnline() {
    qDebug() << "Core::getUserInfoOnline";
    if (!netClient)
        return NET_POST_FAILED;
    if (userSnapshot().uid.isEmpty())
        netClient->login();
    const int r = netClient->refreshUserInfo();
    if (r != NET_OK)
        return r;
    userOnline = true;
    TaviUser user = userSnapshot();
    nameNumbers(offlineDb, user);
    setCurrentUser(user);
    if (db)
        db->updateUser(&user);
    emit userLoaded();
    return 0;
}

int Core::updateUserInfo(TaviUser* user) {
    if (!netClient || !user)
        return NET_POST_FAILED;
    if (userSnapshot().uid.isEmpty())
        netClient->login();
    // The record was made before the login gave this device its uid; without
    // it the service could not tell whose profile this is.
    if (user->uid.isEmpty())
        user->uid = userSnapshot().uid;
    const int r = netClient->updateUserInfo(user);
    if (r == NET_OK)
        getUserInfoOnline();
    return r;
}
