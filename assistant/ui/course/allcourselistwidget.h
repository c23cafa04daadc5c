#pragma once
// Both weeks of the schedule: seven weekday buttons over one day's list. Each
// week remembers the weekday last looked at in it.

#include "core/clientcontext.h"

#include <QStringList>
#include <QVector>
#include <QWidget>

class Calendar;
class DayCourseListWidget;
class QToolButton;

class AllCourseListWidget : public QWidget {
    Q_OBJECT
public:
    explicit AllCourseListWidget(const ClientContext& context, QWidget* parent = nullptr);

    void setThisWeek(bool thisWeek) {
        m_thisWeek = thisWeek;
        showDates();
    }
    // The weekday last shown in a week (1-7), 0 when none yet.
    int rememberedDay(bool thisWeek) const { return thisWeek ? m_thisWeekDay : m_nextWeekDay; }

public slots:
    // weekday 1 (Monday) to 7.
    void onDayBtnClicked(int day);

    // Each weekday button says its date ("Tue 12/15"); today's is marked.
    void showDates();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    Calendar* m_calendar = nullptr;
    QStringList m_names;
    bool m_thisWeek = true;
    int m_thisWeekDay = 0;
    int m_nextWeekDay = 0;
    QVector<QToolButton*> m_dayBtns;
    DayCourseListWidget* m_list = nullptr;
};
