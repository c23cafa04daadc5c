#include "todaycoursewidget.h"

#include "online/calendar.h"
#include "ui/course/daycourselistwidget.h"

#include <QBoxLayout>
#include <QDate>
#include <QToolButton>

TodayCourseWidget::TodayCourseWidget(const ClientContext& context, QWidget* parent)
    : QWidget(parent), m_calendar(context.calendar) {
    setObjectName("TodayCourseWidget");
    setWindowTitle(tr("today course"));
    m_badge = new QToolButton(this);
    m_badge->setObjectName("badge");
    m_badge->setFixedSize(54, 144);
    m_list = new DayCourseListWidget(context, true, this);

    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    column->addSpacing(60);
    column->addWidget(m_badge);
    column->addStretch();
    auto* row = new QHBoxLayout(this);
    row->setSpacing(0);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(column, 1);
    row->addWidget(m_list, 18);

    if (m_calendar)
        connect(m_calendar, &Calendar::currDateChanged, this, &TodayCourseWidget::showToday);
    showToday();
}

int TodayCourseWidget::todayWeekday() const {
    const QDate today = m_calendar ? m_calendar->currDate() : QDate::currentDate();
    return today.isValid() ? today.dayOfWeek() : 1;
}

void TodayCourseWidget::showToday() {
    const int w = todayWeekday();
    m_badge->setStyleSheet(QString("QToolButton{border-image:url(:/images/course_day%1)}").arg(w));
    // Today is day index w of the fortnight.
    m_list->setDay(w);
}
