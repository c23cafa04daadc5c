#pragma once
// The records every part of the client shares, and the list container the
// catalogue's queries fill.

#include <QDate>
#include <QList>
#include <QMetaType>
#include <QPixmap>
#include <QSharedPointer>
#include <QString>

struct _TaviApp {
    int appId = 0;
    bool isUserFile = false;
    bool isExternal = false;
    int productId = 0;
    QString name;
    int price = 0;
    int starLevel = 0;
    QString icon;
    QString catena;
    QString copyright;
    QString keyword;
    QString proType;
    int size = 0;
    QString packageName;
    QString version;
    int versionCode = 0;
    QDate firstDate;
    QDate editionReleaseDate;
    QString path;
    QString downloadId;
    QString fileName;
    QString packId;
    bool favor = false;
    QPixmap iconPixmap;
};
typedef _TaviApp TaviApp;
typedef QSharedPointer<_TaviApp> TaviAppPtr;

struct TaviPack {
    QString packId;
    QString name;
    QString icon;
    QDate installDate;
    bool isCustom = false;
    QPixmap iconPixmap;
};
typedef QSharedPointer<TaviPack> TaviPackPtr;

struct TaviUser {
    int userId = 0;
    QString uid;
    QString name;
    QString screenName;
    int province = 0;
    int city = 0;
    int school = 0;
    QString provinceName;
    QString cityName;
    QString schoolName;
    QString birthday;
    QString otherSchool;
    QString avatar;
    QString email;
    QString qq;
    QString mobile;
    bool isOpen = false;
    int userRole = 0;
    bool registered = false;
};
typedef QSharedPointer<TaviUser> TaviUserPtr;
Q_DECLARE_METATYPE(TaviUserPtr)

// Every word of a profile is one line: control characters (a pasted newline
// or tab, whether typed or sent by the service) are dropped from its texts.
void dropControlCharacters(TaviUser* user);

struct _DailyScene {
    int id = 0;
    QString name;
    QString icon;
    QString playlist;
    bool isCustom = false;
    QPixmap iconPixmap;
};
typedef _DailyScene DailyScene;
typedef QSharedPointer<_DailyScene> DailyScenePtr;

// The ordered result of a list query: one shared record per row.
template <typename T> class DataSet : public QList<QSharedPointer<T>> {
public:
    void append(T* record) { QList<QSharedPointer<T>>::append(QSharedPointer<T>(record)); }
    using QList<QSharedPointer<T>>::append;
};

// Query parameters. A limit or offset of 0 means none.
struct _AppSearchPara {
    QString proType;
    QString name;
    QString packId;
    unsigned limit = 0;
    unsigned offset = 0;
    int orderBy = 0; // 0 access date, 1 name, other none
    int desc = 0;
};
typedef _AppSearchPara AppSearchPara;

struct _PackSearchPara {
    QString name;
    unsigned limit = 0;
    unsigned offset = 0;
    int orderBy = 0; // 0 name, 1 install date, other none
    int desc = 0;
};
typedef _PackSearchPara PackSearchPara;

struct _DailySceneSearchPara {
    QString name;
    unsigned limit = 0;
    unsigned offset = 0;
};
typedef _DailySceneSearchPara DailySceneSearchPara;

struct _GetCourseAppsPara {
    int day = 0; // day index 1-14
    unsigned limit = 0;
    unsigned offset = 0;
};
typedef _GetCourseAppsPara GetCourseAppsPara;

struct _GetFavorAppsPara {
    QString name;
    unsigned limit = 0;
    unsigned offset = 0;
    int orderBy = 2;
    int desc = 0;
};
typedef _GetFavorAppsPara GetFavorAppsPara;

Q_DECLARE_METATYPE(_TaviApp*)
Q_DECLARE_METATYPE(TaviPack*)
Q_DECLARE_METATYPE(_DailyScene*)

// Registers the record types that travel in queued signals.
void registerRecordMetaTypes();
