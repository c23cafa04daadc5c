#include "coursecalendar.h"

#include "catalogue/db.h"
#include "catalogue/fortnight.h"
#include "online/calendar.h"
#include "platform/log.h"

#include <QPointer>

void followCalendar(DB& db, Calendar& calendar) {
    QPointer<Calendar> source(&calendar);
    db.setDayMapper([source](int day) {
        // Past the calendar's end (program exit) the computer's clock serves.
        return source ? source->dateOfDay(day) : fortnightDate(QDate::currentDate(), day);
    });
    QObject::connect(&calendar, &Calendar::currDateChanged, &db, [&db]() { ensureFortnightTables(db); });
}

void ensureFortnightTables(DB& db) {
    if (!db.isOpen())
        return; // open() makes them
    TLOG_DEBUG("course tables from " << db.dateOfDay(1).toString(Qt::ISODate) << " to "
                                     << db.dateOfDay(14).toString(Qt::ISODate));
    for (int day = kFirstDay; day <= kLastDay; ++day)
        db.ensureCourseTableExists(db.dateOfDay(day));
}
