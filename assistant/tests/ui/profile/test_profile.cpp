// The profile page (offscreen): its fields and their limits, the three modes,
// the province, city and school lists from the cache and the service, the
// checks before sending, online and offline registration, the QR widget, and
// the school in the main window's title.

#include "support/devservice.h"
#include "support/httpserver.h"
#include "support/profilefixture.h"
#include "ui/frame/mainframe.h"
#include "ui/frame/titlelabel.h"
#include "ui/profile/mgmtform.h"
#include "ui/profile/mobileregisterqrdialog.h"
#include "ui/profile/qrtablet.h"
#include "ui/profile/qrwidget.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace listtest;
using namespace profiletest;
using testsupport::DevService;
using testsupport::formValue;
using testsupport::HttpServer;
using testsupport::waitFor;

namespace {

class ProfilePage : public ProfileFixture {
protected:
    void destroyWidgets() override {
        form.reset();
        frame.reset();
    }
    void makeForm() {
        form = std::make_unique<MgmtForm>(Core::instance()->context());
        form->resize(1600, 800);
        form->show();
        settleJobs();
    }
    void select(QComboBox* box, const QString& text) {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
    }
    QStringList items(QComboBox* box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    void fill(const QString& name, const QString& qq, const QString& mobile) {
        labelled<QLineEdit>(form, "name")->setText(name);
        labelled<QLineEdit>(form, "qq")->setText(qq);
        labelled<QLineEdit>(form, "mobile")->setText(mobile);
    }
    // 北京市 / 朝阳区 / the first school listed.
    void chooseChaoyang() {
        select(labelled<QComboBox>(form, "province"), QString::fromUtf8("北京市"));
        select(labelled<QComboBox>(form, "city"), QString::fromUtf8("朝阳区"));
        // The service's schools arrive after the cached ones.
        QComboBox* schools = labelled<QComboBox>(form, "school");
        EXPECT_TRUE(waitFor([&] { return !items(schools).contains("loading schools..."); }, 15000));
    }
    void chooseOther() {
        labelled<QComboBox>(form, "school")
            ->setCurrentIndex(labelled<QComboBox>(form, "school")->findData(0));
    }

    std::unique_ptr<MgmtForm> form;
    std::unique_ptr<MainFrame> frame;
};

} // namespace

TEST_F(ProfilePage, FieldsCarryTheirLimitsAndTheLowerPartItsParts) {
    forceNetworkState(NetworkState::Disconnected);
    makeForm();
    EXPECT_EQ(form->windowTitle(), "mgmt");
    EXPECT_EQ(form->mode(), MgmtForm::RegisterMode);
    EXPECT_EQ(described<QPushButton>(form, "Registers the profile, or edits and saves it")->text(),
              "register");
    EXPECT_EQ(described<QPushButton>(form, "Registers the profile, or edits and saves it")->objectName(),
              "darkButton");
    EXPECT_EQ(described<QPushButton>(form, "Looks for a newer version of the client")->text(), "update");
    EXPECT_EQ(labelled<QLineEdit>(form, "name")->objectName(), "profileEdit");
    EXPECT_EQ(labelled<QComboBox>(form, "province")->objectName(), "profileComboBox");
    EXPECT_EQ(labelled<QLabel>(form, "imei")->text(), kDevice);
    EXPECT_TRUE(labelled<QLabel>(form, "imei")->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_TRUE(labelled<QLabel>(form, "version")->text().startsWith("tavinet assistant 2.1.0"));
    EXPECT_EQ(labelled<QLineEdit>(form, "enter your school name")->placeholderText(),
              "enter your school name");

    QTest::keyClicks(labelled<QLineEdit>(form, "name"), "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(labelled<QLineEdit>(form, "name")->text(), "abcdefghijklmno") << "15 characters";
    QTest::keyClicks(labelled<QLineEdit>(form, "qq"), "12ab34cd567890123");
    EXPECT_EQ(labelled<QLineEdit>(form, "qq")->text(), "123456789012") << "digits only, 12 at most";
    QTest::keyClicks(labelled<QLineEdit>(form, "mobile"), "138x0013y80001234");
    EXPECT_EQ(labelled<QLineEdit>(form, "mobile")->text(), "13800138000");
    QTest::keyClicks(labelled<QLineEdit>(form, "enter your school name"), "123456789012345678901234");
    EXPECT_EQ(labelled<QLineEdit>(form, "enter your school name")->text().size(), 20);

    QStringList captions;
    for (QRTablet* t : form->findChildren<QRTablet*>()) {
        captions << named<QLabel>(t, "profileLabel")->text();
        EXPECT_EQ(t->size(), QSize(128, 150));
        EXPECT_TRUE(named<QLabel>(t, "picture")->hasScaledContents());
        EXPECT_FALSE(named<QLabel>(t, "picture")->pixmap(Qt::ReturnByValue).isNull());
    }
    EXPECT_EQ(captions, QStringList({"QQ Group", "Wechat Account"}));

    // Offline, the update button says so and asks nothing.
    auto offline = answerNextBox(QMessageBox::Ok);
    described<QPushButton>(form, "Looks for a newer version of the client")->click();
    EXPECT_TRUE(offline->seen);
    EXPECT_EQ(offline->title, "update");
    EXPECT_EQ(offline->text, "your are offline!");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ProfilePage, ListsComeFromTheCacheAndACitysSchoolsFromTheServiceFirst) {
    HttpServer server;
    useService(server.baseAddress());
    server.setReply("/api/get_nurseries", R"([{"id":"0","name":"zero"},{"id":"1004","name":"Sun & Moon"},
                                             {"id":"1005","name":"O'Neil"}])");
    forceNetworkState(NetworkState::Disconnected);
    makeForm();
    EXPECT_EQ(labelled<QComboBox>(form, "province")->count(), 34);
    EXPECT_EQ(labelled<QComboBox>(form, "province")->itemData(0).toInt(), 110000);

    server.clear();
    select(labelled<QComboBox>(form, "province"), QString::fromUtf8("上海市"));
    EXPECT_EQ(labelled<QComboBox>(form, "city")->count(), 16);
    EXPECT_EQ(labelled<QComboBox>(form, "city")->currentIndex(), 0);
    select(labelled<QComboBox>(form, "city"), QString::fromUtf8("浦东新区"));
    QComboBox* schools = labelled<QComboBox>(form, "school");
    // Asked on the worker thread: the list says so at once and fills when the answer comes.
    EXPECT_EQ(items(schools), QStringList({"other", "loading schools..."}));
    ASSERT_TRUE(waitFor([&] {
        return items(schools) == QStringList({"Sun & Moon", "O'Neil", "other"});
    })) << items(schools).join(',').toStdString();
    const QList<QByteArray> asked = server.bodies("/api/get_nurseries");
    ASSERT_FALSE(asked.isEmpty());
    EXPECT_EQ(formValue(testsupport::decodeForm(asked.last()), "city_id"), "310115");
    EXPECT_EQ(schools->itemData(2).toInt(), 0);
    EXPECT_EQ(schools->currentIndex(), 0);
    DataSet<_SchoolInfo> cached;
    ASSERT_TRUE(cache->getSchools(310115, &cached));
    EXPECT_EQ(cached.size(), 2) << "the city's schools went into the cache, id 0 not";

    // The service has nothing: the cached schools.
    server.setReply("/api/get_nurseries", "[]");
    select(labelled<QComboBox>(form, "city"), QString::fromUtf8("徐汇区"));
    ASSERT_TRUE(waitFor([&] { return items(schools) == QStringList({"other"}); }));
    select(labelled<QComboBox>(form, "city"), QString::fromUtf8("浦东新区"));
    EXPECT_EQ(items(schools), QStringList({"Sun & Moon", "O'Neil", "other", "loading schools..."}))
        << "the cached schools show at once";
    ASSERT_TRUE(waitFor([&] { return items(schools) == QStringList({"Sun & Moon", "O'Neil", "other"}); }));
}

TEST_F(ProfilePage, WithTheServiceStoppedTheCachedSchoolsAndOtherComeAtOnce) {
    DevService service;
    ASSERT_TRUE(service.isRunning());
    useService(service.baseAddress());
    addCachedSchool(77, "Cached Kindergarten", 110108);
    forceNetworkState(NetworkState::Disconnected);
    makeForm();
    QComboBox* schools = labelled<QComboBox>(form, "school");
    select(labelled<QComboBox>(form, "city"), QString::fromUtf8("朝阳区"));
    EXPECT_TRUE(waitFor([&] {
        return schools->count() > 1 && !items(schools).contains("loading schools...");
    })) << "the service's schools of 朝阳区";
    service.stop();
    select(labelled<QComboBox>(form, "city"), QString::fromUtf8("海淀区"));
    EXPECT_EQ(items(schools).mid(0, 2), QStringList({"Cached Kindergarten", "other"}));
    EXPECT_TRUE(waitFor([&] { return items(schools) == QStringList({"Cached Kindergarten", "other"}); }));
}

// A service that stalls never holds the page: the cached schools show at
// once, a later choice of city supersedes the stalled one, and a late
// answer for a city no longer chosen never shows.
TEST_F(ProfilePage, AStalledServiceNeverHoldsThePageAndALaterChoiceWins) {
    HttpServer server;
    useService(server.baseAddress());
    addCachedSchool(77, "Cached Kindergarten", 110108);
    forceNetworkState(NetworkState::Disconnected);
    makeForm();
    server.setReply("/api/get_nurseries",
                    HttpServer::Reply{200, R"([{"id":"5","name":"late"}])", "application/json", 1500});
    QComboBox* schools = labelled<QComboBox>(form, "school");
    QElapsedTimer t;
    t.start();
    select(labelled<QComboBox>(form, "city"), QString::fromUtf8("海淀区"));
    EXPECT_LT(t.elapsed(), 1000) << "the page waited for the service";
    EXPECT_EQ(items(schools), QStringList({"Cached Kindergarten", "other", "loading schools..."}));
    server.setReply("/api/get_nurseries", R"([{"id":"6","name":"Chaoyang One"}])");
    select(labelled<QComboBox>(form, "city"), QString::fromUtf8("朝阳区"));
    ASSERT_TRUE(waitFor([&] { return items(schools) == QStringList({"Chaoyang One", "other"}); }, 5000));
    // The stalled answer for 海淀区 arrives meanwhile and is dropped.
    waitFor([] { return false; }, 2500);
    EXPECT_EQ(items(schools), QStringList({"Chaoyang One", "other"}));
}

TEST_F(ProfilePage, TheModesAndTheOtherSchoolEdit) {
    HttpServer server;
    useService(server.baseAddress());
    addCachedSchool(1004, "Sun", 110105);
    TaviUser user;
    user.userId = 10001;
    user.uid = "tv-1";
    user.name = "Li";
    user.qq = "123";
    user.mobile = "456";
    user.province = 110000;
    user.city = 110105;
    user.school = 1004;
    ASSERT_TRUE(db->updateUser(&user));
    core()->loadUser();
    forceNetworkState(NetworkState::Disconnected);
    makeForm();

    EXPECT_EQ(form->mode(), MgmtForm::ViewMode);
    EXPECT_EQ(described<QPushButton>(form, "Registers the profile, or edits and saves it")->text(), "edit");
    EXPECT_EQ(labelled<QLabel>(form, "id")->text(), "10001");
    EXPECT_EQ(labelled<QLineEdit>(form, "name")->text(), "Li");
    EXPECT_EQ(labelled<QComboBox>(form, "city")->currentText(), QString::fromUtf8("朝阳区"));
    EXPECT_EQ(labelled<QComboBox>(form, "school")->currentText(), "Sun");
    for (QWidget* w : std::initializer_list<QWidget*>{
             labelled<QLineEdit>(form, "name"), labelled<QLineEdit>(form, "qq"),
             labelled<QLineEdit>(form, "mobile"), labelled<QComboBox>(form, "province"),
             labelled<QComboBox>(form, "city"), labelled<QComboBox>(form, "school")})
        EXPECT_FALSE(w->isEnabled());
    EXPECT_FALSE(labelled<QLineEdit>(form, "enter your school name")->isVisible());

    // In view mode the button only opens the fields: nothing is checked or sent.
    server.clear();
    labelled<QLineEdit>(form, "name")->clear();
    described<QPushButton>(form, "Registers the profile, or edits and saves it")->click();
    EXPECT_EQ(form->mode(), MgmtForm::EditMode);
    EXPECT_EQ(described<QPushButton>(form, "Registers the profile, or edits and saves it")->text(), "save");
    EXPECT_TRUE(labelled<QLineEdit>(form, "name")->isEnabled());
    EXPECT_TRUE(labelled<QComboBox>(form, "school")->isEnabled());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(server.requests().isEmpty());

    EXPECT_FALSE(labelled<QLineEdit>(form, "enter your school name")->isVisible());
    chooseOther();
    EXPECT_TRUE(labelled<QLineEdit>(form, "enter your school name")->isVisible());
    labelled<QComboBox>(form, "school")->setCurrentIndex(0);
    EXPECT_FALSE(labelled<QLineEdit>(form, "enter your school name")->isVisible());
}

TEST_F(ProfilePage, AUserOfTheSchoolOtherShowsOtherAndTheTypedName) {
    TaviUser user;
    user.userId = 5;
    user.name = "Li";
    user.province = 310000;
    user.city = 310115;
    user.school = 0;
    user.otherSchool = "Little Stars";
    ASSERT_TRUE(db->updateUser(&user));
    core()->loadUser();
    forceNetworkState(NetworkState::Disconnected);
    makeForm();
    EXPECT_EQ(labelled<QComboBox>(form, "province")->currentText(), QString::fromUtf8("上海市"));
    EXPECT_EQ(labelled<QComboBox>(form, "city")->currentText(), QString::fromUtf8("浦东新区"));
    EXPECT_EQ(labelled<QComboBox>(form, "school")->currentData().toInt(), 0);
    EXPECT_EQ(labelled<QComboBox>(form, "school")->currentText(), "other");
    EXPECT_EQ(labelled<QLineEdit>(form, "enter your school name")->text(), "Little Stars");
    EXPECT_FALSE(labelled<QLineEdit>(form, "enter your school name")->isVisible()) << "view mode";
    described<QPushButton>(form, "Registers the profile, or edits and saves it")->click();
    EXPECT_TRUE(labelled<QLineEdit>(form, "enter your school name")->isVisible());
}

TEST_F(ProfilePage, EmptyFieldsAreRefusedInOrderAndNothingIsSent) {
    HttpServer server;
    useService(server.baseAddress());
    addCachedSchool(1004, "Sun", 110105);
    forceNetworkState(NetworkState::Connected);
    makeForm();
    chooseChaoyang();
    server.clear();
    struct Case {
        QString name, qq, mobile;
        bool other;
        QString otherName;
        QString message;
    } cases[] = {
        {"", "", "", false, "", "name is null!"},          {"Li", "", "138", false, "", "qq is null!"},
        {"Li", "1", "", true, "", "school name is null!"}, {"Li", "1", "", false, "", "mobile is null!"},
        {"Li", "1", "", true, "Stars", "mobile is null!"},
    };
    for (const Case& c : cases) {
        fill(c.name, c.qq, c.mobile);
        if (c.other)
            chooseOther();
        else
            labelled<QComboBox>(form, "school")->setCurrentIndex(0);
        labelled<QLineEdit>(form, "enter your school name")->setText(c.otherName);
        auto seen = answerNextBox(QMessageBox::Ok);
        described<QPushButton>(form, "Registers the profile, or edits and saves it")->click();
        ASSERT_TRUE(waitFor([&] { return seen->seen; }, 5000)) << c.message.toStdString();
        EXPECT_EQ(seen->title, "edit profile");
        EXPECT_EQ(seen->text, c.message);
        EXPECT_EQ(form->mode(), MgmtForm::RegisterMode);
        EXPECT_TRUE(
            described<QPushButton>(form, "Registers the profile, or edits and saves it")->isEnabled());
    }
    settleJobs();
    EXPECT_TRUE(server.bodies("/api/up_userinfo").isEmpty());
}

TEST_F(ProfilePage, OnlineTheProfileGoesToTheServiceAndTheAnswerDecides) {
    DevService service;
    ASSERT_TRUE(service.isRunning());
    useService(service.baseAddress());
    forceNetworkState(NetworkState::Connected);
    makeForm();
    // The page's own refresh logged this device in.
    const QString uid = core()->userSnapshot().uid;
    ASSERT_FALSE(uid.isEmpty());
    EXPECT_EQ(form->mode(), MgmtForm::RegisterMode) << "a new account has no name";

    chooseChaoyang();
    const QString school = labelled<QComboBox>(form, "school")->currentText();
    // A pasted newline or tab is no part of the name.
    fill(QString::fromUtf8("王老\t师\n"), "12345", "13800000000");
    auto seen = answerNextBox(QMessageBox::Ok);
    described<QPushButton>(form, "Registers the profile, or edits and saves it")->click();
    EXPECT_FALSE(described<QPushButton>(form, "Registers the profile, or edits and saves it")->isEnabled())
        << "disabled while the update runs";
    ASSERT_TRUE(waitFor([&] { return seen->seen; }, 15000));
    EXPECT_EQ(seen->title, "taviclient");
    EXPECT_EQ(seen->text, "update user info success!");
    EXPECT_EQ(form->mode(), MgmtForm::ViewMode);
    EXPECT_TRUE(described<QPushButton>(form, "Registers the profile, or edits and saves it")->isEnabled());
    const auto fields = service.lastFields("/api/up_userinfo");
    EXPECT_EQ(formValue(fields, "user_id"), uid);
    EXPECT_EQ(formValue(fields, "name"), QString::fromUtf8("王老师"));
    EXPECT_EQ(formValue(fields, "province"), "110000");
    EXPECT_EQ(formValue(fields, "city"), "110105");
    EXPECT_EQ(formValue(fields, "tel"), "13800000000");
    EXPECT_TRUE(formValue(fields, "other_kindergarten").isNull());
    settleJobs();
    EXPECT_EQ(core()->userSnapshot().schoolName, school);
    EXPECT_FALSE(QFileInfo::exists(paths->dataDir + "/profiledraft.ini")) << "confirmed: no draft is kept";

    // Refused by the service: the failure, the mode stays, the button is back.
    described<QPushButton>(form, "Registers the profile, or edits and saves it")->click();
    ASSERT_EQ(form->mode(), MgmtForm::EditMode);
    ASSERT_TRUE(service.control(QJsonObject{{"fail", QJsonObject{{"/api/up_userinfo", "status"}}}}));
    auto failed = answerNextBox(QMessageBox::Ok);
    described<QPushButton>(form, "Registers the profile, or edits and saves it")->click();
    ASSERT_TRUE(waitFor([&] { return failed->seen; }, 15000));
    EXPECT_EQ(failed->title, "taviclient");
    EXPECT_EQ(failed->text, "update user info failed!");
    EXPECT_EQ(form->mode(), MgmtForm::EditMode);
    EXPECT_TRUE(described<QPushButton>(form, "Registers the profile, or edits and saves it")->isEnabled());
}

TEST_F(ProfilePage, APhoneRegistrationShowsOnceTheCodeClosesAndTypedTextStaysOtherwise) {
    DevService service;
    ASSERT_TRUE(service.isRunning());
    useService(service.baseAddress());
    forceNetworkState(NetworkState::Connected);
    makeForm();
    ASSERT_EQ(form->mode(), MgmtForm::RegisterMode);
    // The client cannot deliver the profile; the phone can.
    ASSERT_TRUE(service.control(QJsonObject{{"fail", QJsonObject{{"/api/up_userinfo", "drop"}}}}));
    chooseChaoyang();
    fill("Li", "12345", "13800000000");

    // First the teacher closes the code without scanning it: what was typed stays.
    onNextModal<MobileRegisterQRDialog>([&](MobileRegisterQRDialog* dialog) { dialog->accept(); });
    described<QPushButton>(form, "Registers the profile, or edits and saves it")->click();
    ASSERT_TRUE(waitFor([&] { return service.requests("/api/query_userInfo").size() >= 2; }, 15000))
        << "no refresh after the code closed";
    settleJobs();
    EXPECT_EQ(form->mode(), MgmtForm::RegisterMode);
    EXPECT_EQ(labelled<QLineEdit>(form, "name")->text(), "Li");

    // Then the phone registers while the code is shown.
    QString code;
    onNextModal<MobileRegisterQRDialog>([&](MobileRegisterQRDialog* dialog) {
        code = named<QRWidget>(dialog, "qrWidget")->qrData();
        const QUrl url(code);
        const auto page = testsupport::httpCall(service.port(), "GET",
                                                url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority));
        EXPECT_EQ(page.first, 200) << page.second.toStdString();
        // The teacher confirms on the phone.
        const auto confirmed = testsupport::httpCall(service.port(), "POST", "/api/reg_userinfo",
                                                     url.query(QUrl::FullyEncoded).toUtf8());
        EXPECT_EQ(confirmed.first, 200) << confirmed.second.toStdString();
        dialog->accept();
    });
    described<QPushButton>(form, "Registers the profile, or edits and saves it")->click();
    ASSERT_TRUE(waitFor([&] { return form->mode() == MgmtForm::ViewMode; }, 15000))
        << "the profile the phone sent did not show";
    EXPECT_EQ(core()->userSnapshot().name, "Li");
    EXPECT_EQ(labelled<QLineEdit>(form, "name")->text(), "Li");
}

TEST_F(ProfilePage, OfflineRegistrationOpensTheQrCodeOfTheProfile) {
    TaviUser user;
    user.uid = "tv-42";
    core()->setCurrentUser(user);
    forceNetworkState(NetworkState::Disconnected);
    makeForm();
    chooseChaoyang();
    chooseOther();
    labelled<QLineEdit>(form, "enter your school name")->setText("Sun & Moon");
    fill(QString::fromUtf8("王 老师"), "12345", "13800000000");
    QString text;
    QStringList decoded;
    onNextModal<MobileRegisterQRDialog>([&](MobileRegisterQRDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "register");
        EXPECT_EQ(dialog->size(), QSize(360, 280));
        EXPECT_TRUE(dialog->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(named<QRWidget>(dialog, "qrWidget")->size(), QSize(180, 180));
        text = named<QRWidget>(dialog, "qrWidget")->qrData();
        decoded = decodeQr(named<QRWidget>(dialog, "qrWidget")->grab().toImage(), "profile-offline-qr.png");
        named<QToolButton>(dialog, "closeBtn")->click();
    });
    described<QPushButton>(form, "Registers the profile, or edits and saves it")->click();
    ASSERT_FALSE(text.isEmpty());
    EXPECT_EQ(decoded, QStringList({text})) << "the painted code reads as its text";
    EXPECT_TRUE(text.startsWith("http://127.0.0.1:9/api/reg_userinfo?imei=")) << text.toStdString();
    EXPECT_TRUE(text.contains("&user_id=tv-42&")) << text.toStdString();
    const auto fields = queryFields(text);
    EXPECT_EQ(testsupport::formKeys(fields),
              QStringList({"imei", "name", "qq", "tel", "province", "city", "kindergarten", "user_id",
                           "other_kindergarten", "terminal_type", "account_type"}));
    EXPECT_EQ(formValue(fields, "imei"), kDevice);
    EXPECT_EQ(formValue(fields, "name"), QString::fromUtf8("王 老师"));
    EXPECT_EQ(formValue(fields, "kindergarten"), "0");
    EXPECT_EQ(formValue(fields, "other_kindergarten"), "Sun & Moon");
    EXPECT_EQ(form->mode(), MgmtForm::RegisterMode);

    // Until the service has the profile, a restart brings back what was typed.
    form.reset();
    makeForm();
    EXPECT_EQ(labelled<QLineEdit>(form, "name")->text(), QString::fromUtf8("王 老师"));
    EXPECT_EQ(labelled<QLineEdit>(form, "qq")->text(), "12345");
    EXPECT_EQ(labelled<QLineEdit>(form, "mobile")->text(), "13800000000");
    EXPECT_EQ(labelled<QComboBox>(form, "city")->currentText(), QString::fromUtf8("朝阳区"));
    EXPECT_EQ(labelled<QComboBox>(form, "school")->currentData().toInt(), 0);
    EXPECT_EQ(labelled<QLineEdit>(form, "enter your school name")->text(), "Sun & Moon");
    EXPECT_EQ(form->mode(), MgmtForm::RegisterMode);

    // A real school: no other_kindergarten pair at all.
    TaviUser withSchool;
    withSchool.uid = "tv-42";
    withSchool.school = 1004;
    withSchool.otherSchool = "ignored";
    const QString plain = MobileRegisterQRDialog::registerText("http://h", kDevice, withSchool);
    EXPECT_FALSE(plain.contains("other_kindergarten")) << plain.toStdString();
    EXPECT_TRUE(plain.contains("&kindergarten=1004&user_id=tv-42&terminal_type=pc&account_type=traveler"));
}

TEST_F(ProfilePage, AServiceOutOfReachFallsBackToTheQrCode) {
    // The discard port: nothing listens there.
    useService("http://127.0.0.1:9");
    addCachedSchool(1004, "Sun", 110105);
    forceNetworkState(NetworkState::Connected);
    makeForm();
    chooseChaoyang();
    ASSERT_EQ(labelled<QComboBox>(form, "school")->currentText(), "Sun");
    fill("Li", "1", "2");
    bool opened = false;
    onNextModal<MobileRegisterQRDialog>([&](MobileRegisterQRDialog* dialog) {
        opened = named<QRWidget>(dialog, "qrWidget")->qrData().contains("name=Li&qq=1&tel=2");
        dialog->accept();
    });
    described<QPushButton>(form, "Registers the profile, or edits and saves it")->click();
    ASSERT_TRUE(waitFor([&] { return opened; }, 15000));
    EXPECT_TRUE(described<QPushButton>(form, "Registers the profile, or edits and saves it")->isEnabled());
    EXPECT_EQ(form->mode(), MgmtForm::RegisterMode);
}

TEST_F(ProfilePage, TheQrWidgetPaintsItsTextOrRed) {
    QRWidget widget;
    widget.resize(180, 180);
    EXPECT_EQ(widget.qrData(), "Hello QR");
    EXPECT_EQ(decodeQr(widget.grab().toImage(), "qr-hello.png"), QStringList({"Hello QR"}));
    const QImage fine = widget.grab().toImage();
    // Four light modules around the symbol: "Hello QR" is 21 modules, so 29 across.
    const int module = 180 / 29;
    EXPECT_DOUBLE_EQ(testsupport::colourShare(fine, QRect(0, 0, 180, 4 * module), QColor("white"), 0), 1.0);
    EXPECT_DOUBLE_EQ(testsupport::colourShare(fine, QRect(0, 0, 4 * module, 180), QColor("white"), 0), 1.0);
    EXPECT_EQ(fine.pixelColor(4 * module + 2, 4 * module + 2), QColor("black"))
        << "the finder starts after it";

    // Longer than the largest symbol holds at level L.
    widget.setQRData(QString(3000, QChar('x')));
    const QImage red = widget.grab().toImage();
    EXPECT_DOUBLE_EQ(testsupport::colourShare(red, red.rect(), QColor("red"), 0), 1.0);
    widget.setQRData(QString());
    const QImage empty = widget.grab().toImage();
    EXPECT_DOUBLE_EQ(testsupport::colourShare(empty, empty.rect(), QColor("red"), 0), 1.0);
    // A wide widget uses its height; the rest stays white.
    widget.setQRData("Hello QR");
    widget.resize(300, 100);
    const QImage wide = widget.grab().toImage();
    EXPECT_DOUBLE_EQ(testsupport::colourShare(wide, QRect(101, 0, 199, 100), QColor("white"), 0), 1.0);
}

TEST_F(ProfilePage, TheTitleShowsTheSchoolOfTheLoadedUser) {
    addCachedSchool(1004, QString::fromUtf8("阳光幼儿园"), 110105);
    TaviUser user;
    user.userId = 9;
    user.name = "Li";
    user.province = 110000;
    user.city = 110105;
    user.school = 1004;
    ASSERT_TRUE(db->updateUser(&user));
    core()->loadUser();
    forceNetworkState(NetworkState::Disconnected);
    frame = std::make_unique<MainFrame>(Core::instance()->context());
    EXPECT_EQ(named<TitleLabel>(frame, "titleLabel")->text(), QString::fromUtf8("阳光幼儿园"));
}
