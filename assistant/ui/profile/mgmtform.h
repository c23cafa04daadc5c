#pragma once
// The content page's form for the profile: name, QQ, mobile and the school
// picked through province, city and school lists, registered or saved through
// the service when online, through a QR code for a phone otherwise. Below it
// the contact codes, the update button and the client's name and version.

#include "catalogue/records.h"
#include "core/clientcontext.h"
#include "online/netrecords.h"

#include <QWidget>

class ProfileController;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class UpdateController;

class MgmtForm : public QWidget {
    Q_OBJECT
public:
    enum Mode { RegisterMode = 0, ViewMode = 1, EditMode = 2 };

    explicit MgmtForm(const ClientContext& context, QWidget* parent = nullptr);
    ~MgmtForm() override;

    int mode() const { return m_mode; }

public slots:
    void onProvIndexChanged();
    void onCityIndexChanged();
    void onSchoolIndexChanged(int index);
    void onExecBtnClicked();
    void onUpdateBtnClicked();
    // Shows Core's current user.
    void refreshUser();
    // The service's answer to a sent profile (sent: what went).
    void onUpdateUserInfoDone(int r, TaviUserPtr sent);

private:
    // The school list's entry that says the service's list is on its way.
    static constexpr int kLoadingSchools = -1;

    void setMode(int mode);
    void fillSchools(const SchoolList& schools, bool loading);
    void onSchoolsArrived(int cityId, const SchoolList& schools);
    void showRegisterQR(TaviUserPtr user);

    ClientContext m_context;
    ProfileController* m_profile = nullptr;
    UpdateController* m_updates = nullptr;
    int m_mode = RegisterMode;
    int m_wantedSchool = kLoadingSchools;
    bool m_fillingSchools = false;
    DataSet<_ProvCityInfo> m_provinces;

    QLabel* m_idValue = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QLineEdit* m_qqEdit = nullptr;
    QComboBox* m_provBox = nullptr;
    QComboBox* m_cityBox = nullptr;
    QComboBox* m_schoolBox = nullptr;
    QLineEdit* m_otherSchoolEdit = nullptr;
    QLineEdit* m_mobileEdit = nullptr;
    QPushButton* m_execBtn = nullptr;
};
