// Fuzzes what the service client reads from the network: the JSON check and
// the readers of the login, refresh, profile update, region and school lists
// and update check replies. The first byte picks the reader; the rest is the
// reply body. Beyond memory and undefined behaviour it checks the readers'
// promise: a reply that is not accepted changes nothing.

#include "online/netreply.h"

#include <QByteArray>
#include <QtGlobal>
#include <cstdint>
#include <cstdlib>
#include <log4cplus/logger.h>
#include <log4cplus/nullappender.h>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

TaviUser filled() {
    TaviUser u;
    u.userId = 7;
    u.uid = "uid";
    u.name = "name";
    u.province = 1;
    u.city = 2;
    u.school = 3;
    u.schoolName = "school";
    u.otherSchool = "other";
    u.qq = "1";
    u.mobile = "2";
    u.userRole = 5;
    return u;
}

bool same(const TaviUser& a, const TaviUser& b) {
    return a.userId == b.userId && a.uid == b.uid && a.name == b.name && a.screenName == b.screenName &&
           a.province == b.province && a.city == b.city && a.school == b.school &&
           a.provinceName == b.provinceName && a.cityName == b.cityName && a.schoolName == b.schoolName &&
           a.birthday == b.birthday && a.otherSchool == b.otherSchool && a.avatar == b.avatar &&
           a.email == b.email && a.qq == b.qq && a.mobile == b.mobile && a.isOpen == b.isOpen &&
           a.userRole == b.userRole;
}

void check(bool ok) {
    if (!ok)
        std::abort();
}

bool known(int r) {
    return r >= NET_OK && r <= NET_STATUS_FAILED;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qInstallMessageHandler(quiet);
    log4cplus::Logger logger = log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("TAVI_LOGGER"));
    logger.addAppender(log4cplus::SharedAppenderPtr(new log4cplus::NullAppender));
    logger.setAdditivity(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const int kind = data[0] % 7;
    const QByteArray reply(reinterpret_cast<const char*>(data + 1), int(size - 1));
    switch (kind) {
    case 0: {
        QByteArray bytes = reply;
        QJsonDocument doc;
        if (parse(&bytes, &doc))
            check(!doc.isNull() && !doc.isEmpty());
        break;
    }
    case 1:
    case 2: {
        TaviUser user = filled();
        const int r = kind == 1 ? readLoginReply(reply, &user) : readRefreshReply(reply, &user);
        check(r == NET_OK || r == NET_PARSE_FAILED || r == NET_STATUS_FAILED);
        if (r != NET_OK)
            check(same(user, filled()));
        break;
    }
    case 3:
        check(known(readUpdateUserReply(reply)));
        break;
    case 4: {
        DataSet<_ProvCityInfo> list;
        const int r = readProvCityReply(reply, &list);
        check(r == NET_OK || (r == NET_PARSE_FAILED && list.isEmpty()));
        for (const auto& p : list)
            check(p && p->parentId == 0);
        break;
    }
    case 5: {
        DataSet<_SchoolInfo> list;
        const int r = readSchoolReply(reply, &list);
        check(r == NET_OK || (r == NET_PARSE_FAILED && list.isEmpty()));
        for (const auto& s : list)
            check(s && s->cityId == 0);
        break;
    }
    case 6: {
        _UpdateInfo info;
        const int r = readCheckUpdateReply(reply, &info);
        check(r == NET_OK || r == NET_EMPTY_REPLY || r == NET_PARSE_FAILED);
        if (r != NET_OK)
            check(info.status.isEmpty() && info.path.isEmpty() && info.versionCode.isEmpty());
        break;
    }
    }
    return 0;
}
