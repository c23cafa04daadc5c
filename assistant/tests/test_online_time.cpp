// Network time and the calendar date against a real SNTP responder on
// 127.0.0.1: the wire format, which answers count, the fortnight, midnight,
// the catalogue following the date, and the real client at start-up.

#include "catalogue/db.h"
#include "core/coursecalendar.h"
#include "online/calendar.h"
#include "online/ntpclient.h"
#include "online/ntpreply.h"
#include "online/timeserver.h"
#include "platform/log.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <QtEndian>
#include <csignal>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>

using testsupport::readFile;
using testsupport::waitFor;

namespace {

quint64 readTimestamp(const QByteArray& bytes, int offset) {
    return qFromBigEndian<quint64>(reinterpret_cast<const uchar*>(bytes.constData()) + offset);
}

void writeTimestamp(QByteArray& bytes, int offset, quint64 value) {
    qToBigEndian<quint64>(value, reinterpret_cast<uchar*>(bytes.data()) + offset);
}

// A local clock that starts where a test puts it and runs on in real time.
class TestClock {
public:
    explicit TestClock(const QDateTime& start) { set(start); }
    void set(const QDateTime& start) {
        m_start = start;
        m_run.start();
    }
    QDateTime now() const { return m_start.addMSecs(m_run.elapsed()); }
    Calendar::Clock function() const {
        return [this] { return now(); };
    }

private:
    QDateTime m_start;
    QElapsedTimer m_run;
};

// What the responder answers with.
struct Answer {
    int leap = 0;
    int mode = 4;
    int stratum = 2;
    // The server's time; invalid = the real clock plus `aheadMs`.
    QDateTime time;
    qint64 aheadMs = 0;
    bool zeroTransmit = false;
    bool wrongOrigin = false;
    // Answer from this socket instead of the one asked.
    QUdpSocket* from = nullptr;
    // A second answer with another date right after the first.
    bool replay = false;
};

// A small SNTP server: answers every request it receives as `answer` says.
class SntpResponder : public QObject {
public:
    explicit SntpResponder(const QHostAddress& at = QHostAddress::LocalHost) {
        m_socket.bind(at, 0);
        connect(&m_socket, &QUdpSocket::readyRead, this, &SntpResponder::onReadyRead);
    }
    QHostAddress address() const { return m_socket.localAddress(); }
    quint16 port() const { return m_socket.localPort(); }
    QString addressText() const { return QString("%1:%2").arg(address().toString()).arg(port()); }

    Answer answer;
    QList<QByteArray> requests;
    QDateTime answeredTime;

private:
    QByteArray build(const QByteArray& request, const QDateTime& time) const {
        QByteArray out(48, '\0');
        out[0] = char((answer.leap << 6) | (4 << 3) | answer.mode);
        out[1] = char(answer.stratum);
        out[2] = 6;
        out[3] = char(-20);
        const quint64 stamp = NtpReply::fromDateTime(time);
        writeTimestamp(out, 16, NtpReply::fromDateTime(time.addSecs(-60)));
        writeTimestamp(out, 24, readTimestamp(request, 40) + (answer.wrongOrigin ? 1 : 0));
        writeTimestamp(out, 32, stamp);
        writeTimestamp(out, 40, answer.zeroTransmit ? 0 : stamp);
        return out;
    }

    void onReadyRead() {
        while (m_socket.hasPendingDatagrams()) {
            QByteArray request(int(m_socket.pendingDatagramSize()), '\0');
            QHostAddress sender;
            quint16 senderPort = 0;
            m_socket.readDatagram(request.data(), request.size(), &sender, &senderPort);
            requests << request;
            const QDateTime time =
                answer.time.isValid() ? answer.time : QDateTime::currentDateTime().addMSecs(answer.aheadMs);
            answeredTime = time;
            QUdpSocket* out = answer.from ? answer.from : &m_socket;
            out->writeDatagram(build(request, time), sender, senderPort);
            if (answer.replay)
                out->writeDatagram(build(request, time.addDays(30)), sender, senderPort);
        }
    }

    QUdpSocket m_socket;
};

class TimeTest : public ::testing::Test {
protected:
    void SetUp() override { tavi::setupClientLogging(dir.path()); }
    QString log() const { return readFile(dir.path() + "/debug/taviassistant.log"); }
    bool logShows(const QString& text, int timeoutMs = 5000) const {
        return waitFor([&] { return log().contains(text); }, timeoutMs);
    }

    QStringList courseTables() const {
        const testsupport::ProcessResult r =
            testsupport::run("sqlite3", {dir.path() + "/main.db",
                                         "select name from sqlite_master where name like 'courseTbl_%'"});
        return r.out.split('\n', Qt::SkipEmptyParts);
    }

    static QStringList fortnightTables(const QDate& monday) {
        QStringList names;
        for (int i = 0; i < 14; ++i)
            names << "courseTbl_" + monday.addDays(i).toString("yyyyMMdd");
        return names;
    }

    QTemporaryDir dir;
};

// Monday 7 March 2044, noon: a date a client built now believes a server
// for (from its build date to twenty years after).
const QDateTime kMondayNoon(QDate(2044, 3, 7), QTime(12, 0));

} // namespace

TEST(NtpReply, TimestampsConvertBothWaysAlsoBefore1970) {
    const QDateTime halfSecond(QDate(1970, 1, 1), QTime(0, 0, 0, 500), Qt::UTC);
    const quint64 stamp = NtpReply::fromDateTime(halfSecond);
    EXPECT_EQ(stamp >> 32, 2208988800u);
    EXPECT_EQ(stamp & 0xFFFFFFFFu, 2147483648u);
    EXPECT_EQ(NtpReply::toMSecsSinceEpoch(stamp), 500);
    EXPECT_EQ(NtpReply::toDateTime(stamp), halfSecond);
    EXPECT_EQ(NtpReply::toDateTime(stamp).timeSpec(), Qt::LocalTime);

    // Seconds below the 1970 offset are earlier dates, not huge positive
    // ones; without the top bit they are the era from 7 February 2036.
    EXPECT_EQ(NtpReply::toDateTime(NtpReply::timestamp(0x80000000u, 0)).toUTC(),
              QDateTime(QDate(1968, 1, 20), QTime(3, 14, 8), Qt::UTC));
    EXPECT_EQ(NtpReply::toDateTime(NtpReply::timestamp(0, 0)).toUTC(),
              QDateTime(QDate(2036, 2, 7), QTime(6, 28, 16), Qt::UTC));
    for (const QDateTime& t : {QDateTime(QDate(2036, 3, 4), QTime(8, 0), Qt::UTC),
                               QDateTime(QDate(2099, 6, 1), QTime(8, 0), Qt::UTC)}) {
        EXPECT_LT(NtpReply::fromDateTime(t) >> 32, 0x80000000u);
        EXPECT_EQ(NtpReply::toDateTime(NtpReply::fromDateTime(t)), t);
    }
    const QDateTime moonLanding(QDate(1969, 7, 20), QTime(20, 17, 40, 250), Qt::UTC);
    const quint64 old = NtpReply::fromDateTime(moonLanding);
    EXPECT_LT(old >> 32, 2208988800u);
    EXPECT_EQ(NtpReply::toDateTime(old), moonLanding);

    const QDateTime later(QDate(2031, 11, 5), QTime(23, 59, 59, 875), Qt::UTC);
    EXPECT_EQ(NtpReply::toDateTime(NtpReply::fromDateTime(later)), later);
    // Fractions are cut, not rounded, both ways.
    EXPECT_EQ(NtpReply::toMSecsSinceEpoch(NtpReply::timestamp(2208988801u, 0xFFFFFFFFu)), 1999);
    EXPECT_EQ(NtpReply::fromDateTime(QDateTime::fromMSecsSinceEpoch(999, Qt::UTC)) & 0xFFFFFFFFu,
              4290672328u);
}

TEST(NtpReply, HeaderFieldsAndDerivedValues) {
    const QDateTime t(QDate(2044, 3, 7), QTime(9, 0), Qt::UTC);
    QByteArray bytes(68, '\0');
    bytes[0] = char((1 << 6) | (3 << 3) | 4);
    bytes[1] = char(200);
    bytes[2] = 6;
    bytes[3] = char(-20);
    // The server is ten seconds ahead; 125 ms of its own work, 375 ms in all
    // (multiples of 125 ms are exact in NTP fractions).
    writeTimestamp(bytes, 24, NtpReply::fromDateTime(t));
    writeTimestamp(bytes, 32, NtpReply::fromDateTime(t.addMSecs(10125)));
    writeTimestamp(bytes, 40, NtpReply::fromDateTime(t.addMSecs(10250)));
    for (int i = 48; i < 68; ++i)
        bytes[i] = char(i);
    const NtpReply reply(bytes, t.addMSecs(375));

    EXPECT_FALSE(reply.isNull());
    EXPECT_EQ(reply.leapIndicator(), 1);
    EXPECT_EQ(reply.versionNumber(), 3);
    EXPECT_EQ(reply.mode(), 4);
    EXPECT_EQ(reply.stratum(), 200);
    EXPECT_DOUBLE_EQ(reply.pollInterval(), 64.0);
    EXPECT_DOUBLE_EQ(reply.precision(), 1.0 / (1 << 20));
    EXPECT_EQ(reply.originTime(), t);
    EXPECT_EQ(reply.transmitTime(), t.addMSecs(10250));
    EXPECT_EQ(reply.roundTripDelay(), 250);
    EXPECT_EQ(reply.localClockOffset(), 10000);
    EXPECT_EQ(reply.data(), bytes);

    // Behind, with an odd sum: the offset is the integer half, towards zero.
    QByteArray behind(48, '\0');
    writeTimestamp(behind, 24, NtpReply::fromDateTime(t));
    writeTimestamp(behind, 32, NtpReply::fromDateTime(t.addMSecs(-5000)));
    writeTimestamp(behind, 40, NtpReply::fromDateTime(t.addMSecs(-4875)));
    const NtpReply late(behind, t.addMSecs(250));
    EXPECT_EQ(late.localClockOffset(), -5062);
    EXPECT_EQ(late.roundTripDelay(), 125);
    EXPECT_EQ(late.data().size(), 68);

    const NtpReply none;
    EXPECT_TRUE(none.isNull());
    EXPECT_EQ(none.data(), QByteArray(68, '\0'));
    NtpReply copy = reply;
    EXPECT_EQ(copy.data(), reply.data());
    copy = none;
    EXPECT_TRUE(copy.isNull());
    EXPECT_FALSE(reply.isNull());
}

TEST_F(TimeTest, ClientRequestsWithItsClockAndHandsOnWholeDatagramsOnly) {
    QUdpSocket server;
    ASSERT_TRUE(server.bind(QHostAddress(QHostAddress::LocalHost), 0));
    NtpClient client(QHostAddress::LocalHost, 0);
    const QDateTime halfSecond(QDate(1970, 1, 1), QTime(0, 0, 0, 500), Qt::UTC);
    client.setClock([&] { return halfSecond.toLocalTime(); });
    QSignalSpy replies(&client, &NtpClient::replyReceived);

    ASSERT_TRUE(client.sendRequest(QHostAddress::LocalHost, server.localPort()));
    ASSERT_TRUE(waitFor([&] { return server.hasPendingDatagrams(); }));
    QByteArray request(int(server.pendingDatagramSize()), '\0');
    QHostAddress from;
    quint16 fromPort = 0;
    server.readDatagram(request.data(), request.size(), &from, &fromPort);
    ASSERT_EQ(request.size(), 48);
    EXPECT_EQ(quint8(request[0]), 0x23);
    EXPECT_EQ(readTimestamp(request, 40), NtpReply::timestamp(2208988800u, 2147483648u));
    EXPECT_EQ(request.mid(1, 39), QByteArray(39, '\0'));
    EXPECT_EQ(client.lastRequestTimestamp(), readTimestamp(request, 40));
    EXPECT_EQ(fromPort, client.localPort());

    QByteArray full(68, '\0');
    for (int i = 0; i < 68; ++i)
        full[i] = char(0xA0 + i);
    server.writeDatagram(QByteArray(47, '\x24'), QHostAddress::LocalHost, fromPort);
    server.writeDatagram(full, QHostAddress::LocalHost, fromPort);
    server.writeDatagram(full.left(48), QHostAddress::LocalHost, fromPort);
    ASSERT_TRUE(waitFor([&] { return replies.count() >= 2; }));
    QTest::qWait(100);
    ASSERT_EQ(replies.count(), 2) << "the 47-byte datagram was handed on";
    const NtpReply whole = replies[0][2].value<NtpReply>();
    EXPECT_EQ(whole.data(), full);
    EXPECT_EQ(whole.destinationTime(), halfSecond);
    EXPECT_EQ(replies[0][1].value<quint16>(), server.localPort());
    EXPECT_EQ(replies[1][2].value<NtpReply>().data(), full.left(48) + QByteArray(20, '\0'));
    EXPECT_TRUE(log().contains("47 bytes dropped")) << log().toStdString();

    // An address this machine does not have: nothing is bound, nothing is sent.
    NtpClient unbound(QHostAddress("192.0.2.1"), 0);
    EXPECT_FALSE(unbound.sendRequest(QHostAddress::LocalHost, server.localPort()));
    EXPECT_TRUE(log().contains("bind time socket failed"));
}

TEST(CalendarDays, FortnightRunsFromThisMondayToNextSunday) {
    TestClock sunday(QDateTime(QDate(2044, 3, 6), QTime(8, 0)));
    Calendar onSunday(QHostAddress(), 0, sunday.function());
    EXPECT_EQ(onSunday.currDate(), QDate(2044, 3, 6));
    EXPECT_EQ(onSunday.dateOfDay(1), QDate(2044, 2, 29));
    EXPECT_EQ(onSunday.dateOfDay(7), QDate(2044, 3, 6));
    EXPECT_EQ(onSunday.dateOfDay(14), QDate(2044, 3, 13));

    TestClock monday(kMondayNoon);
    Calendar onMonday(QHostAddress(), 0, monday.function());
    EXPECT_EQ(onMonday.dateOfDay(1), QDate(2044, 3, 7));
    EXPECT_EQ(onMonday.dateOfDay(14), QDate(2044, 3, 20));
    for (int day : {0, 15, -1, 100})
        EXPECT_FALSE(onMonday.dateOfDay(day).isValid()) << day;
}

TEST_F(TimeTest, TodaysAnswerKeepsTheDateYesterdaysRebuildsTheFortnightOnce) {
    SntpResponder server;
    server.answer.time = kMondayNoon.addSecs(5);
    TestClock clock(kMondayNoon);
    {
        Calendar calendar(server.address(), server.port(), clock.function());
        QSignalSpy changed(&calendar, &Calendar::currDateChanged);
        ASSERT_TRUE(logShows("network date:2044-03-07")) << log().toStdString();
        EXPECT_EQ(changed.count(), 0);
        EXPECT_EQ(calendar.currDate(), QDate(2044, 3, 7));
        EXPECT_NEAR(double(calendar.clockOffset()), 5000.0, 500.0);
        ASSERT_EQ(server.requests.size(), 1);
        EXPECT_EQ(server.requests[0].size(), 48);
    }

    // Yesterday was the Sunday of the week before: the whole fortnight moves back.
    server.answer.time = kMondayNoon.addDays(-1);
    server.answer.replay = true;
    clock.set(kMondayNoon);
    Calendar calendar(server.address(), server.port(), clock.function());
    QSignalSpy changed(&calendar, &Calendar::currDateChanged);
    ASSERT_TRUE(waitFor([&] { return changed.count() > 0; })) << log().toStdString();
    EXPECT_EQ(calendar.currDate(), QDate(2044, 3, 6));
    EXPECT_EQ(calendar.dateOfDay(1), QDate(2044, 2, 29));
    EXPECT_EQ(calendar.dateOfDay(14), QDate(2044, 3, 13));
    EXPECT_NEAR(double(calendar.clockOffset()), -86400000.0, 500.0);
    // A second datagram carrying our originate time is no second answer.
    ASSERT_TRUE(logShows("no request waiting")) << log().toStdString();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(calendar.currDate(), QDate(2044, 3, 6));
}

TEST_F(TimeTest, OnlyTrueAnswersSetTheDate) {
    QUdpSocket otherPort;
    ASSERT_TRUE(otherPort.bind(QHostAddress(QHostAddress::LocalHost), 0));
    QUdpSocket otherAddress;
    const bool haveSecondLoopback = otherAddress.bind(QHostAddress("127.0.0.2"), 0);

    struct Case {
        QString why;
        std::function<void(Answer&)> spoil;
    };
    std::vector<Case> cases = {
        {"from port", [&](Answer& a) { a.from = &otherPort; }},
        {"mode 3", [](Answer& a) { a.mode = 3; }},
        {"leap indicator 3", [](Answer& a) { a.leap = 3; }},
        {"stratum 0, kiss-o'-death", [](Answer& a) { a.stratum = 0; }},
        {"stratum 16", [](Answer& a) { a.stratum = 16; }},
        {"transmit time zero", [](Answer& a) { a.zeroTransmit = true; }},
        {"originate time is not our request's", [](Answer& a) { a.wrongOrigin = true; }},
        {"date " + Calendar::buildDate().addDays(-1).toString(Qt::ISODate) +
             " is before the client was built",
         [](Answer& a) { a.time = QDateTime(Calendar::buildDate().addDays(-1), QTime(12, 0)); }},
        {"date 1990-05-02 is before the client was built",
         [](Answer& a) { a.time = QDateTime(QDate(1990, 5, 2), QTime(12, 0)); }},
        {"date " + Calendar::buildDate().addYears(21).toString(Qt::ISODate) +
             " is more than 20 years after the client was built",
         [](Answer& a) { a.time = QDateTime(Calendar::buildDate().addYears(21), QTime(12, 0)); }},
    };
    if (haveSecondLoopback)
        cases.push_back({"not from the server asked", [&](Answer& a) { a.from = &otherAddress; }});
    else
        std::cout << "[   NOTE   ] 127.0.0.2 cannot be bound here; the foreign-address case is left out\n";

    for (const Case& c : cases) {
        SCOPED_TRACE(c.why.toStdString());
        SntpResponder server;
        server.answer.time = kMondayNoon.addDays(14);
        c.spoil(server.answer);
        TestClock clock(kMondayNoon);
        Calendar calendar(server.address(), server.port(), clock.function());
        QSignalSpy changed(&calendar, &Calendar::currDateChanged);
        ASSERT_TRUE(logShows(QString("time answer dropped, ") + c.why)) << log().toStdString();
        EXPECT_EQ(changed.count(), 0);
        EXPECT_EQ(calendar.currDate(), QDate(2044, 3, 7));
        EXPECT_EQ(calendar.dateOfDay(1), QDate(2044, 3, 7));
        EXPECT_EQ(calendar.clockOffset(), 0);
    }
    EXPECT_FALSE(log().contains("network date:")) << log().toStdString();
}

TEST_F(TimeTest, TheCatalogueMakesTheTablesOfTheServersFortnight) {
    SntpResponder server;
    // A week ahead: Monday 14 March.
    server.answer.time = kMondayNoon.addDays(7);
    TestClock clock(kMondayNoon);
    Calendar calendar(server.address(), server.port(), clock.function());
    DB db(dir.path() + "/main.db", "default");
    followCalendar(db, calendar);
    ASSERT_TRUE(db.open());
    ASSERT_TRUE(db.setup());
    QSignalSpy changed(&calendar, &Calendar::currDateChanged);
    ASSERT_TRUE(waitFor([&] { return changed.count() > 0; })) << log().toStdString();

    QStringList tables = courseTables();
    for (const QString& name : fortnightTables(QDate(2044, 3, 14)) + fortnightTables(QDate(2044, 3, 7)))
        EXPECT_TRUE(tables.contains(name)) << name.toStdString() << " in " << tables.join(' ').toStdString();
    EXPECT_EQ(tables.size(), 21);

    // Day indexes now name the server's days.
    EXPECT_EQ(db.dateOfDay(1), QDate(2044, 3, 14));
    _TaviApp app;
    app.productId = 7;
    app.name = "song";
    app.proType = "music";
    ASSERT_TRUE(db.addApp(&app));
    DataSet<TaviApp> found;
    ASSERT_TRUE(db.getApps("select * from AppTbl", &found));
    ASSERT_EQ(found.size(), 1);
    ASSERT_TRUE(db.addCourseApp(1, found[0]->appId));
    const testsupport::ProcessResult rows =
        testsupport::run("sqlite3", {dir.path() + "/main.db", "select appId from courseTbl_20440314"});
    EXPECT_EQ(rows.out.trimmed(), QString::number(found[0]->appId));
    db.close();
}

TEST_F(TimeTest, TheDayMovesOnAtMidnightOnce) {
    // Sunday 23:59:59.5: half a second later a new fortnight begins.
    TestClock clock(QDateTime(QDate(2044, 3, 13), QTime(23, 59, 59, 500)));
    Calendar calendar(QHostAddress(), 0, clock.function());
    DB db(dir.path() + "/main.db", "default");
    followCalendar(db, calendar);
    ASSERT_TRUE(db.open());
    QSignalSpy changed(&calendar, &Calendar::currDateChanged);
    ASSERT_TRUE(waitFor([&] { return changed.count() > 0; }, 3000));
    QTest::qWait(700);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(calendar.currDate(), QDate(2044, 3, 14));
    EXPECT_EQ(calendar.dateOfDay(1), QDate(2044, 3, 14));
    const QStringList tables = courseTables();
    for (const QString& name : fortnightTables(QDate(2044, 3, 14)))
        EXPECT_TRUE(tables.contains(name)) << name.toStdString();
    EXPECT_TRUE(tables.contains("courseTbl_20440307")) << "old days are kept";

    // A machine that slept over several days catches up at the next check.
    clock.set(QDateTime(QDate(2044, 3, 17), QTime(7, 30)));
    calendar.checkDate();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(calendar.currDate(), QDate(2044, 3, 17));
    calendar.checkDate();
    EXPECT_EQ(changed.count(), 2);
    db.close();
}

TEST_F(TimeTest, MidnightCountsTheServersOffset) {
    // The computer says noon; the server says half a second before midnight
    // (and its clock runs on for the second answer).
    SntpResponder server;
    server.answer.aheadMs =
        QDateTime::currentDateTime().msecsTo(QDateTime(QDate(2044, 3, 7), QTime(23, 59, 59, 500)));
    TestClock clock(kMondayNoon);
    Calendar calendar(server.address(), server.port(), clock.function());
    QSignalSpy changed(&calendar, &Calendar::currDateChanged);
    ASSERT_TRUE(logShows("network date:2044-03-07")) << log().toStdString();
    EXPECT_EQ(calendar.currDate(), QDate(2044, 3, 7));
    ASSERT_TRUE(waitFor([&] { return changed.count() > 0; }, 3000)) << log().toStdString();
    QTest::qWait(500);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(calendar.currDate(), QDate(2044, 3, 8));
    EXPECT_EQ(calendar.now().date(), QDate(2044, 3, 8));
    // The new day asks the server again.
    EXPECT_TRUE(waitFor([&] { return server.requests.size() == 2; }, 3000));
}

TEST_F(TimeTest, AClockCorrectedWhileTheClientRunsDoesNotMoveTheDay) {
    // After the server's answer the computer's clock is set four days ahead
    // (as time sync does after boot): the day stays the server's.
    SntpResponder server;
    server.answer.time = kMondayNoon;
    TestClock clock(kMondayNoon.addDays(-2));
    Calendar calendar(server.address(), server.port(), clock.function());
    ASSERT_TRUE(logShows("network date:2044-03-07")) << log().toStdString();
    clock.set(kMondayNoon.addDays(2));
    QSignalSpy changed(&calendar, &Calendar::currDateChanged);
    calendar.checkDate();
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(calendar.currDate(), QDate(2044, 3, 7));
    EXPECT_LT(qAbs(calendar.now().msecsTo(kMondayNoon)), 2000);

    // Past 2036 the seconds start again: an answer of that era is read as it is.
    SntpResponder later;
    later.answer.time = QDateTime(QDate(2036, 3, 4), QTime(9, 0));
    if (later.answer.time.date() > Calendar::buildDate()) {
        Calendar afterRollover(later.address(), later.port(), clock.function());
        ASSERT_TRUE(logShows("network date:2036-03-04")) << log().toStdString();
        EXPECT_EQ(afterRollover.currDate(), QDate(2036, 3, 4));
    }
}

TEST(TimeServerAddress, IPv4WithAnOptionalPort) {
    EXPECT_TRUE(parseTimeServer(QString::fromLatin1(kTimeServerAddress)).isValid());
    EXPECT_EQ(parseTimeServer(QString::fromLatin1(kTimeServerAddress)).port, 123);
    const TimeServer local = parseTimeServer("127.0.0.1:5123");
    EXPECT_EQ(local.address, QHostAddress("127.0.0.1"));
    EXPECT_EQ(local.port, 5123);
    EXPECT_EQ(parseTimeServer("127.0.0.1").port, 123);
    for (const char* bad : {"", "localhost", "::1", "1.2.3", "2130706433", "127.0.0.1:", "127.0.0.1:0",
                            "127.0.0.1:70000", "127.0.0.1:x", "1.2.3.4:5:6"})
        EXPECT_FALSE(parseTimeServer(bad).isValid()) << bad;
}

TEST_F(TimeTest, TheOverrideIsLoggedAndAMalformedOneAsksNobody) {
    const QByteArray saved = qgetenv("TAVI_TIME_SERVER");
    qputenv("TAVI_TIME_SERVER", "127.0.0.1:5123");
    const TimeServer local = configuredTimeServer();
    EXPECT_EQ(local.address, QHostAddress("127.0.0.1"));
    EXPECT_EQ(local.port, 5123);
    EXPECT_TRUE(log().contains("INFO  - time server from TAVI_TIME_SERVER: 127.0.0.1:5123"))
        << log().toStdString();

    // A name or a typo must not send the request to some other machine.
    qputenv("TAVI_TIME_SERVER", "time.example.org");
    EXPECT_FALSE(configuredTimeServer().isValid());
    EXPECT_TRUE(
        log().contains("ERROR - TAVI_TIME_SERVER is not IPv4[:port], no time request: time.example.org"));

    qunsetenv("TAVI_TIME_SERVER");
    const TimeServer builtIn = configuredTimeServer();
    EXPECT_EQ(builtIn.address, QHostAddress(QString::fromLatin1(kTimeServerAddress)));
    EXPECT_EQ(builtIn.port, 123);
    qputenv("TAVI_TIME_SERVER", saved);
}

TEST(TimeStartup, TheClientAsksTheOverrideAndMovesTheCatalogueToItsFortnight) {
    testsupport::TempRoot root;
    root.installClient();
    SntpResponder server;
    server.answer.aheadMs = 14LL * 86400 * 1000;

    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& kv : testsupport::clientEnv(root.path("tmp")))
        env.insert(kv.section('=', 0, 0), kv.section('=', 1));
    env.insert("TAVI_TIME_SERVER", server.addressText());
    client.setProcessEnvironment(env);
    client.start(root.clientExe(), QStringList());
    ASSERT_TRUE(client.waitForStarted(10000));

    ASSERT_TRUE(waitFor([&] { return root.readLog().contains("network date:"); }, 30000))
        << root.readLog().toStdString();
    const QString log = root.readLog();
    EXPECT_TRUE(log.contains("INFO  - time server from TAVI_TIME_SERVER: " + server.addressText()))
        << log.toStdString();
    ASSERT_EQ(server.requests.size(), 1);

    const QDate serverDay = server.answeredTime.date();
    const QDate monday = serverDay.addDays(1 - serverDay.dayOfWeek());
    QStringList expected;
    for (int i = 0; i < 14; ++i)
        expected << "courseTbl_" + monday.addDays(i).toString("yyyyMMdd");
    QString tables;
    const bool made = waitFor(
        [&] {
            tables = testsupport::run("sqlite3", {root.path("data/main.db"), ".tables"}).out;
            for (const QString& name : expected)
                if (!tables.contains(name))
                    return false;
            return true;
        },
        15000);
    EXPECT_TRUE(made) << tables.toStdString();
    // Today's fortnight, made at the first open, stays.
    EXPECT_TRUE(tables.contains("courseTbl_" + QDate::currentDate().toString("yyyyMMdd")))
        << tables.toStdString();

    ::kill(client.processId(), SIGTERM);
    ASSERT_TRUE(client.waitForFinished(15000));
    EXPECT_EQ(client.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(client.exitCode(), 0);
}
