#include "ntpreply.h"

#include <QSharedData>
#include <QtEndian>
#include <cmath>
#include <cstring>

namespace {
// Seconds from 1 January 1900 to 1 January 1970.
constexpr qint64 kEpochDelta = 2208988800LL;
constexpr int kOriginOffset = 24;
constexpr int kReferenceOffset = 16;
constexpr int kReceiveOffset = 32;
constexpr int kTransmitOffset = 40;
} // namespace

class NtpReplyPrivate : public QSharedData {
public:
    NtpReplyPrivate() { std::memset(bytes, 0, sizeof bytes); }
    uchar bytes[NtpReply::kSize];
    QDateTime destination;
};

NtpReply::NtpReply() : d(new NtpReplyPrivate) {}

NtpReply::NtpReply(const QByteArray& datagram, const QDateTime& destinationTime) : d(new NtpReplyPrivate) {
    std::memcpy(d->bytes, datagram.constData(), std::min<size_t>(datagram.size(), kSize));
    d->destination = destinationTime;
}

NtpReply::NtpReply(const NtpReply& other) = default;
NtpReply& NtpReply::operator=(const NtpReply& other) = default;
NtpReply::~NtpReply() = default;

bool NtpReply::isNull() const {
    return d->destination.isNull();
}

QByteArray NtpReply::data() const {
    return QByteArray(reinterpret_cast<const char*>(d->bytes), kSize);
}

int NtpReply::leapIndicator() const {
    return d->bytes[0] >> 6;
}
int NtpReply::versionNumber() const {
    return (d->bytes[0] >> 3) & 7;
}
int NtpReply::mode() const {
    return d->bytes[0] & 7;
}
quint8 NtpReply::stratum() const {
    return d->bytes[1];
}
double NtpReply::pollInterval() const {
    return std::pow(2.0, qint8(d->bytes[2]));
}
double NtpReply::precision() const {
    return std::pow(2.0, qint8(d->bytes[3]));
}

quint64 NtpReply::timestampAt(int offset) const {
    return qFromBigEndian<quint64>(d->bytes + offset);
}

QDateTime NtpReply::referenceTime() const {
    return toDateTime(timestampAt(kReferenceOffset));
}
QDateTime NtpReply::originTime() const {
    return toDateTime(timestampAt(kOriginOffset));
}
QDateTime NtpReply::receiveTime() const {
    return toDateTime(timestampAt(kReceiveOffset));
}
QDateTime NtpReply::transmitTime() const {
    return toDateTime(timestampAt(kTransmitOffset));
}
QDateTime NtpReply::destinationTime() const {
    return d->destination;
}

quint64 NtpReply::originTimestamp() const {
    return timestampAt(kOriginOffset);
}
quint64 NtpReply::transmitTimestamp() const {
    return timestampAt(kTransmitOffset);
}

qint64 NtpReply::roundTripDelay() const {
    const qint64 origin = toMSecsSinceEpoch(timestampAt(kOriginOffset));
    const qint64 receive = toMSecsSinceEpoch(timestampAt(kReceiveOffset));
    const qint64 transmit = toMSecsSinceEpoch(timestampAt(kTransmitOffset));
    const qint64 destination = d->destination.toMSecsSinceEpoch();
    return (destination - origin) - (transmit - receive);
}

qint64 NtpReply::localClockOffset() const {
    const qint64 origin = toMSecsSinceEpoch(timestampAt(kOriginOffset));
    const qint64 receive = toMSecsSinceEpoch(timestampAt(kReceiveOffset));
    const qint64 transmit = toMSecsSinceEpoch(timestampAt(kTransmitOffset));
    const qint64 destination = d->destination.toMSecsSinceEpoch();
    return ((receive - origin) + (transmit - destination)) / 2;
}

qint64 NtpReply::toMSecsSinceEpoch(quint64 timestamp) {
    // 32 bits of seconds last 136 years. With the top bit set they count from
    // 1900 (1968 to 2036); without it from 7 February 2036 (2036 to 2104).
    qint64 seconds = qint64(timestamp >> 32);
    if (!(seconds & 0x80000000LL))
        seconds += qint64(1) << 32;
    const qint64 fraction = qint64(timestamp & 0xFFFFFFFFu);
    return (seconds - kEpochDelta) * 1000 + (fraction * 1000) / (qint64(1) << 32);
}

QDateTime NtpReply::toDateTime(quint64 timestamp) {
    return QDateTime::fromMSecsSinceEpoch(toMSecsSinceEpoch(timestamp), Qt::LocalTime);
}

quint64 NtpReply::fromDateTime(const QDateTime& time) {
    const qint64 m = time.toMSecsSinceEpoch() + kEpochDelta * 1000;
    if (m < 0)
        return 0; // before 1900: not representable
    // From 2036 on the seconds start again from zero (see toMSecsSinceEpoch).
    const quint64 seconds = quint64(m / 1000) & 0xFFFFFFFFu;
    const quint64 fraction = (quint64(m % 1000) << 32) / 1000;
    return (seconds << 32) | (fraction & 0xFFFFFFFFu);
}
