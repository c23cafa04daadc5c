#pragma once
// The date source of the course schedule: today, and the fortnight of day
// indexes 1-14 (Monday of this week to Sunday of the next).
//
// The date starts from the computer's clock and is corrected by a time
// server's answer, so a wrong computer clock does not move the schedule.
// After an answer the time runs on from it by the time since boot, which no
// setting or correction of the computer's clock moves (time sync corrects it
// after boot, and that correction must not count twice). The date moves on
// by itself at local midnight, so a client left running overnight shows the
// new day, and the server is asked again then.
//
// An answer is believed only between the day the client was built and twenty
// years after it; NTP's 32-bit seconds are read in the era RFC 4330 section 3
// gives them (1968-2036 with the top bit set, 2036-2104 without).
//
// Lives on the interface thread; currDate and dateOfDay may be read from any
// thread (the catalogue maps day indexes on job threads too).

#include <QDate>
#include <QDateTime>
#include <QHostAddress>
#include <QObject>
#include <functional>
#include <memory>

class CalendarPrivate;

class Calendar : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;
    // Milliseconds since some fixed moment, never set back, counting sleep.
    using Uptime = std::function<qint64()>;

    // Asks `server`:`port` for the time; a null address asks nobody.
    Calendar(const QHostAddress& server, quint16 port, QObject* parent = nullptr);
    // The same with clocks of the caller's (tests); an empty one is the real one.
    Calendar(const QHostAddress& server, quint16 port, Clock clock, Uptime uptime = {},
             QObject* parent = nullptr);
    ~Calendar() override;

    QDate currDate() const;
    // Day 1-14 of the fortnight; an invalid date for any other number.
    QDate dateOfDay(int day) const;
    // Milliseconds the server's clock is ahead of the local clock (0 until it answered).
    qint64 clockOffset() const;
    // The local date and time: the server's answer and the time since, or the
    // computer's clock until an answer came.
    QDateTime now() const;
    // The day the client was built: answers before it, or more than twenty
    // years after it, are refused.
    static QDate buildDate();

public slots:
    // Moves to the corrected clock's date if it differs (at midnight, or after
    // the machine slept through it), then asks the server again, and re-arms
    // the midnight timer.
    void checkDate();

signals:
    void currDateChanged();

private:
    friend class CalendarPrivate;
    std::unique_ptr<CalendarPrivate> d;
};
