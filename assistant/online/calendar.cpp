#include "calendar.h"

#include "catalogue/fortnight.h"
#include "ntpclient.h"
#include "platform/log.h"

#include <QMap>
#include <QMutex>
#include <QTimer>
#include <chrono>
#include <ctime>

namespace {

// Time since boot, sleep included: a clock nobody sets.
qint64 realUptime() {
#ifdef CLOCK_BOOTTIME
    timespec t{};
    if (clock_gettime(CLOCK_BOOTTIME, &t) == 0)
        return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
#endif
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

constexpr int kBelievedYears = 20;

} // namespace

// The calendar's state and the receiver of the time server's answers.
class CalendarPrivate : public QObject {
    Q_OBJECT
public:
    CalendarPrivate(Calendar* q, const QHostAddress& server, quint16 port, Calendar::Clock clock,
                    Calendar::Uptime uptime);

    void setDate(const QDate& date);
    // The corrected local time.
    QDateTime now() const;
    void armMidnight();
    void ask();

    Calendar* const q;
    NtpClient* client = nullptr;
    QDate currDate;
    QMap<int, QDate> fortnight;
    qint64 offset = 0;
    // The server's time at its last answer, and the uptime then (ms).
    bool answered = false;
    qint64 serverTimeAtAnswer = 0;
    qint64 uptimeAtAnswer = 0;
    mutable QMutex lock;

    const Calendar::Clock clock;
    const Calendar::Uptime uptime;
    const QHostAddress server;
    const quint16 serverPort;
    // One request, one answer: later datagrams (replays, duplicates) are not answers.
    bool awaitingAnswer = false;
    QTimer midnight;

public slots:
    void onReplyReceived(const QHostAddress& host, quint16 port, const NtpReply& reply);

private:
    // Why a datagram is not the answer to our request (RFC 4330, section 5); empty when it is.
    QString refusal(const QHostAddress& host, quint16 port, const NtpReply& reply) const;
};

CalendarPrivate::CalendarPrivate(Calendar* q, const QHostAddress& server, quint16 port, Calendar::Clock clock,
                                 Calendar::Uptime uptime)
    : q(q), clock(clock ? std::move(clock) : [] { return QDateTime::currentDateTime(); }),
      uptime(uptime ? std::move(uptime) : realUptime), server(server), serverPort(port) {
    setDate(this->clock().toLocalTime().date());

    client = new NtpClient(this);
    client->setClock(this->clock);
    connect(client, &NtpClient::replyReceived, this, &CalendarPrivate::onReplyReceived);
    if (server.isNull())
        TLOG_DEBUG("no time server: the computer's date stays");
    else
        ask();

    midnight.setSingleShot(true);
    midnight.setTimerType(Qt::PreciseTimer);
    connect(&midnight, &QTimer::timeout, q, &Calendar::checkDate);
    armMidnight();
}

void CalendarPrivate::ask() {
    awaitingAnswer = client->sendRequest(server, serverPort);
    TLOG_DEBUG("time request to " << server.toString() << ":" << serverPort
                                  << (awaitingAnswer ? " sent" : " not sent"));
}

void CalendarPrivate::setDate(const QDate& date) {
    {
        QMutexLocker locker(&lock);
        currDate = date;
        const int weekday = date.dayOfWeek();
        fortnight.clear();
        for (int day = kFirstDay; day <= kLastDay; ++day)
            fortnight.insert(day, date.addDays(day - weekday));
    }
    emit q->currDateChanged();
}

QDateTime CalendarPrivate::now() const {
    {
        QMutexLocker locker(&lock);
        if (answered)
            return QDateTime::fromMSecsSinceEpoch(serverTimeAtAnswer + (uptime() - uptimeAtAnswer),
                                                  Qt::LocalTime);
    }
    return clock().toLocalTime();
}

void CalendarPrivate::armMidnight() {
    const QDateTime current = now();
    QDateTime next(current.date().addDays(1), QTime(0, 0), Qt::LocalTime);
    if (!next.isValid()) // a zone whose clocks skip midnight
        next = QDateTime(current.date().addDays(1), QTime(1, 0), Qt::LocalTime);
    // A little past midnight, so that the check surely sees the new day.
    const qint64 wait = current.msecsTo(next) + 1;
    midnight.start(int(qBound<qint64>(1, wait, 25 * 3600 * 1000)));
}

QString CalendarPrivate::refusal(const QHostAddress& host, quint16 port, const NtpReply& reply) const {
    if (!awaitingAnswer)
        return "no request waiting for an answer";
    if (!host.isEqual(server, QHostAddress::TolerantConversion))
        return "not from the server asked";
    if (port != serverPort)
        return QString("from port %1, not %2").arg(port).arg(serverPort);
    if (reply.mode() != 4)
        return QString("mode %1, not server").arg(reply.mode());
    if (reply.leapIndicator() == 3)
        return "leap indicator 3, server clock not synchronised";
    if (reply.stratum() == 0)
        return "stratum 0, kiss-o'-death";
    if (reply.stratum() > 15)
        return QString("stratum %1").arg(reply.stratum());
    if (reply.transmitTimestamp() == 0)
        return "transmit time zero";
    if (reply.originTimestamp() != client->lastRequestTimestamp())
        return "originate time is not our request's";
    const QDate date = reply.transmitTime().date();
    if (date < Calendar::buildDate())
        return QString("date %1 is before the client was built").arg(date.toString(Qt::ISODate));
    if (date > Calendar::buildDate().addYears(kBelievedYears))
        return QString("date %1 is more than %2 years after the client was built")
            .arg(date.toString(Qt::ISODate))
            .arg(kBelievedYears);
    return QString();
}

void CalendarPrivate::onReplyReceived(const QHostAddress& host, quint16 port, const NtpReply& reply) {
    const QString why = refusal(host, port, reply);
    if (!why.isEmpty()) {
        TLOG_DEBUG("time answer dropped, " << why << " (" << host.toString() << ":" << port << ")");
        return;
    }
    awaitingAnswer = false;
    {
        QMutexLocker locker(&lock);
        offset = reply.localClockOffset();
        answered = true;
        serverTimeAtAnswer = reply.destinationTime().toMSecsSinceEpoch() + offset;
        uptimeAtAnswer = uptime();
    }
    const QDate date = now().date();
    TLOG_INFO("network date:" << date.toString(Qt::ISODate) << " clock offset ms:" << reply.localClockOffset()
                              << " round trip ms:" << reply.roundTripDelay());
    if (date != currDate)
        setDate(date);
    armMidnight();
}

Calendar::Calendar(const QHostAddress& server, quint16 port, QObject* parent)
    : Calendar(server, port, Clock(), Uptime(), parent) {}

Calendar::Calendar(const QHostAddress& server, quint16 port, Clock clock, Uptime uptime, QObject* parent)
    : QObject(parent),
      d(std::make_unique<CalendarPrivate>(this, server, port, std::move(clock), std::move(uptime))) {}

Calendar::~Calendar() = default;

QDate Calendar::currDate() const {
    QMutexLocker locker(&d->lock);
    return d->currDate;
}

QDate Calendar::dateOfDay(int day) const {
    QMutexLocker locker(&d->lock);
    return d->fortnight.value(day);
}

qint64 Calendar::clockOffset() const {
    QMutexLocker locker(&d->lock);
    return d->offset;
}

QDateTime Calendar::now() const {
    return d->now();
}

QDate Calendar::buildDate() {
    static const QDate built = QDate::fromString(QStringLiteral(TAVI_BUILD_DATE), Qt::ISODate);
    return built;
}

void Calendar::checkDate() {
    const QDate date = d->now().date();
    if (date != currDate()) {
        TLOG_INFO("the day moved on:" << date.toString(Qt::ISODate));
        d->setDate(date);
        // A new day is a good moment to hear the server again.
        if (!d->server.isNull())
            d->ask();
    }
    d->armMidnight();
}

#include "calendar.moc"
