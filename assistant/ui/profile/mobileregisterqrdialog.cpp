#include "mobileregisterqrdialog.h"

#include "core/core.h"
#include "online/formencode.h"
#include "online/netclient.h"
#include "online/serviceaddress.h"
#include "platform/log.h"
#include "ui/look/pictures.h"
#include "ui/profile/qrwidget.h"

#include <QBoxLayout>
#include <QLabel>
#include <QToolButton>

QString MobileRegisterQRDialog::registerText(const QString& baseAddress, const QString& deviceId,
                                             const TaviUser& user) {
    FormBody query;
    query.add("imei", deviceId)
        .add("name", user.name)
        .add("qq", user.qq)
        .add("tel", user.mobile)
        .add("province", user.province)
        .add("city", user.city)
        .add("kindergarten", user.school)
        .add("user_id", user.uid);
    if (user.school == 0)
        query.add("other_kindergarten", user.otherSchool);
    query.add("terminal_type", QStringLiteral("pc")).add("account_type", QStringLiteral("traveler"));
    return baseAddress + "/api/reg_userinfo?" + QString::fromLatin1(query.bytes());
}

MobileRegisterQRDialog::MobileRegisterQRDialog(const ClientContext& context, TaviUserPtr user,
                                               QWidget* parent)
    : QDialog(parent), m_user(user ? user : TaviUserPtr(new TaviUser)) {
    setObjectName("MobileRegisterQRDialog");
    setWindowTitle(tr("register"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(360, 280);
    pictures::setBackground(this, ":/images/store_dialog_background", size(), false);
    setAutoFillBackground(true);

    const QString base = context.netClient ? context.netClient->baseAddress() : configuredServiceAddress();
    const QString text = registerText(base, context.core ? context.core->deviceId() : QString(), *m_user);
    TLOG_DEBUG(text);

    auto* closeBtn = pictures::button("closeBtn", "close_mid", QSize(44, 44), this);
    connect(closeBtn, &QToolButton::clicked, this, &MobileRegisterQRDialog::accept);

    auto* scan = new QLabel(tr("scan qr to register"), this);
    scan->setObjectName("whiteLabel");
    scan->setAlignment(Qt::AlignCenter);

    auto* qr = new QRWidget(this);
    qr->setObjectName("qrWidget");
    qr->setFixedSize(180, 180);
    qr->setQRData(text);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(closeBtn, 1, Qt::AlignRight);
    layout->addWidget(scan, 1, Qt::AlignHCenter);
    layout->addWidget(qr, 1, Qt::AlignHCenter);
}
