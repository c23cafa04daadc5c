#pragma once
// The course schedule covers one fortnight: day 1 is the Monday of the current
// week, day 14 the Sunday of the next.

#include <QDate>
#include <functional>

// The day indexes of the fortnight.
constexpr int kFirstDay = 1;
constexpr int kLastDay = 14;

// The date of day index `day` (1-14) in the fortnight around `today`; invalid otherwise.
QDate fortnightDate(const QDate& today, int day);

// How the catalogue turns a day index into a date.
using DayToDate = std::function<QDate(int)>;

// The mapping taken from the computer's clock at the time of each call.
DayToDate clockFortnight();
