#include "indexpage.h"

#include "ui/frame/contentpage.h"

#include <QBoxLayout>
#include <QPushButton>

IndexPage::IndexPage(QWidget* parent) : QWidget(parent) {
    setObjectName("IndexPage");
    setWindowTitle(tr("index"));

    m_dailyBtn = makeButton(tr("daily"), "index_1_1", QSize(349, 270), "dailyBtn");
    m_courseBtn = makeButton(tr("course"), "index_1_2", QSize(349, 270), "courseBtn");
    m_packBtn = makeButton(tr("pack"), "index_2_1", QSize(261, 168), "packBtn");
    m_favorBtn = makeButton(tr("favor"), "index_2_2", QSize(254, 168), "favorBtn");
    m_mgmtBtn = makeButton(tr("mgmt"), "index_2_3", QSize(185, 168), "mgmtBtn");

    connect(m_dailyBtn, &QPushButton::clicked, this, &IndexPage::onDailyBtnClicked);
    connect(m_courseBtn, &QPushButton::clicked, this, &IndexPage::onCourseBtnClicked);
    connect(m_packBtn, &QPushButton::clicked, this, &IndexPage::onPackBtnClicked);
    connect(m_favorBtn, &QPushButton::clicked, this, &IndexPage::onFavorBtnClicked);
    connect(m_mgmtBtn, &QPushButton::clicked, this, &IndexPage::onMgmtBtnClicked);

    auto* row1 = new QHBoxLayout;
    row1->addWidget(m_dailyBtn);
    row1->addWidget(m_courseBtn);
    auto* row2 = new QHBoxLayout;
    row2->addWidget(m_packBtn);
    row2->addWidget(m_favorBtn);
    row2->addWidget(m_mgmtBtn);

    auto* column = new QVBoxLayout;
    column->addStretch();
    column->addLayout(row1);
    column->addLayout(row2);
    column->addStretch();

    auto* outer = new QHBoxLayout(this);
    outer->addStretch();
    outer->addLayout(column);
    outer->addStretch();
}

QPushButton* IndexPage::makeButton(const QString& text, const QString& picture, const QSize& size,
                                   const char* name) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setStyleSheet(QString("QPushButton{border-image:url(:/images/%1);font-family:'Microsoft YaHei';"
                                  "font-size:40px;color:white;}")
                              .arg(picture));
    button->setFixedSize(size);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

void IndexPage::onDailyBtnClicked() {
    emit showContentPage();
    if (m_contentPage)
        m_contentPage->showDailyForm();
}

void IndexPage::onCourseBtnClicked() {
    emit showContentPage();
    if (m_contentPage)
        m_contentPage->showCourseForm();
}

void IndexPage::onPackBtnClicked() {
    emit showContentPage();
    if (m_contentPage)
        m_contentPage->showPackForm();
}

void IndexPage::onFavorBtnClicked() {
    emit showContentPage();
    if (m_contentPage)
        m_contentPage->showFavorForm();
}

void IndexPage::onMgmtBtnClicked() {
    emit showContentPage();
    if (m_contentPage)
        m_contentPage->showMgmtForm();
}
