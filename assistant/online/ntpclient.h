#pragma once
// Sends SNTP requests from one UDP socket and hands on every answer datagram
// of at least a header's size. Judging an answer is the receiver's business.

#include "ntpreply.h"

#include <QDateTime>
#include <QHostAddress>
#include <QObject>
#include <functional>

class QUdpSocket;

// replyReceived carries the sender's address through queued connections and spies.
Q_DECLARE_METATYPE(QHostAddress)

class NtpClient : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    // Any local address, a port the system chooses.
    explicit NtpClient(QObject* parent = nullptr);
    NtpClient(const QHostAddress& bindAddress, quint16 bindPort, QObject* parent = nullptr);

    // The local clock used for the request's transmit time and the answers'
    // destination time (the computer's clock unless set).
    void setClock(Clock clock);

    // False when the socket is not bound or the write failed.
    bool sendRequest(const QHostAddress& address, quint16 port);
    // The transmit timestamp of the last request sent (0 before the first):
    // a true answer carries it back as its originate timestamp.
    quint64 lastRequestTimestamp() const { return m_lastRequest; }

    QHostAddress localAddress() const;
    quint16 localPort() const;

signals:
    void replyReceived(const QHostAddress& address, quint16 port, const NtpReply& reply);

private slots:
    void readPendingDatagrams();

private:
    void bindSocket(const QHostAddress& address, quint16 port);

    QUdpSocket* m_socket = nullptr;
    Clock m_clock;
    quint64 m_lastRequest = 0;
};
