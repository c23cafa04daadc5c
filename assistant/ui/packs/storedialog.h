#pragma once
// Points the user to the web store where packs are found: a QR code for phones
// and a button that opens the store in the browser. Downloads nothing itself.

#include <QDialog>

class StoreDialog : public QDialog {
    Q_OBJECT
public:
    explicit StoreDialog(QWidget* parent = nullptr);

    static QString storeAddress();

public slots:
    void onVisitBtnClicked();
};
