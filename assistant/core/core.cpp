#include "core.h"

#include "catalogue/db.h"
#include "catalogue/playlist.h"
#include "launch/dailysceneplayer.h"
#include "launch/mediaplayer.h"
#include "launch/respackplayer.h"
#include "online/netclient.h"
#include "online/offlinedb.h"
#include "platform/log.h"
#include "platform/shellopen.h"

#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QUrl>

namespace {
// 0 = not created, 1 = being created, 2 = created.
QAtomicInt g_guard{0};
Core* g_core = nullptr;
} // namespace

Core::Core()
    : QObject(nullptr), m_resPackPlayer(new ResPackPlayer), m_mediaPlayer(new MediaPlayer),
      m_dailyScenePlayer(new DailyScenePlayer) {
    connect(m_resPackPlayer, &QThread::finished, this, &Core::playerFinished);
    connect(m_mediaPlayer, &QThread::finished, this, &Core::playerFinished);
    connect(m_dailyScenePlayer, &QThread::finished, this, &Core::playerFinished);
    connect(m_mediaPlayer, &MediaPlayer::failed, this, &Core::launchFailed);
    connect(m_dailyScenePlayer, &DailyScenePlayer::failed, this,
            [this](const QString& reason) { emit launchFailed(m_sceneName, reason); });
    connect(m_mediaPlayer, &MediaPlayer::playFailed, this, &Core::playFailed);
    connect(m_dailyScenePlayer, &DailyScenePlayer::playFailed, this,
            [this](const QString& reason) { emit playFailed(m_sceneName, reason); });
}

void Core::endRun() {
    m_workerThread = nullptr;
    m_netClient = nullptr;
    m_offlineDb = nullptr;
    m_calendar = nullptr;
    m_db = nullptr;
    m_paths = nullptr;
}

ClientContext Core::context() {
    ClientContext c;
    c.core = this;
    c.db = m_db;
    c.paths = m_paths;
    c.netClient = m_netClient;
    c.offlineDb = m_offlineDb;
    c.calendar = m_calendar;
    return c;
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
    return m_resPackPlayer->isRunning() || m_mediaPlayer->isRunning() || m_dailyScenePlayer->isRunning();
}

int Core::openApp(_TaviApp* app) {
    if (isPlaying()) {
        emit stillPlaying();
        return 1;
    }
    if (!app)
        return 2;
    if (!m_paths)
        return -1;
    if (app->isUserFile) {
        const QString full = m_paths->folderOf(true, app->isExternal) + "/" + app->path;
        // The desktop's opener starts detached and says nothing when no program
        // takes the file: ask first, so the teacher hears why nothing opens.
        QString reason;
        if (defaultApplicationFor(full, &reason).isEmpty()) {
            TLOG_ERROR("no program opens " << full << ": " << reason);
            emit launchFailed(app->name, reason);
            return -1;
        }
        QDesktopServices::openUrl(QUrl::fromLocalFile(full));
        return -1;
    }
    if (app->proType == "video" || app->proType == "music") {
        m_mediaPlayer->setParams(m_paths->appsDir + "/" + app->path, app->productId, app->fileName);
        m_mediaPlayer->setLinkFolder(m_paths->tempDir + "/player/media");
        m_mediaPlayer->start();
    } else if (app->proType == "courseware" || app->proType == "books") {
        m_resPackPlayer->setParams(m_paths->appsDir + "/" + app->path, app->productId);
        m_resPackPlayer->start();
    }
    return -1;
}

QString Core::playlistPath(const _DailyScene& scene) const {
    return QString("%1/%2").arg(m_paths ? m_paths->dailyDir : QString(), scene.playlist);
}

int Core::playDailyScene(_DailyScene* scene) {
    if (isPlaying()) {
        emit stillPlaying();
        return 0;
    }
    if (!scene || !m_paths)
        return 0;
    QString path = playlistPath(*scene);
    qDebug() << path;
    QStringList files;
    QStringList titles;
    if (playlist::read(path, files, &titles)) {
        const QStringList gone = playlist::missing(files);
        if (!gone.isEmpty()) {
            QStringList present;
            QStringList presentTitles;
            for (int i = 0; i < files.size(); ++i)
                if (!gone.contains(files[i])) {
                    present << files[i];
                    presentTitles << titles.value(i);
                }
            if (present.isEmpty()) {
                TLOG_ERROR("no file of the scene exists, nothing played: " << scene->name);
                return 0;
            }
            // The player gets the files that are there; the scene's own playlist stays as it is.
            const QString playing = m_paths->tempDir + "/player/scene.pls";
            QDir().mkpath(QFileInfo(playing).absolutePath());
            QString error;
            if (!playlist::write(playing, present, &error, presentTitles)) {
                TLOG_ERROR("write playlist failed: " << playing << " " << error);
                return 0;
            }
            TLOG_DEBUG("playing " << present.size() << " of " << files.size() << " files of " << scene->name);
            path = playing;
        }
    }
    m_sceneName = scene->name;
    m_dailyScenePlayer->setParams(path);
    m_dailyScenePlayer->start();
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

// A reply that carries no profile (a fresh account for this device, or an
// answer without a number) never blanks the profile stored here: the stored
// fields stay, and with them the teacher's registration, until the service
// sends a profile of its own.
void keepStoredProfile(DB* db, TaviUser& user) {
    TaviUser stored;
    if (!db || !db->getUser(&stored))
        return;
    if (user.userId == 0)
        user.userId = stored.userId;
    if (!user.name.isEmpty() || stored.name.isEmpty())
        return;
    TLOG_INFO("the service holds no profile for this device's account; the stored profile stays");
    user.name = stored.name;
    user.qq = stored.qq;
    user.mobile = stored.mobile;
    user.province = stored.province;
    user.city = stored.city;
    user.school = stored.school;
    user.otherSchool = stored.otherSchool;
    user.userRole = stored.userRole;
}

} // namespace

int Core::loadUser() {
    TaviUser user = userSnapshot();
    user.userId = 0;
    m_userOnline.storeRelease(0);
    if (m_db)
        m_db->getUser(&user);
    // A stored profile shows even when the service gave its account no
    // number (an older client stored such a row).
    if (user.userId == 0 && user.name.isEmpty()) {
        setCurrentUser(user);
        return 0;
    }
    nameNumbers(m_offlineDb, user);
    setCurrentUser(user);
    emit userLoaded();
    return 0;
}

int Core::getUserInfoOnline() {
    qDebug() << "Core::getUserInfoOnline";
    if (!m_netClient)
        return NET_POST_FAILED;
    if (userSnapshot().uid.isEmpty())
        m_netClient->login();
    const int r = m_netClient->refreshUserInfo();
    if (r != NET_OK)
        return r;
    m_userOnline.storeRelease(1);
    TaviUser user = userSnapshot();
    keepStoredProfile(m_db, user);
    nameNumbers(m_offlineDb, user);
    setCurrentUser(user);
    if (m_db)
        m_db->updateUser(&user);
    emit userLoaded();
    return 0;
}

int Core::updateUserInfo(TaviUser* user) {
    if (!m_netClient || !user)
        return NET_POST_FAILED;
    if (userSnapshot().uid.isEmpty())
        m_netClient->login();
    // The record was made before the login gave this device its uid; without
    // it the service could not tell whose profile this is.
    if (user->uid.isEmpty())
        user->uid = userSnapshot().uid;
    const int r = m_netClient->updateUserInfo(user);
    if (r == NET_OK)
        getUserInfoOnline();
    return r;
}
