#pragma once
// The client's one process-wide service object: what many parts share (version,
// device id, current user, catalogue, data folders, launchers) and the
// operations that touch several of them at once.
//
// Start-up hands it the run's objects and takes them back once the event loop
// has ended; forms get them through a ClientContext, never from here directly.

#include "catalogue/datapaths.h"
#include "catalogue/records.h"
#include "catalogue/shareduser.h"
#include "core/clientcontext.h"

#include <QAtomicInt>
#include <QObject>
#include <QString>

class Calendar;
class DB;
namespace packs {
class ImportObserver;
struct ImportReport;
} // namespace packs
class OfflineDB;
class NetClient;
class QThread;
class DailyScenePlayer;
class MediaPlayer;
class ResPackPlayer;

class Core : public QObject {
    Q_OBJECT
public:
    static Core* instance();

    // ---- The run's objects: set by start-up, all taken back by endRun().
    QString version() const { return m_version; }
    void setVersion(const QString& version) { m_version = version; }
    QString deviceId() const { return m_deviceId; }
    void setDeviceId(const QString& id) { m_deviceId = id; }
    DB* db() const { return m_db; }
    void setDb(DB* db) { m_db = db; }
    const DataPaths* paths() const { return m_paths; }
    void setPaths(const DataPaths* paths) { m_paths = paths; }
    OfflineDB* offlineDb() const { return m_offlineDb; }
    void setOfflineDb(OfflineDB* cache) { m_offlineDb = cache; }
    NetClient* netClient() const { return m_netClient; }
    void setNetClient(NetClient* client) { m_netClient = client; }
    // Today and the fortnight of the course schedule.
    Calendar* calendar() const { return m_calendar; }
    void setCalendar(Calendar* calendar) { m_calendar = calendar; }
    // The thread of the profile jobs.
    QThread* workerThread() const { return m_workerThread; }
    void setWorkerThread(QThread* thread) { m_workerThread = thread; }
    // Forgets the run's objects: after the loop they are gone.
    void endRun();
    // What the forms use.
    ClientContext context();

    // Launchers, owned by Core and reused for every open.
    ResPackPlayer* resPackPlayer() const { return m_resPackPlayer; }
    MediaPlayer* mediaPlayer() const { return m_mediaPlayer; }
    DailyScenePlayer* dailyScenePlayer() const { return m_dailyScenePlayer; }

    // Opens a resource with its launcher. 1 = a launcher is busy, 2 = no app,
    // -1 = dispatched (also when no launcher takes the kind).
    int openApp(_TaviApp* app);
    // True while a launcher runs.
    bool isPlaying();
    // Plays a daily scene's playlist; always 0. Entries whose files are gone
    // are left out (the player gets a playlist of the rest); a scene with
    // none left starts nothing.
    int playDailyScene(_DailyScene* scene);
    // The playlist file of a scene.
    QString playlistPath(const _DailyScene& scene) const;

    // Pack import and removal; the work itself lives with the packs.
    int importPack(QString path);
    // The same, followed by observer (progress, cancel) and described in report.
    int importPack(const QString& path, packs::ImportObserver* observer, packs::ImportReport* report);
    int removePack(TaviPack* pack);
    int removeApp(_TaviApp* app, bool notify);

    // Reads the local user from the catalogue, the names of its province,
    // city and school from the region cache; always 0.
    int loadUser();
    // Worker thread: logs in when there is no uid yet, reloads the user from
    // the service, names its numbers through the cache, stores it and emits
    // userLoaded(). The refresh's result code (0 when it worked).
    int getUserInfoOnline();
    // Worker thread: sends an edited profile (logging in first when there is
    // no uid yet) and, once the service took it, reloads the user from there.
    // The send's result code.
    int updateUserInfo(TaviUser* user);
    // The profile was refreshed from the service in this run.
    bool userOnline() const { return m_userOnline.loadAcquire() != 0; }

    // The current user is written on the worker thread and read on the
    // interface thread: readers take a copy, writers change it whole.
    TaviUser userSnapshot() const { return m_currentUser.snapshot(); }
    void setCurrentUser(const TaviUser& user) { m_currentUser.set(user); }
    // The record the service client fills on a login or a refresh.
    SharedUser* userRecord() { return &m_currentUser; }

signals:
    void userLoaded();
    // A launcher's program (a book, a player) has ended.
    void playerFinished();
    // Nothing on this computer could open the resource or scene called name.
    void launchFailed(QString name, QString reason);
    // The player started but could not play the resource or scene called name.
    void playFailed(QString name, QString reason);
    // A resource or scene was not opened: a player still runs (one at a time).
    void stillPlaying();

private:
    Core();
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;

    QString m_version;
    QString m_deviceId;
    SharedUser m_currentUser;
    QAtomicInt m_userOnline{0};
    QThread* m_workerThread = nullptr;
    DB* m_db = nullptr;
    OfflineDB* m_offlineDb = nullptr;
    NetClient* m_netClient = nullptr;
    Calendar* m_calendar = nullptr;
    const DataPaths* m_paths = nullptr;
    ResPackPlayer* m_resPackPlayer = nullptr;
    MediaPlayer* m_mediaPlayer = nullptr;
    DailyScenePlayer* m_dailyScenePlayer = nullptr;
    QString m_sceneName; // the scene the daily-scene player was last given
};
