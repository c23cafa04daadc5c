#pragma once
// The catalogue's day indexes follow the calendar: their dates come from it,
// and when its date moves on, the course tables of the new fortnight are made
// (none is ever dropped: older days keep their schedule).

class Calendar;
class DB;

// Call before the catalogue opens and before any view connects to the
// calendar, so a view reloading on currDateChanged finds the new tables.
void followCalendar(DB& db, Calendar& calendar);

// Creates the tables of days 1-14 that do not exist yet.
void ensureFortnightTables(DB& db);
