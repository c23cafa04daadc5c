#pragma once
// The client's catalogue: packs, apps, favourites, the fortnight's course
// schedule, the local user and the daily scenes, in one SQLite file.
//
// Every thread that uses the catalogue gets a connection of its own to the same
// file (Qt connections are bound to their thread); the file runs in WAL mode
// with a busy time-out so that a job writing never locks out the interface.

#include "fortnight.h"
#include "records.h"
#include "searchindex.h"
#include "sqlitefile.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QSqlQuery;
class QSqlRecord;

// Rows of AppTbl, or of a table with its columns (a pack's, an older
// catalogue's), as records: the columns are looked up once, and a column the
// table lacks reads as empty. packId and the dates of access are not read.
class AppRowReader {
public:
    explicit AppRowReader(const QSqlRecord& columns);
    _TaviApp* read(const QSqlQuery& row) const;

private:
    QVector<int> m_columns;
};

class DB : public QObject {
    Q_OBJECT
public:
    DB(const QString& path, const QString& connectionName, QObject* parent = nullptr);
    ~DB() override;

    // How day indexes 1-14 become dates (the calendar's mapping). Defaults to the computer's clock.
    void setDayMapper(DayToDate mapper) { m_dayMapper = std::move(mapper); }
    QDate dateOfDay(int day) const { return m_dayMapper ? m_dayMapper(day) : QDate(); }
    // "courseTbl_yyyyMMdd" of a day index.
    QString courseTableName(int day) const;

    bool open();
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.path(); }
    QString connectionName() const { return m_file.connectionName(); }

    bool setup();
    // Makes the catalogue file with its tables (a first start, an upgrade).
    static void create(const QString& path);
    // Whether changes keep the search index in step (they do from setup()
    // on). Off, the catalogue works as it did before it had one: a name
    // search compares names, and changes leave the index for the next
    // setup() to mend. The import benchmark measures imports both ways.
    void setSearchIndexKept(bool kept);

    bool getUser(TaviUser* user);
    bool updateUser(TaviUser* user);

    bool searchDailyScene(_DailySceneSearchPara* para, unsigned& count, DataSet<DailyScene>* result);
    bool addDailyScene(_DailyScene* scene);
    bool removeDailyScene(int id);
    bool removeDailyScene(QString name);
    bool updateDailyScene(_DailyScene* scene);

    bool getPackCount(unsigned& count);
    bool checkPackExists(QString packId, bool& exists);
    bool searchPacks(_PackSearchPara* para, unsigned& count, DataSet<TaviPack>* result);
    bool addPack(TaviPack* pack);
    bool removePack(QString packId);

    bool getAppCount(unsigned& count);
    bool addApp(_TaviApp* app);
    bool updateApp(_TaviApp* app);
    bool removeApp(int appId, bool notify);
    bool updateAccessDate(int appId);
    bool setFavorApp(int appId, bool favor);

    bool checkTableExists(const char* name, bool& exists);
    bool ensureCourseTableExists(QDate date);
    bool addCourseApp(int day, int appId);
    bool removeCourseApp(int day, int appId);
    bool checkAppExists(int day, int appId, bool& exists);
    bool getAppCourseDays(int appId, QList<int>& days);

    // What a teacher marked on a pack's resources (favourite and since when,
    // the course tables of every date they are planned on, inside the
    // fortnight or not), by productId: a newer copy of the pack replaces the
    // rows, and the marks go over to the new ones.
    struct AppMarks {
        bool favor = false;
        QString favorDate;
        QStringList courseTables;
    };
    bool getPackMarks(const QString& packId, QHash<int, AppMarks>& marks);
    bool restoreMarks(int productId, const AppMarks& marks);
    // The pack that holds the publisher resource productId; empty when none does.
    bool packOfProduct(int productId, QString& packId);
    // How many rows name this file: a user's file or an icon can serve several
    // resources, and is deleted only with the last of them.
    bool userFileRowCount(const QString& path, bool external, unsigned& count);
    bool iconRowCount(const QString& icon, unsigned& count);

    // What the check of the library needs of every resource, without
    // building a whole record per row (a library may hold 100,000).
    struct AppFile {
        QString name;
        QString path;
        QString icon;
        QString proType;
        QString fileName;
        bool isUserFile = false;
        bool isExternal = false;
    };
    bool appFiles(QList<AppFile>& out, const QString& proTypeFilter = QString());
    // More than one local user row (an older client could write a second
    // one) becomes one: the row with a profile, else the newest. Returns how
    // many rows went.
    int mendUserRows();

    // Marks of library changes (see LibraryChange): written in a change's
    // transaction, so a mark on disk means the change's rows are too.
    bool markChange(const QString& id, const QString& what);
    bool isChangeMarked(const QString& id, bool& marked);
    bool unmarkChange(const QString& id);
    bool clearChangeMarks();

    bool getApps(QString sql, DataSet<TaviApp>* result);
    // With a name: whole-name matches first, then names starting with it,
    // then names containing it, then names whose pinyin (full or initials,
    // mixed with Chinese characters as typed) matches; capitals and blanks do
    // not count. Within each group reading order (desc reverses it; orderBy
    // does not apply). Without a name, as filtered and ordered by para.
    bool searchApps(_AppSearchPara* para, unsigned& count, DataSet<TaviApp>* result);
    bool getCourseApps(_GetCourseAppsPara* para, unsigned& count, DataSet<TaviApp>* result);
    bool getFavorApps(_GetFavorAppsPara* para, unsigned& count, DataSet<TaviApp>* result);

    // Many changes of the calling thread as one transaction (a pack's
    // resources, a pack's removal): all or nothing, and far faster than one
    // commit each. Batches nest; the outermost one commits. Every change
    // signal of the batch is held back and emitted in order once it is
    // committed, so a view reloading on them sees the rows; records passed in
    // must live until endBatch. endBatch returns false, emitting nothing, when
    // the commit failed and the batch was rolled back; cancelBatch rolls back.
    bool beginBatch() { return m_file.beginBatch(); }
    bool endBatch() { return m_file.endBatch(); }
    void cancelBatch() { m_file.cancelBatch(); }

    // The rows as records (columns looked up by name).
    static TaviPack* packFromRecord(const QSqlRecord& r);
    static _DailyScene* sceneFromRecord(const QSqlRecord& r);

signals:
    void dailySceneAdded(DailyScene* scene);
    void dailySceneRemoved(int sceneId);
    void dailySceneUpdated(DailyScene* scene);
    void packUpdated(TaviPack* pack);
    void packAdded(TaviPack* pack);
    void packRemoved(QString packId);
    void appUpdated(TaviApp* app);
    void appAdded(TaviApp* app);
    void appRemoved(int appId);
    void courseChanged(int day);
    void favorChanged(int appId, bool favor);

private:
    // Emits now, or when the calling thread's batch is committed.
    void announce(std::function<void()> emitter) { m_file.afterCommit(std::move(emitter)); }
    // Runs a statement and announces the change it made; false, announcing
    // nothing, when it failed.
    bool execAnnounce(const QString& sql, const SqliteFile::Binds& binds, const char* failure,
                      std::function<void()> emitter, const tavi::LogSite& site = tavi::LogSite::here());
    bool getApps(QSqlQuery& query, DataSet<TaviApp>* result);
    bool searchAppsByName(const _AppSearchPara& para, const SearchText& text, unsigned& count,
                          DataSet<TaviApp>* result);
    // Runs change (a row of AppTbl and its search rows) as one transaction,
    // or as part of the calling thread's batch.
    bool changeApp(const std::function<bool()>& change);
    bool insertAppRow(const _TaviApp* app);
    bool updateAppRow(const _TaviApp* app);

    DayToDate m_dayMapper;
    SqliteFile m_file;
    SearchIndex m_search{m_file};
};
