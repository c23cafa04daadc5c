#pragma once
// Registration without a connection: a QR code that a phone opens as the
// service's registration page, with the profile typed on this page in its
// query string.

#include "catalogue/records.h"
#include "core/clientcontext.h"

#include <QDialog>

class MobileRegisterQRDialog : public QDialog {
    Q_OBJECT
public:
    MobileRegisterQRDialog(const ClientContext& context, TaviUserPtr user, QWidget* parent = nullptr);

    // The registration page's address for the user; every value form-encoded.
    static QString registerText(const QString& baseAddress, const QString& deviceId, const TaviUser& user);

private:
    TaviUserPtr m_user;
};
