#include "fortnight.h"

QDate fortnightDate(const QDate& today, int day) {
    if (!today.isValid() || day < 1 || day > 14)
        return QDate();
    return today.addDays(day - today.dayOfWeek());
}

DayToDate clockFortnight() {
    return [](int day) { return fortnightDate(QDate::currentDate(), day); };
}
