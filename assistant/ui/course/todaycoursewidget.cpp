#include "todaycoursewidget.h"

#include "online/calendar.h"
#include "ui/course/daycourselistwidget.h"

#include <QBoxLayout>
#include <QDate>
#include <QLabel>
#include <QToolButton>

TodayCourseWidget::TodayCourseWidget(const ClientContext& context, QWidget* parent)
    : QWidget(parent), m_calendar(context.calendar) {
    setObjectName("TodayCourseWidget");
    setWindowTitle(tr("today course"));
    m_badge = new QToolButton(this);
    m_badge->setObjectName("badge");
    m_badge->setFixedSize(54, 144);
    // The date under the weekday badge: "today" and the day of the month.
    m_dateLabel = new QLabel(this);
    m_dateLabel->setObjectName("todayDate");
    m_dateLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_dateLabel->setFixedWidth(72);
    m_dateLabel->setStyleSheet("QLabel{color:#011B5E; font-weight:bold; font-size:20px;}");
    m_list = new DayCourseListWidget(context, true, this);

    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    column->addSpacing(60);
    column->addWidget(m_badge, 0, Qt::AlignHCenter);
    column->addSpacing(8);
    column->addWidget(m_dateLabel, 0, Qt::AlignHCenter);
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

void TodayCourseWidget::showToday() {
    const QDate date = m_calendar ? m_calendar->currDate() : QDate::currentDate();
    const int w = date.isValid() ? date.dayOfWeek() : 1;
    m_badge->setStyleSheet(QString("QToolButton{border-image:url(:/images/course_day%1)}").arg(w));
    // The badge says "today" already; the label adds the date.
    m_dateLabel->setText(date.isValid() ? date.toString("M/d") : QString());
    m_dateLabel->setAccessibleName(tr("today"));
    // Today is day index w of the fortnight.
    m_list->setDay(w);
}
