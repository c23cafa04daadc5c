#pragma once
// The content page's form for the profile: name, QQ, mobile and the school
// picked through province, city and school lists, registered or saved through
// the service when online, through a QR code for a phone otherwise. Below it
// the contact codes, the update button and the client's name and version.

#include "catalogue/records.h"
#include "online/netrecords.h"

#include <QWidget>

class CacheWorker;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RefreshUserInfoWorker;
class UpdateUserInfoWorker;

class MgmtForm : public QWidget {
    Q_OBJECT
public:
    enum Mode { RegisterMode = 0, ViewMode = 1, EditMode = 2 };

    explicit MgmtForm(QWidget* parent = nullptr);
    ~MgmtForm() override;

    int mode() const { return m_mode; }
    QLineEdit* nameEdit() const { return m_nameEdit; }
    QLineEdit* qqEdit() const { return m_qqEdit; }
    QLineEdit* mobileEdit() const { return m_mobileEdit; }
    QLineEdit* otherSchoolEdit() const { return m_otherSchoolEdit; }
    QComboBox* provinceBox() const { return m_provBox; }
    QComboBox* cityBox() const { return m_cityBox; }
    QComboBox* schoolBox() const { return m_schoolBox; }
    QPushButton* execButton() const { return m_execBtn; }
    QPushButton* updateButton() const { return m_updateBtn; }
    QLabel* deviceLabel() const { return m_deviceValue; }
    QLabel* idLabel() const { return m_idValue; }
    QLabel* aboutLabel() const { return m_aboutLabel; }

public slots:
    void onProvIndexChanged();
    void onCityIndexChanged();
    void onSchoolIndexChanged(int index);
    void onExecBtnClicked();
    void onUpdateBtnClicked();
    // Shows Core's current user.
    void refreshUser();
    void onUpdateUserInfoDone(int r);

private:
    void setMode(int mode);
    void showRegisterQR(TaviUserPtr user);

    int m_mode = RegisterMode;
    DataSet<_ProvCityInfo> m_provinces;
    // The record of the update on its way (for the QR code when the service
    // cannot be reached).
    TaviUserPtr m_sending;

    UpdateUserInfoWorker* m_updateWorker = nullptr;
    RefreshUserInfoWorker* m_refreshWorker = nullptr;
    CacheWorker* m_cacheWorker = nullptr;

    QLabel* m_deviceValue = nullptr;
    QLabel* m_idValue = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QLineEdit* m_qqEdit = nullptr;
    QComboBox* m_provBox = nullptr;
    QComboBox* m_cityBox = nullptr;
    QComboBox* m_schoolBox = nullptr;
    QLineEdit* m_otherSchoolEdit = nullptr;
    QLineEdit* m_mobileEdit = nullptr;
    QPushButton* m_execBtn = nullptr;
    QPushButton* m_updateBtn = nullptr;
    QLabel* m_aboutLabel = nullptr;
};
