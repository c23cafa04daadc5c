#include "netreply.h"

#include "platform/log.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <climits>
#include <cmath>

namespace {

// A JSON number cut to an int. Values an int cannot hold (and NaN or
// infinities, which a cast would turn into undefined behaviour) give 0.
int truncatedInt(const QJsonValue& v) {
    const double d = v.toDouble();
    if (!std::isfinite(d) || d <= double(INT_MIN) - 1.0 || d >= double(INT_MAX) + 1.0)
        return 0;
    return static_cast<int>(d);
}

int stringInt(const QJsonValue& v) {
    return v.toString().toInt();
}

bool readObject(const QByteArray& reply, QJsonObject* out) {
    QByteArray bytes = reply;
    QJsonDocument doc;
    if (!parse(&bytes, &doc))
        return false;
    if (!doc.isObject()) {
        TLOG_ERROR("jsonDoc is not an object");
        return false;
    }
    *out = doc.object();
    return true;
}

bool readArray(const QByteArray& reply, QJsonArray* out) {
    QByteArray bytes = reply;
    QJsonDocument doc;
    if (!parse(&bytes, &doc))
        return false;
    if (!doc.isArray()) {
        TLOG_ERROR("jsonDoc is not an array");
        return false;
    }
    *out = doc.array();
    return true;
}

// A reply without "status" is accepted.
bool statusAccepted(const QJsonObject& obj) {
    if (!obj.contains("status"))
        return true;
    const QString status = obj.value("status").toString();
    return status == "ok" || status == "success";
}

// parentId and cityId stay 0: the caller knows which province or city it asked for.
template <typename Record> int readList(const QByteArray& reply, DataSet<Record>* result) {
    QJsonArray array;
    if (!readArray(reply, &array)) {
        TLOG_ERROR("parse data failed");
        return NET_PARSE_FAILED;
    }
    for (const QJsonValue& element : array) {
        if (!element.isObject()) {
            TLOG_ERROR("list element is not an object, skipped");
            continue;
        }
        const QJsonObject obj = element.toObject();
        auto* record = new Record;
        record->id = stringInt(obj.value("id"));
        record->name = obj.value("name").toString();
        result->append(record);
    }
    return NET_OK;
}

} // namespace

bool parse(QByteArray* reply, QJsonDocument* doc) {
    QJsonParseError error;
    *doc = QJsonDocument::fromJson(*reply, &error);
    if (error.error != QJsonParseError::NoError) {
        TLOG_ERROR("parse err:" << error.errorString());
        return false;
    }
    if (doc->isEmpty()) {
        TLOG_ERROR("jsonDoc is empty");
        return false;
    }
    if (doc->isNull()) {
        TLOG_ERROR("jsonDoc is NULL");
        return false;
    }
    return true;
}

int readLoginReply(const QByteArray& reply, TaviUser* user) {
    QJsonObject obj;
    if (!readObject(reply, &obj)) {
        TLOG_ERROR("parse data failed");
        return NET_PARSE_FAILED;
    }
    if (!statusAccepted(obj)) {
        TLOG_ERROR("status = 'fail'");
        return NET_STATUS_FAILED;
    }
    if (obj.contains("id"))
        user->userId = stringInt(obj.value("id"));
    if (obj.contains("uid"))
        user->uid = obj.value("uid").toString();
    if (obj.contains("name"))
        user->name = obj.value("name").toString();
    if (obj.contains("screen_name"))
        user->screenName = obj.value("screen_name").toString();
    if (obj.contains("province"))
        user->province = truncatedInt(obj.value("province"));
    if (obj.contains("city"))
        user->city = truncatedInt(obj.value("city"));
    if (obj.contains("school"))
        user->school = truncatedInt(obj.value("school"));
    if (obj.contains("province_name"))
        user->provinceName = obj.value("province_name").toString();
    if (obj.contains("city_name"))
        user->cityName = obj.value("city_name").toString();
    if (obj.contains("kindergarten_name"))
        user->schoolName = obj.value("kindergarten_name").toString();
    if (user->schoolName.isEmpty() && obj.contains("other_kindergarten"))
        user->schoolName = obj.value("other_kindergarten").toString();
    if (obj.contains("birthday"))
        user->birthday = obj.value("birthday").toString();
    if (obj.contains("avatar"))
        user->avatar = obj.value("avatar").toString();
    if (obj.contains("email"))
        user->email = obj.value("email").toString();
    return NET_OK;
}

int readRefreshReply(const QByteArray& reply, TaviUser* user) {
    QJsonObject obj;
    if (!readObject(reply, &obj)) {
        TLOG_ERROR("parse data failed");
        return NET_PARSE_FAILED;
    }
    if (!statusAccepted(obj)) {
        TLOG_ERROR("status = 'failure'");
        return NET_STATUS_FAILED;
    }
    if (obj.contains("id")) {
        user->userId = stringInt(obj.value("id"));
        TLOG_DEBUG("id:" << user->userId);
    }
    if (obj.contains("uid"))
        user->uid = obj.value("uid").toString();
    if (obj.contains("name"))
        user->name = obj.value("name").toString();
    if (obj.contains("screen_name"))
        user->screenName = obj.value("screen_name").toString();
    if (obj.contains("province")) {
        user->province = stringInt(obj.value("province"));
        TLOG_DEBUG("province:" << user->province);
    }
    if (obj.contains("city")) {
        user->city = stringInt(obj.value("city"));
        TLOG_DEBUG("city:" << user->city);
    }
    if (obj.contains("kindergarten")) {
        user->school = stringInt(obj.value("kindergarten"));
        TLOG_DEBUG("school:" << user->school);
    }
    if (obj.contains("province_name"))
        user->provinceName = obj.value("province_name").toString();
    if (obj.contains("city_name"))
        user->cityName = obj.value("city_name").toString();
    if (obj.contains("kindergarten_name"))
        user->schoolName = obj.value("kindergarten_name").toString();
    if (obj.contains("other_kindergarten")) {
        user->otherSchool = obj.value("other_kindergarten").toString();
        if (user->schoolName.isEmpty())
            user->schoolName = user->otherSchool;
    }
    if (obj.contains("birthday"))
        user->birthday = obj.value("birthday").toString();
    if (obj.contains("avatar"))
        user->avatar = obj.value("avatar").toString();
    if (obj.contains("email"))
        user->email = obj.value("email").toString();
    if (obj.contains("qq"))
        user->qq = obj.value("qq").toString();
    if (obj.contains("tel"))
        user->mobile = obj.value("tel").toString();
    if (obj.contains("is_open"))
        user->isOpen = stringInt(obj.value("is_open")) != 0;
    user->userRole = stringInt(obj.value("user_role"));
    qDebug() << "user role:" << user->userRole;
    return NET_OK;
}

int readUpdateUserReply(const QByteArray& reply) {
    QJsonObject obj;
    if (!readObject(reply, &obj)) {
        TLOG_ERROR("parse data failed");
        return NET_PARSE_FAILED;
    }
    if (!statusAccepted(obj)) {
        TLOG_ERROR("status = 'failure'");
        return NET_STATUS_FAILED;
    }
    return NET_OK;
}

int readProvCityReply(const QByteArray& reply, DataSet<_ProvCityInfo>* result) {
    return readList(reply, result);
}

int readSchoolReply(const QByteArray& reply, DataSet<_SchoolInfo>* result) {
    return readList(reply, result);
}

int readCheckUpdateReply(const QByteArray& reply, _UpdateInfo* info) {
    QJsonObject obj;
    if (!readObject(reply, &obj))
        return NET_PARSE_FAILED;
    if (obj.isEmpty())
        return NET_EMPTY_REPLY;
    const struct {
        const char* key;
        QString _UpdateInfo::*field;
    } fields[] = {
        {"path", &_UpdateInfo::path},
        {"version_name", &_UpdateInfo::versionName},
        {"version_code", &_UpdateInfo::versionCode},
        {"package_name", &_UpdateInfo::packageName},
        {"version_information", &_UpdateInfo::versionInformation},
        {"status", &_UpdateInfo::status},
        {"reason", &_UpdateInfo::reason},
    };
    for (const auto& f : fields) {
        if (obj.contains(f.key))
            info->*f.field = obj.value(f.key).toString();
    }
    if (obj.contains("sha256")) {
        info->hasSha256 = true;
        info->sha256 = obj.value("sha256").toString();
    }
    return NET_OK;
}
