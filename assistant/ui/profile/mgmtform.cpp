#include "mgmtform.h"

#include "core/checkupdateworker.h"
#include "core/core.h"
#include "core/refreshuserinfoworker.h"
#include "core/updateuserinfoworker.h"
#include "online/cacheworker.h"
#include "online/netclient.h"
#include "online/offlinedb.h"
#include "online/schoollist.h"
#include "online/updatedownload.h"
#include "platform/log.h"
#include "platform/network.h"
#include "ui/dialogs/processingdialog.h"
#include "ui/dialogs/topdialog.h"
#include "ui/profile/downloadupdatedialog.h"
#include "ui/profile/mobileregisterqrdialog.h"
#include "ui/profile/qrtablet.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QThread>

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

// The page's jobs live on Core's worker thread (or here, without one).
void moveToWorkerThread(QObject* worker) {
    if (QThread* thread = Core::instance()->workerThread)
        worker->moveToThread(thread);
}

// A job may still be running on its thread: it goes once it returns there.
void dispose(QObject* worker) {
    if (!worker)
        return;
    QThread* thread = worker->thread();
    if (thread == QThread::currentThread() || !thread || !thread->isRunning())
        delete worker;
    else
        worker->deleteLater();
}

} // namespace

MgmtForm::MgmtForm(QWidget* parent) : QWidget(parent) {
    setObjectName("MgmtForm");
    setWindowTitle(tr("mgmt"));
    resize(400, 300);
    Core* core = Core::instance();

    auto* header = profileLabel(tr("user info"), this);
    m_deviceValue = valueLabel(this);
    m_deviceValue->setText(core->deviceId);
    m_idValue = valueLabel(this);

    m_nameEdit = profileEdit(15, this);
    const QRegularExpression digits("\\d+");
    m_qqEdit = profileEdit(12, this);
    m_qqEdit->setValidator(new QRegularExpressionValidator(digits, m_qqEdit));
    m_provBox = profileComboBox(this);
    m_cityBox = profileComboBox(this);
    m_schoolBox = profileComboBox(this);
    m_otherSchoolEdit = profileEdit(20, this);
    m_otherSchoolEdit->setPlaceholderText(tr("enter your school name"));
    m_mobileEdit = profileEdit(11, this);
    m_mobileEdit->setValidator(new QRegularExpressionValidator(digits, m_mobileEdit));

    m_execBtn = new QPushButton(tr("register"), this);
    m_execBtn->setObjectName("darkButton");
    m_updateBtn = new QPushButton(tr("update"), this);
    m_updateBtn->setObjectName("darkButton");

    auto* more = profileLabel(tr("more..."), this);
    more->setWordWrap(true);
    auto* qqGroup = new QRTablet(this);
    qqGroup->setFixedSize(128, 150);
    qqGroup->setCaption(tr("QQ Group"));
    qqGroup->setPicture(QPixmap(":/images/qq_group"));
    auto* wechat = new QRTablet(this);
    wechat->setFixedSize(128, 150);
    wechat->setCaption(tr("Wechat Account"));
    wechat->setPicture(QPixmap(":/images/wechat_account"));
    m_aboutLabel = profileLabel(tr("tavinet assistant") + " " + core->version + "\n", this);

    // Left: the profile.
    auto* grid = new QGridLayout;
    grid->setSpacing(15);
    int row = 0;
    grid->addWidget(header, row++, 0, 1, 2);
    grid->addWidget(profileLabel(tr("imei"), this), row, 0);
    grid->addWidget(m_deviceValue, row++, 1);
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
    right->addWidget(m_aboutLabel);
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
    buttons->addWidget(m_updateBtn, 10, Qt::AlignLeft);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
    // The rows keep their height; the space below takes what the screen has left.
    layout->addStretch(1);

    m_updateWorker = new UpdateUserInfoWorker;
    m_refreshWorker = new RefreshUserInfoWorker;
    m_cacheWorker = new CacheWorker(core->netClient, core->offlineDb);
    moveToWorkerThread(m_updateWorker);
    moveToWorkerThread(m_refreshWorker);
    moveToWorkerThread(m_cacheWorker);

    connect(m_provBox, qOverload<int>(&QComboBox::currentIndexChanged), this, &MgmtForm::onProvIndexChanged);
    connect(m_cityBox, qOverload<int>(&QComboBox::currentIndexChanged), this, &MgmtForm::onCityIndexChanged);
    connect(m_schoolBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &MgmtForm::onSchoolIndexChanged);
    connect(m_execBtn, &QPushButton::clicked, this, &MgmtForm::onExecBtnClicked);
    connect(m_updateBtn, &QPushButton::clicked, this, &MgmtForm::onUpdateBtnClicked);
    connect(core, &Core::userLoaded, this, &MgmtForm::refreshUser);
    connect(m_updateWorker, &UpdateUserInfoWorker::done, this, &MgmtForm::onUpdateUserInfoDone);

    if (core->offlineDb)
        core->offlineDb->getProvinceCity(0, &m_provinces);
    for (const auto& province : m_provinces)
        m_provBox->addItem(province->name, province->id);

    setMode(RegisterMode);
    // The stored user shows at once; online, the service's copy follows when
    // Core announces it. (A refresh that fails must not leave a registered
    // user looking at an empty registration form.)
    if (isNetworkConnected()) {
        qDebug() << "online";
        emit m_refreshWorker->run();
    }
    refreshUser();
}

MgmtForm::~MgmtForm() {
    dispose(m_updateWorker);
    dispose(m_refreshWorker);
    dispose(m_cacheWorker);
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
}

void MgmtForm::onProvIndexChanged() {
    m_cityBox->clear();
    if (m_provinces.isEmpty() || m_provBox->currentIndex() < 0)
        return;
    DataSet<_ProvCityInfo> cities;
    if (OfflineDB* cache = Core::instance()->offlineDb)
        cache->getProvinceCity(m_provBox->currentData().toInt(), &cities);
    qDebug() << "provCount:" << cities.size();
    for (const auto& city : cities)
        m_cityBox->addItem(city->name, city->id);
    m_cityBox->setCurrentIndex(0);
}

void MgmtForm::onCityIndexChanged() {
    m_schoolBox->clear();
    if (m_cityBox->currentIndex() >= 0) {
        Core* core = Core::instance();
        DataSet<_SchoolInfo> schools;
        fetchCitySchools(core->netClient, core->offlineDb, m_cityBox->currentData().toInt(), &schools);
        for (const auto& school : schools)
            m_schoolBox->addItem(school->name, school->id);
    }
    m_schoolBox->addItem(tr("other"), 0);
    m_schoolBox->setCurrentIndex(0);
}

void MgmtForm::refreshUser() {
    qDebug() << "MgmtForm::refreshUser";
    const TaviUser user = Core::instance()->userSnapshot();
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
    m_nameEdit->setText(user.name);
    m_qqEdit->setText(user.qq);
    m_mobileEdit->setText(user.mobile);
    selectText(m_provBox, user.provinceName);
    selectText(m_cityBox, user.cityName);
    if (user.school != 0) {
        selectText(m_schoolBox, user.schoolName);
        m_otherSchoolEdit->clear();
    } else {
        const int other = m_schoolBox->findData(0);
        if (other >= 0)
            m_schoolBox->setCurrentIndex(other);
        m_otherSchoolEdit->setText(user.otherSchool);
    }
    selectText(m_provBox, user.provinceName);
}

void MgmtForm::onExecBtnClicked() {
    if (m_mode == ViewMode) {
        setMode(EditMode);
        return;
    }
    TaviUserPtr user(new TaviUser);
    user->uid = Core::instance()->userSnapshot().uid;
    auto refuse = [this](const QString& text) { QMessageBox::critical(this, tr("edit profile"), text); };
    user->name = m_nameEdit->text();
    if (user->name.isEmpty())
        return refuse(tr("name is null!"));
    user->qq = m_qqEdit->text();
    if (user->qq.isEmpty())
        return refuse(tr("qq is null!"));
    user->province = m_provBox->currentData().toInt();
    user->city = m_cityBox->currentData().toInt();
    user->school = m_schoolBox->currentData().toInt();
    if (user->school == 0) {
        user->otherSchool = m_otherSchoolEdit->text();
        if (user->otherSchool.isEmpty())
            return refuse(tr("school name is null!"));
    }
    user->mobile = m_mobileEdit->text();
    if (user->mobile.isEmpty())
        return refuse(tr("mobile is null!"));

    if (isNetworkConnected()) {
        m_execBtn->setEnabled(false);
        m_sending = user;
        emit m_updateWorker->run(user);
    } else {
        showRegisterQR(user);
    }
}

void MgmtForm::onUpdateBtnClicked() {
    if (!isNetworkConnected()) {
        QMessageBox::information(this, tr("update"), tr("your are offline!"));
        return;
    }
    Core* core = Core::instance();
    const QString version = core->version;
    if (version.isEmpty())
        return;

    // The record is the job's until the processing dialog has returned.
    _UpdateInfo info;
    {
        WorkerPtr worker(new CheckUpdateWorker(version, &info));
        ProcessingDialog processing(worker, this);
        if (execAbove(processing, this) != QDialog::Accepted)
            return;
    }
    if (info.status == "nothing") {
        QMessageBox::information(this, tr("update"),
                                 tr("Current version is %1, the latest version!").arg(version));
        return;
    }
    if (info.status != "update") {
        QMessageBox::critical(this, tr("update"), tr("Status mismatch!"));
        return;
    }
    if (info.path.isEmpty()) {
        QMessageBox::critical(this, tr("update"), tr("Server return empty path!"));
        return;
    }
    // The installer comes from the service itself: a path that would name
    // another host is no path on the service.
    const QUrl address =
        updateDownloadUrl(core->netClient ? core->netClient->baseAddress() : QString(), info.path);
    if (!address.isValid()) {
        TLOG_ERROR("the update's path is not a path on the service: " << info.path);
        QMessageBox::critical(this, tr("update"), tr("Server return empty path!"));
        return;
    }

    QMessageBox offer(QMessageBox::Information, tr("update"),
                      tr("New version %1 available!").arg(info.versionName), QMessageBox::NoButton, this);
    offer.setInformativeText(tr("info:%1").arg(info.versionInformation));
    QPushButton* updateNow = offer.addButton(tr("Update"), QMessageBox::AcceptRole);
    offer.addButton(tr("Update later"), QMessageBox::RejectRole);
    execAbove(offer, this);
    if (offer.clickedButton() != updateNow)
        return;

    const QString urlStr = address.toString(QUrl::FullyEncoded);
    const QString tempDir = core->paths ? core->paths->tempDir : QString();
    const QString name = updateFileName(address);
    const QString filePath = tempDir.isEmpty() ? QString() : QString("%1/%2").arg(tempDir, name);
    bool downloaded = false;
    if (!filePath.isEmpty() && name.isEmpty()) {
        // "..", "a%2Fb" and the like would put the file somewhere else.
        TLOG_ERROR("the update's address names no plain file: " << urlStr);
        QMessageBox::critical(this, tr("update"), DownloadUpdateDialog::tr("open file failed!"));
    } else {
        DownloadUpdateDialog download(urlStr, filePath, this);
        if (info.hasSha256)
            download.setExpectedSha256(info.sha256);
        downloaded = download.startDownload();
    }
    if (!downloaded) {
        TLOG_ERROR("download failed");
        TLOG_DEBUG("urlStr:" << urlStr);
        TLOG_DEBUG("updateFilePath:" << filePath);
        return;
    }
    TLOG_INFO("installer handed to the desktop: " << filePath);
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(filePath))) {
        TLOG_ERROR("install failed");
        QMessageBox::critical(this, tr("update"), tr("create install process failed!"));
    }
    // The installer replaces this client: it ends either way.
    QCoreApplication::exit(0);
}

void MgmtForm::onUpdateUserInfoDone(int r) {
    m_execBtn->setEnabled(true);
    const TaviUserPtr sent = m_sending;
    m_sending.reset();
    if (r == NET_POST_FAILED && sent) {
        // The service could not be reached from here; a phone may reach it.
        showRegisterQR(sent);
    } else if (r != NET_OK) {
        QMessageBox::critical(this, tr("taviclient"), tr("update user info failed!"));
    } else {
        QMessageBox::information(this, tr("taviclient"), tr("update user info success!"));
        setMode(ViewMode);
    }
}

void MgmtForm::showRegisterQR(TaviUserPtr user) {
    MobileRegisterQRDialog dialog(user, this);
    execAbove(dialog, this);
    // The phone may have registered meanwhile: the service's copy shows as
    // soon as it arrives (through Core's userLoaded).
    if (isNetworkConnected())
        emit m_refreshWorker->run();
}
