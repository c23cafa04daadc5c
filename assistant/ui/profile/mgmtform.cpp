#include "mgmtform.h"

#include "core/core.h"
#include "core/profilecontroller.h"
#include "core/updatecontroller.h"
#include "ui/dialogs/messages.h"
#include "ui/dialogs/processingdialog.h"
#include "ui/dialogs/topdialog.h"
#include "ui/look/pictures.h"
#include "ui/profile/downloadupdatedialog.h"
#include "ui/profile/mobileregisterqrdialog.h"
#include "ui/profile/qrtablet.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDebug>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>

namespace {

QLabel* profileLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName("profileLabel");
    return label;
}

QLabel* valueLabel(QWidget* parent) {
    auto* label = profileLabel(QString(), parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLineEdit* profileEdit(int maxLength, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName("profileEdit");
    edit->setMaxLength(maxLength);
    return edit;
}

QComboBox* profileComboBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName("profileComboBox");
    return box;
}

void selectText(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    if (index >= 0)
        box->setCurrentIndex(index);
}

void selectData(QComboBox* box, int data) {
    const int index = box->findData(data);
    if (index >= 0)
        box->setCurrentIndex(index);
}

// The update flow's steps as the page shows them: boxes over the page, the
// processing dialog for the check, the download dialog for the installer.
class UpdateDialogs : public UpdateView {
public:
    explicit UpdateDialogs(QWidget* page) : m_page(page) {}

    bool runCheck(const WorkerPtr& job) override {
        ProcessingDialog processing(job, m_page);
        return execAbove(processing, m_page) == QDialog::Accepted;
    }
    void tell(Message message, const QString& argument) override {
        switch (message) {
        case Offline:
            messages::inform(m_page, MgmtForm::tr("update"), MgmtForm::tr("your are offline!"));
            break;
        case Latest:
            messages::inform(m_page, MgmtForm::tr("update"),
                             MgmtForm::tr("Current version is %1, the latest version!").arg(argument));
            break;
        case StatusMismatch:
            messages::fail(m_page, MgmtForm::tr("update"), MgmtForm::tr("Status mismatch!"));
            break;
        case EmptyPath:
            messages::fail(m_page, MgmtForm::tr("update"), MgmtForm::tr("Server return empty path!"));
            break;
        case OpenFileFailed:
            messages::fail(m_page, MgmtForm::tr("update"), DownloadUpdateDialog::tr("open file failed!"));
            break;
        case InstallFailed:
            messages::fail(m_page, MgmtForm::tr("update"), MgmtForm::tr("create install process failed!"));
            break;
        case NoInstaller:
            messages::warn(
                m_page, MgmtForm::tr("update"),
                MgmtForm::tr("No program on this computer opens the installer.\nIt is saved as:\n%1")
                    .arg(argument));
            break;
        case NoTarget:
            messages::fail(m_page, MgmtForm::tr("update"), DownloadUpdateDialog::tr("empty path!"));
            break;
        case DownloadFailed:
            messages::fail(m_page, MgmtForm::tr("update"), DownloadUpdateDialog::tr("download file failed!"));
            break;
        case NotSigned:
            messages::fail(m_page, MgmtForm::tr("update"),
                           MgmtForm::tr("Invalid update package signature, not installed"));
            break;
        }
    }
    bool offer(const _UpdateInfo& info) override {
        QMessageBox offer(QMessageBox::Information, MgmtForm::tr("update"),
                          MgmtForm::tr("New version %1 available!").arg(info.versionName),
                          QMessageBox::NoButton, m_page);
        // What the service sends is shown as written, and long notes scroll
        // in the details: the buttons always stay on the screen.
        offer.setTextFormat(Qt::PlainText);
        constexpr int kShownLines = 8;
        constexpr int kShownChars = 400;
        const QString notes = info.versionInformation;
        QString shown = notes.section('\n', 0, kShownLines - 1).left(kShownChars);
        if (shown.size() < notes.size()) {
            shown += QString::fromUtf8("…");
            offer.setDetailedText(notes);
        }
        offer.setInformativeText(MgmtForm::tr("info:%1").arg(shown));
        if (auto* label = offer.findChild<QLabel*>("qt_msgbox_informativelabel"))
            label->setTextFormat(Qt::PlainText);
        QPushButton* updateNow = offer.addButton(MgmtForm::tr("Update"), QMessageBox::AcceptRole);
        offer.addButton(MgmtForm::tr("Update later"), QMessageBox::RejectRole);
        execAbove(offer, m_page);
        return offer.clickedButton() == updateNow;
    }
    void showDownload(UpdateDownloader& downloader) override {
        DownloadUpdateDialog dialog(&downloader, m_page);
        dialog.follow();
    }

private:
    QWidget* m_page;
};

} // namespace

MgmtForm::MgmtForm(const ClientContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_profile(new ProfileController(context, this)),
      m_updates(new UpdateController(context)) {
    setObjectName("MgmtForm");
    setWindowTitle(tr("mgmt"));
    resize(400, 300);
    Core* core = context.core;

    auto* header = profileLabel(tr("user info"), this);
    auto* deviceValue = valueLabel(this);
    deviceValue->setAccessibleName(tr("imei"));
    deviceValue->setText(core ? core->deviceId() : QString());
    m_idValue = valueLabel(this);
    m_idValue->setAccessibleName(tr("id"));

    m_nameEdit = profileEdit(15, this);
    m_nameEdit->setAccessibleName(tr("name"));
    const QRegularExpression digits("\\d+");
    m_qqEdit = profileEdit(12, this);
    m_qqEdit->setAccessibleName(tr("qq"));
    m_qqEdit->setValidator(new QRegularExpressionValidator(digits, m_qqEdit));
    m_provBox = profileComboBox(this);
    m_provBox->setAccessibleName(tr("province"));
    m_cityBox = profileComboBox(this);
    m_cityBox->setAccessibleName(tr("city"));
    m_schoolBox = profileComboBox(this);
    m_schoolBox->setAccessibleName(tr("school"));
    m_otherSchoolEdit = profileEdit(20, this);
    m_otherSchoolEdit->setAccessibleName(tr("enter your school name"));
    m_otherSchoolEdit->setPlaceholderText(tr("enter your school name"));
    m_mobileEdit = profileEdit(11, this);
    m_mobileEdit->setAccessibleName(tr("mobile"));
    m_mobileEdit->setValidator(new QRegularExpressionValidator(digits, m_mobileEdit));

    m_execBtn = new QPushButton(tr("register"), this);
    m_execBtn->setAccessibleDescription(tr("Registers the profile, or edits and saves it"));
    m_execBtn->setObjectName("darkButton");
    auto* updateBtn = new QPushButton(tr("update"), this);
    updateBtn->setAccessibleDescription(tr("Looks for a newer version of the client"));
    updateBtn->setObjectName("darkButton");

    auto* more = profileLabel(tr("more..."), this);
    more->setWordWrap(true);
    auto* qqGroup = new QRTablet(tr("QQ Group"), pictures::at(":/images/qq_group"), this);
    auto* wechat = new QRTablet(tr("Wechat Account"), pictures::at(":/images/wechat_account"), this);
    auto* aboutLabel =
        profileLabel(tr("tavinet assistant") + " " + (core ? core->version() : QString()) + "\n", this);
    aboutLabel->setAccessibleName(tr("version"));

    // Left: the profile.
    auto* grid = new QGridLayout;
    grid->setSpacing(15);
    int row = 0;
    grid->addWidget(header, row++, 0, 1, 2);
    grid->addWidget(profileLabel(tr("imei"), this), row, 0);
    grid->addWidget(deviceValue, row++, 1);
    grid->addWidget(profileLabel(tr("id"), this), row, 0);
    grid->addWidget(m_idValue, row++, 1);
    grid->addWidget(profileLabel(tr("name"), this), row, 0);
    grid->addWidget(m_nameEdit, row++, 1);
    grid->addWidget(profileLabel(tr("qq"), this), row, 0);
    grid->addWidget(m_qqEdit, row++, 1);
    auto* lists = new QHBoxLayout;
    lists->addWidget(m_provBox, 1);
    lists->addWidget(m_cityBox, 1);
    lists->addWidget(m_schoolBox, 2);
    grid->addWidget(profileLabel(tr("school"), this), row, 0);
    grid->addLayout(lists, row++, 1);
    grid->addWidget(m_otherSchoolEdit, row++, 1);
    grid->addWidget(profileLabel(tr("mobile"), this), row, 0);
    grid->addWidget(m_mobileEdit, row++, 1);
    grid->setColumnStretch(1, 1);

    // Right: contacts and version.
    auto* tablets = new QHBoxLayout;
    tablets->addWidget(qqGroup);
    tablets->addWidget(wechat);
    tablets->addStretch();
    auto* right = new QVBoxLayout;
    right->addStretch(5);
    right->addSpacing(20);
    right->addWidget(more);
    right->addSpacing(2);
    right->addLayout(tablets);
    right->addSpacing(10);
    right->addWidget(aboutLabel);
    right->addSpacing(10);

    auto* columns = new QHBoxLayout;
    columns->addStretch(1);
    columns->addLayout(grid, 10);
    columns->addStretch(1);
    columns->addLayout(right, 10);
    columns->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_execBtn, 10, Qt::AlignRight);
    buttons->addStretch(1);
    buttons->addWidget(updateBtn, 10, Qt::AlignLeft);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
    // The rows keep their height; the space below takes what the screen has left.
    layout->addStretch(1);

    connect(m_provBox, qOverload<int>(&QComboBox::currentIndexChanged), this, &MgmtForm::onProvIndexChanged);
    connect(m_cityBox, qOverload<int>(&QComboBox::currentIndexChanged), this, &MgmtForm::onCityIndexChanged);
    connect(m_schoolBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &MgmtForm::onSchoolIndexChanged);
    connect(m_execBtn, &QPushButton::clicked, this, &MgmtForm::onExecBtnClicked);
    connect(updateBtn, &QPushButton::clicked, this, &MgmtForm::onUpdateBtnClicked);
    if (core)
        connect(core, &Core::userLoaded, this, &MgmtForm::refreshUser);
    connect(m_profile, &ProfileController::submitted, this, &MgmtForm::onUpdateUserInfoDone);
    connect(m_profile, &ProfileController::schoolsArrived, this, &MgmtForm::onSchoolsArrived);

    m_provinces = m_profile->provinces();
    for (const auto& province : m_provinces)
        m_provBox->addItem(province->name, province->id);

    setMode(RegisterMode);
    // The stored user shows at once; online, the service's copy follows when
    // Core announces it. (A refresh that fails must not leave a registered
    // user looking at an empty registration form.)
    m_profile->refresh();
    refreshUser();
}

MgmtForm::~MgmtForm() {
    delete m_updates;
}

void MgmtForm::setMode(int mode) {
    m_mode = mode;
    const bool editable = mode != ViewMode;
    for (QWidget* w : std::initializer_list<QWidget*>{m_nameEdit, m_qqEdit, m_mobileEdit, m_otherSchoolEdit,
                                                      m_provBox, m_cityBox, m_schoolBox})
        w->setEnabled(editable);
    m_execBtn->setText(mode == RegisterMode ? tr("register") : mode == ViewMode ? tr("edit") : tr("save"));
    onSchoolIndexChanged(m_schoolBox->currentIndex());
}

void MgmtForm::onSchoolIndexChanged(int index) {
    const bool other = index >= 0 && m_schoolBox->itemData(index).toInt() == 0;
    m_otherSchoolEdit->setVisible(other && m_mode != ViewMode);
    if (!m_fillingSchools && index >= 0)
        m_wantedSchool = m_schoolBox->itemData(index).toInt();
}

void MgmtForm::fillSchools(const SchoolList& schools, bool loading) {
    m_fillingSchools = true;
    m_schoolBox->clear();
    for (const _SchoolInfo& school : schools)
        m_schoolBox->addItem(school.name, school.id);
    m_schoolBox->addItem(tr("other"), 0);
    if (loading) {
        // Said in the list, not waited for: the page never freezes for the service.
        m_schoolBox->addItem(tr("loading schools..."), kLoadingSchools);
        if (auto* model = qobject_cast<QStandardItemModel*>(m_schoolBox->model()))
            model->item(m_schoolBox->count() - 1)->setEnabled(false);
    }
    const int wanted = m_schoolBox->findData(m_wantedSchool);
    m_schoolBox->setCurrentIndex(wanted >= 0 && m_wantedSchool != kLoadingSchools ? wanted : 0);
    onSchoolIndexChanged(m_schoolBox->currentIndex());
    m_fillingSchools = false;
}

void MgmtForm::onSchoolsArrived(int cityId, const SchoolList& schools) {
    if (m_cityBox->currentIndex() < 0 || m_cityBox->currentData().toInt() != cityId)
        return;
    fillSchools(schools, false);
}

void MgmtForm::onProvIndexChanged() {
    m_cityBox->clear();
    if (m_provinces.isEmpty() || m_provBox->currentIndex() < 0)
        return;
    const DataSet<_ProvCityInfo> cities = m_profile->cities(m_provBox->currentData().toInt());
    qDebug() << "provCount:" << cities.size();
    for (const auto& city : cities)
        m_cityBox->addItem(city->name, city->id);
    m_cityBox->setCurrentIndex(0);
}

void MgmtForm::onCityIndexChanged() {
    // The cached schools show at once; the service's list follows when it
    // answers (a later choice of city supersedes this one). Another city's
    // list has nothing the teacher chose in it.
    m_wantedSchool = kLoadingSchools;
    if (m_cityBox->currentIndex() < 0) {
        fillSchools(SchoolList(), false);
        return;
    }
    const int city = m_cityBox->currentData().toInt();
    const bool asked = m_profile->requestSchools(city);
    fillSchools(m_profile->cachedSchools(city), asked);
}

void MgmtForm::refreshUser() {
    qDebug() << "MgmtForm::refreshUser";
    const TaviUser user = m_context.core ? m_context.core->userSnapshot() : TaviUser();
    // An account still without a profile leaves what the teacher has typed
    // into the registration form alone.
    if (user.name.isEmpty() && m_mode == RegisterMode && !m_nameEdit->text().isEmpty()) {
        if (user.userId != 0)
            m_idValue->setText(QString::number(user.userId));
        return;
    }
    setMode(user.name.isEmpty() ? RegisterMode : ViewMode);
    if (user.userId != 0)
        m_idValue->setText(QString::number(user.userId));
    if (!user.name.isEmpty()) {
        m_profile->dropDraft();
    } else if (const TaviUserPtr draft = m_profile->draft()) {
        // What was typed before the registration code, back after a restart.
        m_nameEdit->setText(draft->name);
        m_qqEdit->setText(draft->qq);
        m_mobileEdit->setText(draft->mobile);
        selectData(m_provBox, draft->province);
        selectData(m_cityBox, draft->city);
        m_wantedSchool = draft->school;
        selectData(m_schoolBox, draft->school);
        m_otherSchoolEdit->setText(draft->otherSchool);
        return;
    }
    m_nameEdit->setText(user.name);
    m_qqEdit->setText(user.qq);
    m_mobileEdit->setText(user.mobile);
    selectText(m_provBox, user.provinceName);
    selectText(m_cityBox, user.cityName);
    if (user.school != 0) {
        m_wantedSchool = user.school;
        selectText(m_schoolBox, user.schoolName);
        m_otherSchoolEdit->clear();
    } else {
        selectData(m_schoolBox, 0);
        m_otherSchoolEdit->setText(user.otherSchool);
    }
}

void MgmtForm::onExecBtnClicked() {
    if (m_mode == ViewMode) {
        setMode(EditMode);
        return;
    }
    TaviUser fields;
    fields.name = m_nameEdit->text();
    fields.qq = m_qqEdit->text();
    fields.province = m_provBox->currentData().toInt();
    fields.city = m_cityBox->currentData().toInt();
    fields.school = m_schoolBox->currentData().toInt();
    fields.otherSchool = m_otherSchoolEdit->text();
    fields.mobile = m_mobileEdit->text();
    const TaviUserPtr user = m_profile->typedProfile(fields);
    auto refuse = [this](const QString& text) { messages::fail(this, tr("edit profile"), text); };
    switch (ProfileController::check(*user)) {
    case ProfileController::NoName:
        return refuse(tr("name is null!"));
    case ProfileController::NoQq:
        return refuse(tr("qq is null!"));
    case ProfileController::NoSchoolName:
        return refuse(tr("school name is null!"));
    case ProfileController::NoMobile:
        return refuse(tr("mobile is null!"));
    case ProfileController::Complete:
        break;
    }
    if (m_mode == RegisterMode)
        m_profile->keepDraft(*user);
    if (m_profile->online()) {
        m_execBtn->setEnabled(false);
        m_profile->submit(user);
    } else {
        showRegisterQR(user);
    }
}

void MgmtForm::onUpdateBtnClicked() {
    UpdateDialogs view(this);
    m_updates->run(view);
}

void MgmtForm::onUpdateUserInfoDone(int r, TaviUserPtr sent) {
    m_execBtn->setEnabled(true);
    if (r == NET_POST_FAILED && sent) {
        // The service could not be reached from here; a phone may reach it.
        showRegisterQR(sent);
    } else if (r != NET_OK) {
        messages::fail(this, tr("taviclient"), tr("update user info failed!"));
    } else {
        m_profile->dropDraft();
        messages::inform(this, tr("taviclient"), tr("update user info success!"));
        setMode(ViewMode);
    }
}

void MgmtForm::showRegisterQR(TaviUserPtr user) {
    MobileRegisterQRDialog dialog(m_context, user, this);
    execAbove(dialog, this);
    // The phone may have registered meanwhile: the service's copy shows as
    // soon as it arrives (through Core's userLoaded).
    m_profile->refresh();
}
