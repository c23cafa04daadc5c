#include "ntpclient.h"

#include "platform/log.h"

#include <QUdpSocket>
#include <QtEndian>

namespace {
constexpr int kTransmitOffset = 40;
// Leap indicator 0, version 4, mode 3 (client).
constexpr char kClientHeader = 0x23;
} // namespace

NtpClient::NtpClient(QObject* parent) : NtpClient(QHostAddress::Any, 0, parent) {}

NtpClient::NtpClient(const QHostAddress& bindAddress, quint16 bindPort, QObject* parent)
    : QObject(parent), m_socket(new QUdpSocket(this)), m_clock([] { return QDateTime::currentDateTime(); }) {
    qRegisterMetaType<NtpReply>();
    qRegisterMetaType<QHostAddress>();
    bindSocket(bindAddress, bindPort);
}

void NtpClient::bindSocket(const QHostAddress& address, quint16 port) {
    if (!m_socket->bind(address, port)) {
        TLOG_ERROR("bind time socket failed:" << m_socket->errorString());
        return;
    }
    connect(m_socket, &QUdpSocket::readyRead, this, &NtpClient::readPendingDatagrams);
}

void NtpClient::setClock(Clock clock) {
    if (clock)
        m_clock = std::move(clock);
}

QHostAddress NtpClient::localAddress() const {
    return m_socket->localAddress();
}
quint16 NtpClient::localPort() const {
    return m_socket->localPort();
}

bool NtpClient::sendRequest(const QHostAddress& address, quint16 port) {
    if (m_socket->state() != QAbstractSocket::BoundState)
        return false;
    uchar bytes[NtpReply::kHeaderSize] = {};
    bytes[0] = kClientHeader;
    const quint64 transmit = NtpReply::fromDateTime(m_clock().toUTC());
    qToBigEndian<quint64>(transmit, bytes + kTransmitOffset);
    const QByteArray datagram(reinterpret_cast<const char*>(bytes), sizeof bytes);
    if (m_socket->writeDatagram(datagram, address, port) != datagram.size()) {
        TLOG_DEBUG("time request not sent:" << m_socket->errorString());
        return false;
    }
    m_lastRequest = transmit;
    return true;
}

void NtpClient::readPendingDatagrams() {
    while (m_socket->hasPendingDatagrams()) {
        char buffer[NtpReply::kSize];
        QHostAddress sender;
        quint16 senderPort = 0;
        const qint64 size = m_socket->readDatagram(buffer, sizeof buffer, &sender, &senderPort);
        if (size < 0)
            break;
        if (size < NtpReply::kHeaderSize) {
            TLOG_DEBUG("time datagram of " << size << " bytes dropped");
            continue;
        }
        const NtpReply reply(QByteArray(buffer, int(size)), m_clock());
        emit replyReceived(sender, senderPort, reply);
    }
}
