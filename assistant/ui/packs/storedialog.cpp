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

    auto* closeBtn = pictures::button("closeBtn", "close_mid", QSize(24, 24), this);
    connect(closeBtn, &QToolButton::clicked, this, &StoreDialog::accept);

    auto* visitBtn = pictures::button("visitBtn", "visit_store", QSize(230, 60), this);
    visitBtn->setText(tr("visit store"));
    QFont font(QString::fromUtf8("微软雅黑"), 18);
    font.setWeight(75);
    visitBtn->setFont(font);
    visitBtn->setCursor(Qt::PointingHandCursor);
    connect(visitBtn, &QToolButton::clicked, this, &StoreDialog::onVisitBtnClicked);

    auto* addressLabel = new QLabel(tr("visit %1").arg(storeAddress()), this);
    addressLabel->setObjectName("whiteLabel");
    addressLabel->setWordWrap(true);
    addressLabel->setAlignment(Qt::AlignCenter);

    auto* qrLabel = new QLabel(this);
    qrLabel->setObjectName("qrLabel");
    qrLabel->setFixedSize(120, 120);
    qrLabel->setScaledContents(true);
    qrLabel->setPixmap(pictures::at(":/images/store_qr"));

    auto* scanLabel = new QLabel(tr("scan qr to visit store."), this);
    scanLabel->setObjectName("whiteLabel");
    scanLabel->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(closeBtn, 1, Qt::AlignRight);
    layout->addWidget(visitBtn, 1, Qt::AlignHCenter);
    // The address wraps only where the dialog's width ends; its lines are centred.
    layout->addWidget(addressLabel, 1);
    layout->addWidget(qrLabel, 1, Qt::AlignHCenter);
    layout->addWidget(scanLabel, 1, Qt::AlignHCenter);
    layout->addStretch(0);
}

QString StoreDialog::storeAddress() {
    return QString::fromLatin1(kStoreAddress);
}

void StoreDialog::onVisitBtnClicked() {
    QDesktopServices::openUrl(QUrl(storeAddress()));
}
