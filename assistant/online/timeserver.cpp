#include "timeserver.h"

#include "platform/log.h"

const char* const kTimeServerAddress = "203.107.6.88";

TimeServer parseTimeServer(const QString& text) {
    TimeServer server;
    const QStringList parts = text.trimmed().split(':');
    if (parts.size() > 2)
        return {};
    QHostAddress address;
    if (!address.setAddress(parts[0]) || address.protocol() != QAbstractSocket::IPv4Protocol)
        return {};
    // A dotted quad only: QHostAddress also takes "1" or "0x7f000001".
    if (parts[0].count('.') != 3)
        return {};
    server.address = address;
    if (parts.size() == 2) {
        bool ok = false;
        const uint port = parts[1].toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return {};
        server.port = quint16(port);
    }
    return server;
}

TimeServer configuredTimeServer() {
    const QString override = qEnvironmentVariable("TAVI_TIME_SERVER");
    if (override.isEmpty())
        return parseTimeServer(QString::fromLatin1(kTimeServerAddress));
    const TimeServer server = parseTimeServer(override);
    if (!server.isValid()) {
        TLOG_ERROR("TAVI_TIME_SERVER is not IPv4[:port], no time request: " << override);
        return {};
    }
    TLOG_INFO("time server from TAVI_TIME_SERVER: " << server.address.toString() << ":" << server.port);
    return server;
}
