#pragma once
// Which time server the calendar asks: a compiled-in IPv4 literal (the client
// resolves no name), or the address in TAVI_TIME_SERVER for tests and trials.

#include <QHostAddress>
#include <QString>

struct TimeServer {
    QHostAddress address;
    quint16 port = 123;
    bool isValid() const { return address.protocol() == QAbstractSocket::IPv4Protocol && port != 0; }
};

// Alibaba Cloud's public NTP service (ntp.aliyun.com), an anycast address
// that answers within China, where the client's users are.
extern const char* const kTimeServerAddress;
constexpr quint16 kTimeServerPort = 123;

// "IPv4[:port]", port 123 when absent; an invalid result for anything else.
TimeServer parseTimeServer(const QString& text);

// The compiled-in server, or TAVI_TIME_SERVER when set (logged at INFO). A
// malformed override is logged at ERROR and gives an invalid server: no
// request goes anywhere rather than to an address nobody meant.
TimeServer configuredTimeServer();
