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

// The reply as a JSON document of the kind wanted: an array, else an object.
bool readDocument(const QByteArray& reply, bool array, QJsonDocument* doc) {
    QByteArray bytes = reply;
    if (!parse(&bytes, doc))
        return false;
    if (array ? !doc->isArray() : !doc->isObject()) {
        TLOG_ERROR((array ? "jsonDoc is not an array" : "jsonDoc is not an object"));
        return false;
    }
    return true;
}

bool readObject(const QByteArray& reply, QJsonObject* out) {
    QJsonDocument doc;
    if (!readDocument(reply, false, &doc))
        return false;
    *out = doc.object();
    return true;
}

// A reply without "status" is accepted.
bool statusAccepted(const QJsonObject& obj) {
    if (!obj.contains("status"))
        return true;
    const QString status = obj.value("status").toString();
    return status == "ok" || status == "success";
}

// The account replies: a JSON object whose status, when there is one, says
// yes. NET_OK, or the failure with its log line (refusal: the words a refusal logs).
int readAccepted(const QByteArray& reply, QJsonObject* obj, const char* refusal) {
    if (!readObject(reply, obj)) {
        TLOG_ERROR("parse data failed");
        return NET_PARSE_FAILED;
    }
    if (!statusAccepted(*obj)) {
        TLOG_ERROR(refusal);
        return NET_STATUS_FAILED;
    }
    return NET_OK;
}

// parentId and cityId stay 0: the caller knows which province or city it asked for.
template <typename Record> int readList(const QByteArray& reply, DataSet<Record>* result) {
    QJsonDocument doc;
    if (!readDocument(reply, true, &doc)) {
        TLOG_ERROR("parse data failed");
        return NET_PARSE_FAILED;
    }
    for (const QJsonValue& element : doc.array()) {
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

namespace {

// Which member of a reply fills which field of the user: present members
// only, a missing one leaves the field as it was.
struct TextField {
    const char* key;
    QString TaviUser::*field;
};
struct NumberField {
    const char* key;
    int TaviUser::*field;
    int (*read)(const QJsonValue&);
    const char* debugLabel; // logged at DEBUG as it is read, when set
};

void copyFields(const QJsonObject& obj, TaviUser* user, std::initializer_list<TextField> texts,
                std::initializer_list<NumberField> numbers) {
    for (const NumberField& f : numbers) {
        if (!obj.contains(f.key))
            continue;
        user->*f.field = f.read(obj.value(f.key));
        if (f.debugLabel)
            TLOG_DEBUG(f.debugLabel << user->*f.field);
    }
    for (const TextField& f : texts) {
        if (obj.contains(f.key))
            user->*f.field = obj.value(f.key).toString();
    }
}

// Both replies name the user the same way; they differ in how they write numbers.
const std::initializer_list<TextField> kUserTexts = {
    {"uid", &TaviUser::uid},
    {"name", &TaviUser::name},
    {"screen_name", &TaviUser::screenName},
    {"province_name", &TaviUser::provinceName},
    {"city_name", &TaviUser::cityName},
    {"kindergarten_name", &TaviUser::schoolName},
    {"birthday", &TaviUser::birthday},
    {"avatar", &TaviUser::avatar},
    {"email", &TaviUser::email},
};

} // namespace

int readLoginReply(const QByteArray& reply, TaviUser* user) {
    QJsonObject obj;
    if (const int r = readAccepted(reply, &obj, "status = 'fail'"))
        return r;
    // The login writes its numbers as JSON numbers (but the id as text).
    copyFields(obj, user, kUserTexts,
               {{"id", &TaviUser::userId, stringInt, nullptr},
                {"province", &TaviUser::province, truncatedInt, nullptr},
                {"city", &TaviUser::city, truncatedInt, nullptr},
                {"school", &TaviUser::school, truncatedInt, nullptr}});
    if (user->schoolName.isEmpty() && obj.contains("other_kindergarten"))
        user->schoolName = obj.value("other_kindergarten").toString();
    dropControlCharacters(user);
    return NET_OK;
}

int readRefreshReply(const QByteArray& reply, TaviUser* user) {
    QJsonObject obj;
    if (const int r = readAccepted(reply, &obj, "status = 'failure'"))
        return r;
    // The refresh writes every value as text; the school comes as "kindergarten".
    copyFields(obj, user, kUserTexts,
               {{"id", &TaviUser::userId, stringInt, "id:"},
                {"province", &TaviUser::province, stringInt, "province:"},
                {"city", &TaviUser::city, stringInt, "city:"},
                {"kindergarten", &TaviUser::school, stringInt, "school:"}});
    copyFields(obj, user, {{"qq", &TaviUser::qq}, {"tel", &TaviUser::mobile}}, {});
    if (obj.contains("other_kindergarten")) {
        user->otherSchool = obj.value("other_kindergarten").toString();
        if (user->schoolName.isEmpty())
            user->schoolName = user->otherSchool;
    }
    if (obj.contains("is_open"))
        user->isOpen = stringInt(obj.value("is_open")) != 0;
    user->userRole = stringInt(obj.value("user_role"));
    qDebug() << "user role:" << user->userRole;
    dropControlCharacters(user);
    return NET_OK;
}

int readUpdateUserReply(const QByteArray& reply) {
    QJsonObject obj;
    return readAccepted(reply, &obj, "status = 'failure'");
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
        {"sha256", &_UpdateInfo::sha256},
        {"signature", &_UpdateInfo::signature},
    };
    for (const auto& f : fields) {
        if (obj.contains(f.key))
            info->*f.field = obj.value(f.key).toString();
    }
    // The size as text or as a whole number.
    const QJsonValue size = obj.value("size");
    if (size.isString())
        info->size = size.toString();
    else if (size.isDouble() && size.toDouble() >= 0 && size.toDouble() == double(qint64(size.toDouble())))
        info->size = QString::number(qint64(size.toDouble()));
    return NET_OK;
}
