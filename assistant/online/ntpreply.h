#pragma once
// One answer of a time server (SNTP, RFC 4330) as it came off the wire, with
// the moment it was read. Copies share the bytes until one of them changes.

#include <QByteArray>
#include <QDateTime>
#include <QMetaType>
#include <QSharedDataPointer>

class NtpReplyPrivate;

class NtpReply {
public:
    // The 48-byte header plus room for the optional 20-byte authenticator.
    static constexpr int kSize = 68;
    static constexpr int kHeaderSize = 48;

    // A null reply: all bytes zero, no destination time.
    NtpReply();
    // `datagram` is copied up to 68 bytes, the rest stays zero.
    NtpReply(const QByteArray& datagram, const QDateTime& destinationTime);
    NtpReply(const NtpReply& other);
    NtpReply& operator=(const NtpReply& other);
    ~NtpReply();

    bool isNull() const;
    // All 68 bytes.
    QByteArray data() const;

    int leapIndicator() const;
    int versionNumber() const;
    int mode() const;
    quint8 stratum() const;
    // Seconds (2 to the power of the signed byte).
    double pollInterval() const;
    double precision() const;

    QDateTime referenceTime() const;
    QDateTime originTime() const;
    QDateTime receiveTime() const;
    QDateTime transmitTime() const;
    // The local clock when the datagram was read.
    QDateTime destinationTime() const;

    // The raw 64-bit timestamps (seconds in the high half, fraction in the low
    // half): a client compares them exactly, not through milliseconds.
    quint64 originTimestamp() const;
    quint64 transmitTimestamp() const;

    // Milliseconds.
    qint64 roundTripDelay() const;
    // How far the server's clock is ahead of the local one, in milliseconds.
    qint64 localClockOffset() const;

    // NTP timestamp <-> time, in the eras of RFC 4330 section 3: seconds
    // with the top bit set count from 1 January 1900 (1968 to 2036), others
    // from 7 February 2036 6:28:16 UTC (2036 to 2104).
    static QDateTime toDateTime(quint64 timestamp);
    static qint64 toMSecsSinceEpoch(quint64 timestamp);
    static quint64 fromDateTime(const QDateTime& time);
    static quint64 timestamp(quint32 seconds, quint32 fraction) {
        return (quint64(seconds) << 32) | fraction;
    }

private:
    quint64 timestampAt(int offset) const;

    QSharedDataPointer<NtpReplyPrivate> d;
};

Q_DECLARE_METATYPE(NtpReply)
