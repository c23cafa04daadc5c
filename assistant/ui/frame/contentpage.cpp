#include "contentpage.h"

#include "ui/course/courseform.h"
#include "ui/daily/dailyform.h"
#include "ui/profile/mgmtform.h"

#include "ui/favor/favorform.h"
#include "ui/packs/packform.h"

#include <QBoxLayout>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>

ContentPage::ContentPage(const ClientContext& context, QWidget* parent) : QWidget(parent) {
    setObjectName("ContentPage");
    setWindowTitle(tr("content"));

    m_dailyForm = new DailyForm(context);
    m_courseForm = new CourseForm(context);
    m_packForm = new PackForm(context);
    m_favorForm = new FavorForm(context);
    m_mgmtForm = new MgmtForm(context);

    m_formStack = new QStackedWidget(this);
    m_formStack->setObjectName("formStack");
    m_formStack->addWidget(m_dailyForm);
    m_formStack->addWidget(m_courseForm);
    m_formStack->addWidget(m_packForm);
    m_formStack->addWidget(m_favorForm);
    m_formStack->addWidget(m_mgmtForm);

    m_toolBar = new QToolBar(this);
    m_toolBar->setStyleSheet("QToolBar {spacing: 20px;}");
    m_dailyBtn = makeTab("daily", "dailyBtn");
    m_courseBtn = makeTab("course", "courseBtn");
    m_packBtn = makeTab("pack", "packBtn");
    m_favorBtn = makeTab("favor", "favorBtn");
    m_mgmtBtn = makeTab("mgmt", "mgmtBtn");
    connect(m_dailyBtn, &QToolButton::clicked, this, &ContentPage::onDailyBtnClicked);
    connect(m_courseBtn, &QToolButton::clicked, this, &ContentPage::onCourseBtnClicked);
    connect(m_packBtn, &QToolButton::clicked, this, &ContentPage::onPackBtnClicked);
    connect(m_favorBtn, &QToolButton::clicked, this, &ContentPage::onFavorBtnClicked);
    connect(m_mgmtBtn, &QToolButton::clicked, this, &ContentPage::onMgmtBtnClicked);

    // All five tabs stay on screen; a narrow window must not fold them into an overflow menu.
    m_toolBar->ensurePolished();
    m_toolBar->setMinimumWidth(m_toolBar->sizeHint().width());

    m_homeBtn = new QToolButton(this);
    m_homeBtn->setObjectName("homeBtn");
    m_homeBtn->setFixedSize(40, 40);
    m_homeBtn->setStyleSheet("QToolButton{border-image:url(:/images/content_home)}");
    m_homeBtn->setToolTip(tr("home"));
    m_homeBtn->setCursor(Qt::PointingHandCursor);
    connect(m_homeBtn, &QToolButton::clicked, this, &ContentPage::onHomeBtnClicked);

    // The home button sits at the left end of the tab bar: without a place on
    // screen nothing would lead back to the index page.
    auto* bar = new QHBoxLayout;
    bar->addStretch();
    bar->addWidget(m_homeBtn, 0, Qt::AlignVCenter);
    bar->addSpacing(20);
    bar->addWidget(m_toolBar);
    bar->addStretch();

    auto* column = new QVBoxLayout(this);
    column->addWidget(m_formStack);
    column->addLayout(bar);
}

QToolButton* ContentPage::makeTab(const QString& area, const char* name) {
    auto* tab = new QToolButton;
    tab->setObjectName(name);
    tab->setFixedSize(150, 60);
    tab->setCheckable(true);
    tab->setAutoExclusive(true);
    tab->setStyleSheet(QString("QToolButton{border-image:url(:/images/content_%1)}"
                               "QToolButton:checked{border-image:url(:/images/content_%1_checked)}")
                           .arg(area));
    tab->setCursor(Qt::PointingHandCursor);
    m_toolBar->addWidget(tab);
    return tab;
}

void ContentPage::switchTo(QToolButton* tab, QWidget* form) {
    tab->setChecked(true);
    m_formStack->setCurrentWidget(form);
}

void ContentPage::showDailyForm() {
    switchTo(m_dailyBtn, m_dailyForm);
}
void ContentPage::showCourseForm() {
    switchTo(m_courseBtn, m_courseForm);
}
void ContentPage::showPackForm() {
    switchTo(m_packBtn, m_packForm);
}
void ContentPage::showFavorForm() {
    switchTo(m_favorBtn, m_favorForm);
}
void ContentPage::showMgmtForm() {
    switchTo(m_mgmtBtn, m_mgmtForm);
}

void ContentPage::onHomeBtnClicked() {
    emit showIndexPage();
}
void ContentPage::onDailyBtnClicked() {
    showDailyForm();
}
void ContentPage::onCourseBtnClicked() {
    showCourseForm();
}
void ContentPage::onPackBtnClicked() {
    showPackForm();
}
void ContentPage::onFavorBtnClicked() {
    showFavorForm();
}
void ContentPage::onMgmtBtnClicked() {
    showMgmtForm();
}
