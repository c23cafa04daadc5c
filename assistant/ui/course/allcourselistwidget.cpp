#include "allcourselistwidget.h"

#include "online/calendar.h"

#include "platform/log.h"
#include "ui/course/daycourselistwidget.h"
#include "ui/lists/pagedgrid.h"

#include <QBoxLayout>
#include <QDate>
#include <QResizeEvent>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

AllCourseListWidget::AllCourseListWidget(const ClientContext& context, QWidget* parent)
    : QWidget(parent), m_calendar(context.calendar) {
    setObjectName("AllCourseListWidget");
    setWindowTitle(tr("all course"));
    setAutoFillBackground(true);

    auto* toolBar = new QToolBar(this);
    toolBar->setStyleSheet("QToolBar {spacing: 5px;}");
    m_names = QStringList{tr("Mon"), tr("Tues"), tr("Wed"), tr("Thur"), tr("Fri"), tr("Sat"), tr("Sun")};
    for (int k = 1; k <= 7; ++k) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString("dayBtn%1").arg(k));
        // Wide enough for the weekday and its date, tall enough for a finger.
        b->setFixedSize(112, 44);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        // Without a border of its own the unchecked button gets the style's
        // dark panel; today's date is underlined in the daily orange.
        b->setStyleSheet("QToolButton{background:transparent; border:none; color:#011B5E;}"
                         "QToolButton:checked{border-image:url(:/images/day); font-weight:bold;}"
                         "QToolButton[today=\"true\"]{font-weight:bold; border-bottom:4px solid #C9611A;}");
        b->setText(m_names[k - 1]);
        connect(b, &QToolButton::clicked, this, [this, k]() { onDayBtnClicked(k); });
        toolBar->addWidget(b);
        m_dayBtns << b;
    }
    m_list = new DayCourseListWidget(context, false, this);
    if (m_calendar)
        connect(m_calendar, &Calendar::currDateChanged, this, &AllCourseListWidget::showDates);
    showDates();

    auto* top = new QHBoxLayout;
    top->addSpacing(30);
    top->addWidget(toolBar);
    top->addStretch();
    auto* column = new QVBoxLayout(this);
    column->setSpacing(0);
    column->setContentsMargins(3, 3, 3, 3);
    column->addLayout(top, 1);
    column->addWidget(m_list, 25);
}

void AllCourseListWidget::onDayBtnClicked(int day) {
    TLOG_DEBUG("AllCourseListWidget::onDayBtnClicked");
    if (day < 1 || day > 7)
        return;
    showDates();
    m_list->setDay(m_thisWeek ? day : day + 7);
    (m_thisWeek ? m_thisWeekDay : m_nextWeekDay) = day;
    m_dayBtns[day - 1]->setChecked(true);
}

void AllCourseListWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    pagedgrid::paintCentreBackground(this, event->size());
}

void AllCourseListWidget::showDates() {
    const QDate today = m_calendar ? m_calendar->currDate() : QDate::currentDate();
    for (int k = 1; k <= m_dayBtns.size(); ++k) {
        const int index = m_thisWeek ? k : k + 7;
        const QDate date = m_calendar ? m_calendar->dateOfDay(index)
                                      : today.addDays(index - (today.isValid() ? today.dayOfWeek() : 1));
        QToolButton* b = m_dayBtns[k - 1];
        b->setText(date.isValid() ? QString("%1 %2").arg(m_names[k - 1], date.toString("M/d"))
                                  : m_names[k - 1]);
        const bool isToday = date.isValid() && date == today;
        if (b->property("today").toBool() != isToday) {
            b->setProperty("today", isToday);
            // A dynamic property is read by the style sheet only when the style is polished again.
            b->style()->unpolish(b);
            b->style()->polish(b);
        }
        b->setAccessibleDescription(isToday ? tr("today") : QString());
    }
}
