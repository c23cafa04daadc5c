#include "courseform.h"

#include "ui/course/allcoursewidget.h"
#include "ui/course/todaycoursewidget.h"

#include <QBoxLayout>
#include <QStackedWidget>
#include <QToolButton>

CourseForm::CourseForm(const ClientContext& context, QWidget* parent) : QWidget(parent) {
    setObjectName("CourseForm");
    setWindowTitle(tr("course"));

    m_switchBtn = new QToolButton(this);
    m_switchBtn->setObjectName("switchBtn");
    m_switchBtn->setFixedSize(150, 30);
    m_switchBtn->setCheckable(true);
    QFont font = m_switchBtn->font();
    font.setPointSize(14);
    font.setWeight(75);
    m_switchBtn->setFont(font);
    QPalette pal = m_switchBtn->palette();
    pal.setColor(QPalette::All, QPalette::ButtonText, QColor("#128A6F"));
    m_switchBtn->setPalette(pal);
    m_switchBtn->setText(tr("switch to all"));
    m_switchBtn->setCursor(Qt::PointingHandCursor);
    // Checked or pressed, a tool button draws its own sunken panel (black on
    // this style) unless the style sheet says otherwise for those states too.
    // Unchecked too: a background without a border still gets the native frame.
    m_switchBtn->setStyleSheet(
        "QToolButton{background-color: transparent; border: none;}"
        "QToolButton:checked, QToolButton:pressed{background-color: transparent; border: none;}");
    connect(m_switchBtn, &QToolButton::toggled, this, &CourseForm::onSwitch);

    m_stack = new QStackedWidget(this);
    m_stack->setObjectName("courseStack");
    m_today = new TodayCourseWidget(context);
    m_all = new AllCourseWidget(context);
    m_stack->addWidget(m_today);
    m_stack->addWidget(m_all);
    m_stack->setCurrentWidget(m_today);

    auto* top = new QHBoxLayout;
    top->setSpacing(0);
    top->setContentsMargins(0, 0, 0, 0);
    top->addStretch(10);
    top->addWidget(m_switchBtn, 1);
    top->addStretch(2);
    auto* middle = new QHBoxLayout;
    middle->setSpacing(0);
    middle->setContentsMargins(0, 0, 0, 0);
    middle->addStretch(1);
    middle->addWidget(m_stack, 18);
    middle->addStretch(1);
    auto* column = new QVBoxLayout(this);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(top, 1);
    column->addLayout(middle, 25);
    column->addStretch(2);
}

void CourseForm::onSwitch(bool checked) {
    m_switchBtn->setText(checked ? tr("switch to today") : tr("switch to all"));
    m_stack->setCurrentWidget(checked ? static_cast<QWidget*>(m_all) : m_today);
}
