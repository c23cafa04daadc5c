#include "storedialog.h"

#include "ui/look/pictures.h"
#include "ui/packs/storeaddress.h"

#include <QBoxLayout>
#include <QDesktopServices>
#include <QLabel>
#include <QToolButton>
#include <QUrl>

StoreDialog::StoreDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("StoreDialog");
    setWindowTitle(tr("store"));
    setWindowFlags(Qt::FramelessWindowHint);
    setFixedSize(339, 338);
    pictures::setBackground(this, ":/images/store_dialog_background", size(), false);

    m_closeBtn = pictures::button("closeBtn", "close_mid", QSize(24, 24), this);
    connect(m_closeBtn, &QToolButton::clicked, this, &StoreDialog::accept);

    m_visitBtn = pictures::button("visitBtn", "visit_store", QSize(230, 60), this);
    m_visitBtn->setText(tr("visit store"));
    QFont font(QString::fromUtf8("微软雅黑"), 18);
    font.setWeight(75);
    m_visitBtn->setFont(font);
    m_visitBtn->setCursor(Qt::PointingHandCursor);
    connect(m_visitBtn, &QToolButton::clicked, this, &StoreDialog::onVisitBtnClicked);

    m_addressLabel = new QLabel(tr("visit %1").arg(storeAddress()), this);
    m_addressLabel->setObjectName("whiteLabel");
    m_addressLabel->setWordWrap(true);
    m_addressLabel->setAlignment(Qt::AlignCenter);

    m_qrLabel = new QLabel(this);
    m_qrLabel->setObjectName("qrLabel");
    m_qrLabel->setFixedSize(120, 120);
    m_qrLabel->setScaledContents(true);
    m_qrLabel->setPixmap(pictures::at(":/images/store_qr"));

    m_scanLabel = new QLabel(tr("scan qr to visit store."), this);
    m_scanLabel->setObjectName("whiteLabel");
    m_scanLabel->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_closeBtn, 1, Qt::AlignRight);
    layout->addWidget(m_visitBtn, 1, Qt::AlignHCenter);
    // The address wraps only where the dialog's width ends; its lines are centred.
    layout->addWidget(m_addressLabel, 1);
    layout->addWidget(m_qrLabel, 1, Qt::AlignHCenter);
    layout->addWidget(m_scanLabel, 1, Qt::AlignHCenter);
    layout->addStretch(0);
}

QString StoreDialog::storeAddress() {
    return QString::fromLatin1(kStoreAddress);
}

void StoreDialog::onVisitBtnClicked() {
    QDesktopServices::openUrl(QUrl(storeAddress()));
}
