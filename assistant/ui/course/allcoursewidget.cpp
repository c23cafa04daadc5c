#include "allcoursewidget.h"

#include "ui/course/allcourselistwidget.h"

#include <QBoxLayout>
#include <QToolBar>
#include <QToolButton>

namespace {
QToolButton* weekButton(const char* name, const char* picture, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setFixedSize(54, 144);
    b->setCheckable(true);
    b->setAutoExclusive(true);
    b->setStyleSheet(
        QString("QToolButton{border-image:url(:/images/%1)}QToolButton:checked{border-image:url(:/images/"
                "%1_checked)}")
            .arg(picture));
    return b;
}
} // namespace

AllCourseWidget::AllCourseWidget(const ClientContext& context, QWidget* parent) : QWidget(parent) {
    setObjectName("AllCourseWidget");
    setWindowTitle(tr("all course"));
    m_thisWeekBtn = weekButton("thisWeekBtn", "this_week", this);
    m_nextWeekBtn = weekButton("nextWeekBtn", "next_week", this);
    auto* toolBar = new QToolBar(this);
    toolBar->setOrientation(Qt::Vertical);
    toolBar->setStyleSheet("QToolBar {spacing: 30px;}");
    toolBar->addWidget(m_thisWeekBtn);
    toolBar->addWidget(m_nextWeekBtn);
    m_list = new AllCourseListWidget(context, this);

    auto* column = new QVBoxLayout;
    column->addSpacing(50);
    column->addWidget(toolBar);
    column->addStretch();
    auto* row = new QHBoxLayout(this);
    row->setSpacing(0);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(column, 1);
    row->addWidget(m_list, 18);

    connect(m_thisWeekBtn, &QToolButton::clicked, this, [this]() { showWeek(true); });
    connect(m_nextWeekBtn, &QToolButton::clicked, this, [this]() { showWeek(false); });
    showWeek(true);
}

void AllCourseWidget::showWeek(bool thisWeek) {
    m_list->setThisWeek(thisWeek);
    const int day = m_list->rememberedDay(thisWeek);
    m_list->onDayBtnClicked(day ? day : 1);
    (thisWeek ? m_thisWeekBtn : m_nextWeekBtn)->setChecked(true);
}
