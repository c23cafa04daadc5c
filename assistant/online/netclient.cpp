#include "netclient.h"

#include "formencode.h"
#include "netreply.h"
#include "platform/log.h"

#include <QDebug>
#include <QUrl>
#include <atomic>
#include <curl/curl.h>
#include <mutex>

namespace {

struct ReplySink {
    QByteArray* buffer;
    bool tooLong = false;
};

size_t writeReply(char* data, size_t size, size_t count, void* userdata) {
    auto* sink = static_cast<ReplySink*>(userdata);
    const size_t bytes = size * count;
    if (qint64(sink->buffer->size()) + qint64(bytes) > NetClient::kMaxReplyBytes) {
        sink->tooLong = true;
        return 0; // aborts the transfer with CURLE_WRITE_ERROR
    }
    sink->buffer->append(data, int(bytes));
    return bytes;
}

// curl_global_init is not safe to race with other threads' first curl calls.
void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, []() { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

const char* const kTail[][2] = {{"terminal_type", "pc"}, {"account_type", "traveler"}};

FormBody& addTail(FormBody& body) {
    for (const auto& pair : kTail)
        body.add(pair[0], QString::fromLatin1(pair[1]));
    return body;
}

} // namespace

QString loginOperatingSystem(int platformId, int major, int minor) {
    if (platformId == 2) {
        const struct {
            int major, minor;
            const char* name;
        } table[] = {{5, 0, "windows 2000"},  {5, 1, "windows xp"}, {5, 2, "windows 2003"},
                     {6, 0, "windows vista"}, {6, 1, "windows 7"},  {6, 2, "windows 8"},
                     {6, 3, "windows 8.1"}};
        for (const auto& row : table) {
            if (row.major == major && row.minor == minor)
                return QString::fromLatin1(row.name);
        }
    }
    return QStringLiteral("unknown widows version");
}

QString loginOperatingSystem() {
    // Not Windows NT: the table's last row.
    return loginOperatingSystem(0, 0, 0);
}

NetClient::NetClient(const QString& baseAddress, const QString& deviceId, const QString& version,
                     SharedUser* user)
    : m_baseAddress(baseAddress), m_deviceId(deviceId), m_version(version), m_user(user) {
    initCurlOnce();
}

namespace {

// Set when the client ends: every request in flight gives up at its next
// progress report (a few times a second), none starts.
std::atomic<bool> g_abandoned{false};

int progressCheck(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return g_abandoned.load() ? 1 : 0;
}

bool isRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

void NetClient::abandonRequests() {
    g_abandoned.store(true);
}

bool NetClient::perform(const QByteArray& url, const QByteArray* body, QByteArray* reply) {
    QByteArray scratch;
    QByteArray* buffer = reply ? reply : &scratch;
    const int kept = buffer->size();
    QByteArray current = url;
    bool posting = body != nullptr;
    // Redirects are followed here, not by libcurl: at most kMaxRedirects, to
    // http or https only, and a form is never posted again to another host.
    for (int redirects = 0;; ++redirects) {
        if (g_abandoned.load()) {
            TLOG_ERROR("curl_easy_perform() failed:the client is ending, nothing sent");
            return false;
        }
        CURL* curl = curl_easy_init();
        if (!curl) {
            TLOG_ERROR("curl_easy_init() failed.");
            return false;
        }
        buffer->truncate(kept);
        ReplySink sink{buffer};
        curl_easy_setopt(curl, CURLOPT_URL, current.constData());
        if (posting)
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->constData());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeReply);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
        if (posting)
            curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTimeoutSeconds);
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progressCheck);
        // Requests run on several threads; the time-out must not use signals.
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        const CURLcode rc = curl_easy_perform(curl);
        long status = 0;
        char* location = nullptr;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &location);
        const QByteArray next = location ? QByteArray(location) : QByteArray();
        curl_easy_cleanup(curl);
        if (rc != CURLE_OK) {
            if (sink.tooLong)
                TLOG_ERROR("curl_easy_perform() failed:" << curl_easy_strerror(rc) << " (reply longer than "
                                                         << kMaxReplyBytes << " bytes)");
            else if (rc == CURLE_ABORTED_BY_CALLBACK)
                TLOG_ERROR("curl_easy_perform() failed:the client is ending, the request was abandoned");
            else
                TLOG_ERROR("curl_easy_perform() failed:" << curl_easy_strerror(rc));
            return false;
        }
        if (!isRedirect(status) || next.isEmpty())
            return true;
        const QUrl from(QString::fromLatin1(current));
        const QUrl to(QString::fromLatin1(next));
        const QString scheme = to.scheme().toLower();
        if (redirects >= kMaxRedirects || (scheme != "http" && scheme != "https")) {
            TLOG_ERROR("curl_easy_perform() failed:redirect not followed to " << next << " after "
                                                                              << redirects << " redirects");
            return false;
        }
        // 307 and 308 send the form again; never to another host.
        const bool sameHost =
            to.host().compare(from.host(), Qt::CaseInsensitive) == 0 &&
            to.port(scheme == "https" ? 443 : 80) == from.port(from.scheme() == "https" ? 443 : 80);
        if (posting && (status == 307 || status == 308) && !sameHost) {
            TLOG_ERROR("curl_easy_perform() failed:the form is not sent again to another host: " << next);
            return false;
        }
        // 301, 302 and 303 go on as a plain request, as browsers do.
        if (status != 307 && status != 308)
            posting = false;
        current = next;
    }
}

bool NetClient::post(const char* path, const char* body, QByteArray* reply) {
    if (m_baseAddress.isEmpty()) {
        TLOG_ERROR("no service address, nothing sent to " << path);
        return false;
    }
    const QByteArray url = QString("%1/api%2").arg(m_baseAddress, QString::fromLatin1(path)).toLatin1();
    const QByteArray bytes(body ? body : "");
    return perform(url, &bytes, reply);
}

bool NetClient::get(const char* path, QByteArray* reply) {
    if (m_baseAddress.isEmpty()) {
        TLOG_ERROR("no service address, nothing sent to " << path);
        return false;
    }
    const QByteArray url = QString("%1%2").arg(m_baseAddress, QString::fromLatin1(path)).toLatin1();
    return perform(url, nullptr, reply);
}

QString NetClient::currentUid() const {
    return m_user ? m_user->snapshot().uid : QString();
}

template <typename Reader> int NetClient::fillUser(const QByteArray& reply, Reader reader) {
    if (!m_user) {
        TaviUser scratch;
        return reader(reply, &scratch);
    }
    int r = NET_OK;
    m_user->update([&](TaviUser& copy) {
        r = reader(reply, &copy);
        return r == NET_OK;
    });
    return r;
}

int NetClient::login() {
    TLOG_DEBUG("NetClient::login");
    FormBody body;
    body.add("user_id", currentUid())
        .add("imei", m_deviceId)
        .add("terminal_type", QStringLiteral("windows"))
        .add("device_model", QStringLiteral("pc"))
        .add("version", m_version)
        .add("operating_system", loginOperatingSystem());
    QByteArray reply;
    if (!post("/user_login", body.bytes().constData(), &reply)) {
        TLOG_ERROR("post failed.");
        return NET_POST_FAILED;
    }
    return fillUser(reply, readLoginReply);
}

int NetClient::refreshUserInfo() {
    TLOG_DEBUG("NetClient::refreshUserInfo");
    FormBody body;
    body.add("user_id", currentUid()).add("imei", m_deviceId);
    addTail(body);
    QByteArray reply;
    if (!post("/query_userInfo", body.bytes().constData(), &reply)) {
        TLOG_ERROR("post failed.");
        return NET_POST_FAILED;
    }
    return fillUser(reply, readRefreshReply);
}

int NetClient::updateUserInfo(TaviUser* user) {
    TLOG_DEBUG("NetClient::updateUserInfo");
    if (!user) {
        TLOG_ERROR("no user to send");
        return NET_POST_FAILED;
    }
    FormBody body;
    body.add("user_id", user->uid)
        .add("imei", m_deviceId)
        .add("name", user->name)
        .add("province", user->province)
        .add("city", user->city)
        .add("kindergarten", user->school);
    if (!user->otherSchool.isEmpty())
        body.add("other_kindergarten", user->otherSchool);
    body.add("qq", user->qq).add("tel", user->mobile);
    addTail(body);
    TLOG_DEBUG(body.bytes());
    QByteArray reply;
    if (!post("/up_userinfo", body.bytes().constData(), &reply)) {
        TLOG_ERROR("post failed.");
        return NET_POST_FAILED;
    }
    return readUpdateUserReply(reply);
}

int NetClient::getProvCity(int parentId, DataSet<_ProvCityInfo>* result) {
    FormBody body;
    body.add("user_id", currentUid()).add("imei", m_deviceId).add("pro_id", parentId);
    addTail(body);
    QByteArray reply;
    if (!post("/get_pc", body.bytes().constData(), &reply)) {
        TLOG_ERROR("post failed.");
        return NET_POST_FAILED;
    }
    DataSet<_ProvCityInfo> scratch;
    return readProvCityReply(reply, result ? result : &scratch);
}

int NetClient::getSchools(int cityId, DataSet<_SchoolInfo>* result) {
    FormBody body;
    body.add("user_id", currentUid()).add("imei", m_deviceId).add("city_id", cityId);
    addTail(body);
    QByteArray reply;
    if (!post("/get_nurseries", body.bytes().constData(), &reply)) {
        TLOG_ERROR("post failed.");
        return NET_POST_FAILED;
    }
    DataSet<_SchoolInfo> scratch;
    return readSchoolReply(reply, result ? result : &scratch);
}

int NetClient::checkUpdate(const char* versionCode, _UpdateInfo* info) {
    TLOG_DEBUG("NetClient::checkUpdate");
    FormBody body;
    body.add("user_id", currentUid()).add("imei", m_deviceId);
    addTail(body);
    body.add("version_code", QString::fromUtf8(versionCode ? versionCode : ""));
    qDebug() << body.bytes();
    QByteArray reply;
    if (!post("/terminal_upgrade", body.bytes().constData(), &reply)) {
        TLOG_ERROR("post failed.");
        return NET_POST_FAILED;
    }
    qDebug() << reply;
    _UpdateInfo scratch;
    return readCheckUpdateReply(reply, info ? info : &scratch);
}
