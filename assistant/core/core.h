#pragma once
// The client's one process-wide service object: what many parts share (version,
// device id, current user, catalogue, data folders, launchers) and the
// operations that touch several of them at once.

#include "catalogue/datapaths.h"
#include "catalogue/records.h"

#include <QMutex>
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

    QString version;
    QString deviceId;
    TaviUser currentUser;
    bool userOnline = false;
    QThread* workerThread = nullptr;
    DB* db = nullptr;
    OfflineDB* offlineDb = nullptr;
    NetClient* netClient = nullptr;
    // Today and the fortnight of the course schedule (made by start-up).
    Calendar* calendar = nullptr;
    DataPaths* paths = nullptr;
    // Launchers, owned by Core and reused for every open.
    ResPackPlayer* resPackPlayer = nullptr;
    MediaPlayer* mediaPlayer = nullptr;
    DailyScenePlayer* dailyScenePlayer = nullptr;

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

    // The current user is written on the worker thread and read on the
    // interface thread: readers take a copy, writers change it, under userLock.
    TaviUser userSnapshot() const;
    void setCurrentUser(const TaviUser& user);
    mutable QMutex userLock;

signals:
    void userLoaded();
    // A launcher's program (a book, a player) has ended.
    void playerFinished();
    // Nothing on this computer could open the resource or scene called name.
    void launchFailed(QString name, QString reason);

private:
    Core();
    QString m_sceneName; // the scene the daily-scene player was last given
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;
};
