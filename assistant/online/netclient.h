#pragma once
// The client's only channel to the online service: form-encoded HTTP POST
// requests with libcurl (10 s for the whole exchange), JSON replies read into
// the client's records. Every call blocks; each makes and frees its own curl
// handle, so calls from different threads do not meet inside the client.
//
// The client is handed what it reads: the base address, the device id, the
// version, and the shared user record it reads the uid from and fills on a
// login or refresh (a whole change under the record's lock, so another thread
// reading it never sees it half-written).

#include "netrecords.h"

#include "catalogue/shareduser.h"

#include <QByteArray>
#include <QString>

class NetClient {
public:
    // user may be null: replies are then read and dropped.
    NetClient(const QString& baseAddress, const QString& deviceId, const QString& version, SharedUser* user);

    QString baseAddress() const { return m_baseAddress; }
    QString deviceId() const { return m_deviceId; }

    // POST of body to base + "/api" + path; the reply body is appended to reply.
    // The HTTP status is not looked at: any body that arrives counts.
    bool post(const char* path, const char* body, QByteArray* reply);
    // GET of base + path (no "/api").
    bool get(const char* path, QByteArray* reply);

    int login();
    int refreshUserInfo();
    int updateUserInfo(TaviUser* user);
    // Appends the provinces (parentId 0) or the cities of one province.
    int getProvCity(int parentId, DataSet<_ProvCityInfo>* result);
    // Appends the schools of one city.
    int getSchools(int cityId, DataSet<_SchoolInfo>* result);
    int checkUpdate(const char* versionCode, _UpdateInfo* info);

    // The longest reply kept; a longer one fails the exchange instead of
    // filling the memory.
    static constexpr qint64 kMaxReplyBytes = 32 * 1024 * 1024;
    static constexpr long kTimeoutSeconds = 10;
    // Redirects one request follows at most (only to http or https).
    static constexpr int kMaxRedirects = 10;

    // The client is ending: every request in flight, on any thread, gives up
    // within a moment and none starts any more.
    static void abandonRequests();

private:
    bool perform(const QByteArray& url, const QByteArray* body, QByteArray* reply);
    QString currentUid() const;
    // Applies reader to a copy of the current user and keeps the copy only on NET_OK.
    template <typename Reader> int fillUser(const QByteArray& reply, Reader reader);

    QString m_baseAddress;
    QString m_deviceId;
    QString m_version;
    SharedUser* m_user;
};

// The operating-system words the login sends for a Windows version
// (platform id 2 is NT); anything else, this platform included, gives
// "unknown widows version" (sic, the service knows it so).
QString loginOperatingSystem(int platformId, int major, int minor);
// The words this machine sends.
QString loginOperatingSystem();
