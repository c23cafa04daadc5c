#pragma once
// Today's course: a badge with today's weekday beside the day's list. It
// follows the calendar: at midnight (or when the time server corrects the
// date) it shows the new today.

#include "core/clientcontext.h"

#include <QWidget>

class Calendar;
class DayCourseListWidget;
class QLabel;
class QToolButton;

class TodayCourseWidget : public QWidget {
    Q_OBJECT
public:
    explicit TodayCourseWidget(const ClientContext& context, QWidget* parent = nullptr);

public slots:
    // The badge of today's weekday (from the shared calendar, the computer's
    // date without one), its date, and its day of the fortnight.
    void showToday();

private:
    Calendar* m_calendar = nullptr;
    QToolButton* m_badge = nullptr;
    QLabel* m_dateLabel = nullptr;
    DayCourseListWidget* m_list = nullptr;
};
