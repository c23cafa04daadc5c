#pragma once
// The date source of the course schedule: today, and the fortnight of day
// indexes 1-14 (Monday of this week to Sunday of the next).
//
// The date starts from the computer's clock and is corrected once by a time
// server's answer, so a wrong computer clock does not move the schedule. It
// moves on by itself at local midnight (the computer's clock plus the offset
// the server reported), so a client left running overnight shows the new day.
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

    // Asks `server`:`port` once for the time; a null address asks nobody.
    Calendar(const QHostAddress& server, quint16 port, QObject* parent = nullptr);
    // The same with a local clock of the caller's (tests).
    Calendar(const QHostAddress& server, quint16 port, Clock clock, QObject* parent = nullptr);
    ~Calendar() override;

    QDate currDate() const;
    // Day 1-14 of the fortnight; an invalid date for any other number.
    QDate dateOfDay(int day) const;
    // Milliseconds the server's clock is ahead of the local clock (0 until it answered).
    qint64 clockOffset() const;
    // The local date and time corrected by the server's offset.
    QDateTime now() const;

public slots:
    // Moves to the corrected clock's date if it differs (at midnight, or after
    // the machine slept through it) and re-arms the midnight timer.
    void checkDate();

signals:
    void currDateChanged();

private:
    friend class CalendarPrivate;
    std::unique_ptr<CalendarPrivate> d;
};
