#pragma once
// What the service client hands back: the result codes of its requests and the
// records of the region lists and the update check.

#include "catalogue/records.h"

#include <QMetaType>
#include <QString>
#include <QVector>

// Result codes of the service requests.
enum NetResult {
    NET_OK = 0,            // sent, reply read and accepted
    NET_POST_FAILED = 1,   // no exchange: no handle, transport error, time-out
    NET_EMPTY_REPLY = 2,   // an object without any member (update check only)
    NET_PARSE_FAILED = 3,  // not a usable JSON document of the expected kind
    NET_STATUS_FAILED = 4, // "status" present and neither "ok" nor "success"
};

// A province (parentId 0) or a city (parentId = its province's id).
struct _ProvCityInfo {
    int id = 0;
    QString name;
    int parentId = 0;
};
typedef _ProvCityInfo ProvCityInfo;

// A school (kindergarten) of a city. No real school has the id 0: lists use
// 0 for the entry "other".
struct _SchoolInfo {
    int id = 0;
    QString name;
    int cityId = 0;
};
typedef _SchoolInfo SchoolInfo;
// A school list as it travels between threads (values, not shared records).
typedef QVector<_SchoolInfo> SchoolList;
Q_DECLARE_METATYPE(SchoolList)

// What the update check reports, every field as the service sent it.
struct _UpdateInfo {
    QString path;
    QString versionName;
    QString versionCode;
    QString packageName;
    QString versionInformation;
    QString status;
    QString reason;
    // The installer's SHA-256 (hex) when the reply names one; a download that
    // does not match it is never opened. hasSha256 tells an empty or
    // non-text member (which nothing matches) from no member at all.
    QString sha256;
    bool hasSha256 = false;
};
typedef _UpdateInfo UpdateInfo;
