#include "indexpage.h"

#include <QBoxLayout>
#include <QPushButton>

IndexPage::IndexPage(QWidget* parent) : QWidget(parent) {
    setObjectName("IndexPage");
    setWindowTitle(tr("index"));

    const struct {
        const char* text;
        const char* picture;
        QSize size;
        const char* name;
        ContentPage::Form form;
    } buttons[] = {{QT_TR_NOOP("daily"), "index_1_1", QSize(349, 270), "dailyBtn", ContentPage::Daily},
                   {QT_TR_NOOP("course"), "index_1_2", QSize(349, 270), "courseBtn", ContentPage::Course},
                   {QT_TR_NOOP("pack"), "index_2_1", QSize(261, 168), "packBtn", ContentPage::Pack},
                   {QT_TR_NOOP("favor"), "index_2_2", QSize(254, 168), "favorBtn", ContentPage::Favor},
                   {QT_TR_NOOP("mgmt"), "index_2_3", QSize(185, 168), "mgmtBtn", ContentPage::Mgmt}};
    // The first two in the upper row, the other three below.
    auto* row1 = new QHBoxLayout;
    auto* row2 = new QHBoxLayout;
    for (const auto& b : buttons) {
        auto* button = new QPushButton(tr(b.text), this);
        button->setObjectName(b.name);
        button->setStyleSheet(
            QString("QPushButton{border-image:url(:/images/%1);font-family:'Microsoft YaHei';"
                    "font-size:40px;color:white;}")
                .arg(b.picture));
        button->setFixedSize(b.size);
        button->setCursor(Qt::PointingHandCursor);
        connect(button, &QPushButton::clicked, this, [this, form = b.form]() { open(form); });
        (row1->count() < 2 ? row1 : row2)->addWidget(button);
    }

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

void IndexPage::open(ContentPage::Form form) {
    emit showContentPage();
    if (m_contentPage)
        m_contentPage->showForm(form);
}
