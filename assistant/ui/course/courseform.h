#pragma once
// The content page's form for the course schedule: today's course, or both
// weeks, switched with the button at the top.

#include "core/clientcontext.h"

#include <QWidget>

class AllCourseWidget;
class QStackedWidget;
class QToolButton;
class TodayCourseWidget;

class CourseForm : public QWidget {
    Q_OBJECT
public:
    explicit CourseForm(const ClientContext& context, QWidget* parent = nullptr);

public slots:
    void onSwitch(bool checked);

private:
    QToolButton* m_switchBtn = nullptr;
    QStackedWidget* m_stack = nullptr;
    TodayCourseWidget* m_today = nullptr;
    AllCourseWidget* m_all = nullptr;
};
