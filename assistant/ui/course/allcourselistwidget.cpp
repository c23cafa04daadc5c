#include "allcourselistwidget.h"

#include "platform/log.h"
#include "ui/course/daycourselistwidget.h"
#include "ui/lists/pagedgrid.h"

#include <QBoxLayout>
#include <QResizeEvent>
#include <QToolBar>
#include <QToolButton>

AllCourseListWidget::AllCourseListWidget(const ClientContext& context, QWidget* parent) : QWidget(parent) {
    setObjectName("AllCourseListWidget");
    setWindowTitle(tr("all course"));
    setAutoFillBackground(true);

    auto* toolBar = new QToolBar(this);
    toolBar->setStyleSheet("QToolBar {spacing: 5px;}");
    const QStringList names{tr("Mon"), tr("Tues"), tr("Wed"), tr("Thur"), tr("Fri"), tr("Sat"), tr("Sun")};
    for (int k = 1; k <= 7; ++k) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString("dayBtn%1").arg(k));
        b->setFixedSize(80, 32);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setStyleSheet("QToolButton:checked{border-image:url(:/images/day)}");
        b->setText(names[k - 1]);
        connect(b, &QToolButton::clicked, this, [this, k]() { onDayBtnClicked(k); });
        toolBar->addWidget(b);
        m_dayBtns << b;
    }
    m_list = new DayCourseListWidget(context, false, this);

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
    m_list->setDay(m_thisWeek ? day : day + 7);
    (m_thisWeek ? m_thisWeekDay : m_nextWeekDay) = day;
    m_dayBtns[day - 1]->setChecked(true);
}

void AllCourseListWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    pagedgrid::paintCentreBackground(this, event->size());
}
