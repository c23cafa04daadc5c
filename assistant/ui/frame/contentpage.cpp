#include "contentpage.h"

#include "ui/course/courseform.h"
#include "ui/daily/dailylistwidget.h"
#include "ui/favor/favorlistwidget.h"
#include "ui/look/pictures.h"
#include "ui/packs/packform.h"
#include "ui/profile/mgmtform.h"

#include <QBoxLayout>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>

namespace {

// A tab that is one grid, centred with a margin around it.
QWidget* gridForm(const char* name, const QString& title, QWidget* grid) {
    auto* form = new QWidget;
    form->setObjectName(name);
    form->setWindowTitle(title);
    grid->setParent(form);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(grid, 18);
    row->addStretch(1);
    auto* column = new QVBoxLayout(form);
    column->addLayout(row, 12);
    column->addStretch(2);
    return form;
}

} // namespace

QWidget* ContentPage::makeForm(Form form, const ClientContext& context) {
    switch (form) {
    case Daily:
        return gridForm("DailyForm", tr("daily"), new DailyListWidget(context));
    case Course:
        return new CourseForm(context);
    case Pack:
        return new PackForm(context);
    case Favor:
        return gridForm("FavorForm", tr("favor"), new FavorListWidget(context));
    default:
        return new MgmtForm(context);
    }
}

ContentPage::ContentPage(const ClientContext& context, QWidget* parent) : QWidget(parent) {
    setObjectName("ContentPage");
    setWindowTitle(tr("content"));

    m_formStack = new QStackedWidget(this);
    m_formStack->setObjectName("formStack");
    auto* toolBar = new QToolBar(this);
    toolBar->setStyleSheet("QToolBar {spacing: 20px;}");
    const char* const areas[FormCount] = {"daily", "course", "pack", "favor", "mgmt"};
    for (int form = 0; form < FormCount; ++form) {
        m_forms[form] = makeForm(Form(form), context);
        m_formStack->addWidget(m_forms[form]);
        QToolButton* tab = m_tabs[form] = new QToolButton;
        tab->setObjectName(QString(areas[form]) + "Btn");
        tab->setFixedSize(150, 60);
        tab->setCheckable(true);
        tab->setAutoExclusive(true);
        tab->setStyleSheet(QString("QToolButton{border-image:url(:/images/content_%1)}"
                                   "QToolButton:checked{border-image:url(:/images/content_%1_checked)}")
                               .arg(areas[form]));
        tab->setCursor(Qt::PointingHandCursor);
        toolBar->addWidget(tab);
        connect(tab, &QToolButton::clicked, this, [this, form]() { showForm(Form(form)); });
    }

    // All five tabs stay on screen; a narrow window must not fold them into an overflow menu.
    toolBar->ensurePolished();
    toolBar->setMinimumWidth(toolBar->sizeHint().width());

    QToolButton* homeBtn = pictures::button("homeBtn", "content_home", QSize(40, 40), this);
    homeBtn->setToolTip(tr("home"));
    homeBtn->setCursor(Qt::PointingHandCursor);
    connect(homeBtn, &QToolButton::clicked, this, &ContentPage::showIndexPage);

    // The home button sits at the left end of the tab bar: without a place on
    // screen nothing would lead back to the index page.
    auto* bar = new QHBoxLayout;
    bar->addStretch();
    bar->addWidget(homeBtn, 0, Qt::AlignVCenter);
    bar->addSpacing(20);
    bar->addWidget(toolBar);
    bar->addStretch();

    auto* column = new QVBoxLayout(this);
    column->addWidget(m_formStack);
    column->addLayout(bar);
}

void ContentPage::showForm(Form form) {
    m_tabs[form]->setChecked(true);
    m_formStack->setCurrentWidget(m_forms[form]);
}
