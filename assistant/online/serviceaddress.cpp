#include "serviceaddress.h"

#include "platform/log.h"

#include <QUrl>

const char* const kServiceBaseAddress = "http://api.tavinet.cn";

QString serviceBaseAddress() {
    return QString::fromLatin1(kServiceBaseAddress);
}

QString parseServiceAddress(const QString& text) {
    QString t = text.trimmed();
    if (t.endsWith('/'))
        t.chop(1);
    const QUrl url(t, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != "http" || url.host().isEmpty() || !url.path().isEmpty() ||
        url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        return {};
    // QUrl accepts "http://host:" with an empty port; the client wants it whole.
    if (t.endsWith(':'))
        return {};
    return t;
}

QString configuredServiceAddress() {
    const QString override = qEnvironmentVariable("TAVI_SERVICE_ADDRESS");
    if (override.isEmpty())
        return serviceBaseAddress();
    const QString address = parseServiceAddress(override);
    if (address.isEmpty()) {
        TLOG_ERROR("TAVI_SERVICE_ADDRESS is not http://host[:port], no service requests: " << override);
        return {};
    }
    TLOG_INFO("service address from TAVI_SERVICE_ADDRESS: " << address);
    return address;
}
