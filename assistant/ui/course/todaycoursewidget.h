#pragma once
// Today's course: a badge with today's weekday beside the day's list. It
// follows the calendar: at midnight (or when the time server corrects the
// date) it shows the new today.

#include <QWidget>

class DayCourseListWidget;
class QToolButton;

class TodayCourseWidget : public QWidget {
    Q_OBJECT
public:
    explicit TodayCourseWidget(QWidget* parent = nullptr);

    DayCourseListWidget* dayList() const { return m_list; }
    QToolButton* badge() const { return m_badge; }

    // Today's weekday, 1 (Monday) to 7, from the shared calendar (the computer's date without one).
    static int todayWeekday();

public slots:
    void showToday();

private:
    QToolButton* m_badge = nullptr;
    DayCourseListWidget* m_list = nullptr;
};
