#pragma once
// This week and next week: two week buttons beside the weekday browser.

#include "core/clientcontext.h"

#include <QWidget>

class AllCourseListWidget;
class QToolButton;

class AllCourseWidget : public QWidget {
    Q_OBJECT
public:
    explicit AllCourseWidget(const ClientContext& context, QWidget* parent = nullptr);

    // The week's weekday buttons and the day last chosen in it (Monday at first).
    void showWeek(bool thisWeek);

private:
    QToolButton* m_thisWeekBtn = nullptr;
    QToolButton* m_nextWeekBtn = nullptr;
    AllCourseListWidget* m_list = nullptr;
};
