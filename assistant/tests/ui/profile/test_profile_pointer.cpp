// The profile page in the main window on a real X server, used with a real
// pointer and keyboard (xdotool) against the development service: registering
// online, editing and saving, the checks, the digits-only fields, offline
// registration through a QR code read back from the screen, and a code that
// cannot be made.

#include "support/devservice.h"
#include "support/httpserver.h"
#include "support/pointer.h"
#include "support/profilefixture.h"
#include "support/xvfb.h"
#include "ui/frame/contentpage.h"
#include "ui/frame/mainframe.h"
#include "ui/frame/titlelabel.h"
#include "ui/profile/mgmtform.h"
#include "ui/profile/mobileregisterqrdialog.h"
#include "ui/profile/qrwidget.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QUrl>
#include <QWindow>

using namespace listtest;
using namespace profiletest;
using testsupport::DevService;
using testsupport::formValue;
using testsupport::waitFor;
using testsupport::Xvfb;

namespace {

class ProfileByPointer : public ProfileFixture {
protected:
    void SetUp() override {
        ProfileFixture::SetUp();
        ASSERT_TRUE(x.isRunning()) << x.error().toStdString();
        ASSERT_TRUE(service.isRunning()) << service.error().toStdString();
        useService(service.baseAddress());
        forceNetworkState(NetworkState::Connected);
    }
    void destroyWidgets() override { frame.reset(); }

    void showFrame() {
        frame = std::make_unique<MainFrame>(Core::instance()->context());
        frame->showOnWholeScreen();
        ASSERT_TRUE(waitFor([&] { return frame->windowHandle() && frame->windowHandle()->isExposed(); }));
        // The page's refresh has logged this device in.
        settleJobs();
        settle();
        pointAndClick(named<ContentPage>(frame, "ContentPage")->findChild<QWidget*>("mgmtBtn"));
        form = named<ContentPage>(frame, "ContentPage")->findChild<MgmtForm*>();
        ASSERT_TRUE(form);
        ASSERT_TRUE(waitFor([&] { return form->isVisible(); }));
        settle();
    }

    void settle(int ms = 250) { pointer::settle(ms); }
    void pointAndClick(QWidget* w) { pointer::clickAt(x, w); }
    void typeInto(QLineEdit* edit, const QString& text, const QString& expected) {
        pointer::typeInto(x, edit, text, expected);
    }
    void pick(QComboBox* box, int index) { pointer::pick(x, box, index); }
    void pick(QComboBox* box, const QString& text) { pick(box, box->findText(text)); }
    // The service's schools of the city on screen have arrived.
    void waitForSchools() {
        QComboBox* schools = labelled<QComboBox>(form, "school");
        EXPECT_TRUE(waitFor([&] { return schools->findText("loading schools...") < 0; }, 15000));
    }

    // A modal box runs its own loop inside whatever processes events when it
    // opens, so it is answered from a timer in that loop: the next message box
    // is read and its OK button pressed with the pointer.
    struct Box {
        bool answered = false;
        QString title;
        QString text;
    };
    std::shared_ptr<Box> answerNextBox() {
        auto seen = std::make_shared<Box>();
        onNextModal<QMessageBox>([this, seen](QMessageBox* box) {
            settle(200);
            seen->title = box->windowTitle();
            seen->text = box->text();
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            const QPoint at = ok->mapToGlobal(ok->rect().center());
            x.click(at.x(), at.y());
            seen->answered = true;
        });
        return seen;
    }
    // Presses the page's action button and answers the box it brings (now or
    // once the service answered).
    void pressAndAnswer(const QString& title, const QString& text) {
        auto seen = answerNextBox();
        pointAndClick(described<QPushButton>(form, "Registers the profile, or edits and saves it"));
        ASSERT_TRUE(waitFor([&] { return seen->answered && !QApplication::activeModalWidget(); }, 20000))
            << "no message box for " << text.toStdString();
        EXPECT_EQ(seen->title, title);
        EXPECT_EQ(seen->text, text);
        settle(150);
    }

    Xvfb x{Xvfb::Current{}};
    DevService service;
    std::unique_ptr<MainFrame> frame;
    MgmtForm* form = nullptr;
};

} // namespace

TEST_F(ProfileByPointer, RegisterOnlineThenEditAndSaveTheSchoolOther) {
    showFrame();
    const QString uid = core()->userSnapshot().uid;
    ASSERT_FALSE(uid.isEmpty());
    EXPECT_EQ(form->mode(), MgmtForm::RegisterMode);
    EXPECT_EQ(described<QPushButton>(form, "Registers the profile, or edits and saves it")->text(),
              "register");
    EXPECT_EQ(named<TitleLabel>(frame, "titleLabel")->text(), "enter school name");

    typeInto(labelled<QLineEdit>(form, "name"), "Wang Li", "Wang Li");
    typeInto(labelled<QLineEdit>(form, "qq"), "12ab345", "12345");
    typeInto(labelled<QLineEdit>(form, "mobile"), "138o0013800a0", "13800138000");
    pick(labelled<QComboBox>(form, "province"), QString::fromUtf8("北京市"));
    pick(labelled<QComboBox>(form, "city"), QString::fromUtf8("朝阳区"));
    waitForSchools();
    ASSERT_GT(labelled<QComboBox>(form, "school")->count(), 1);
    pick(labelled<QComboBox>(form, "school"), 0);
    const QString school = labelled<QComboBox>(form, "school")->currentText();
    const int schoolId = labelled<QComboBox>(form, "school")->currentData().toInt();
    EXPECT_FALSE(labelled<QLineEdit>(form, "enter your school name")->isVisible())
        << "a real school needs no typed name";

    pressAndAnswer("taviclient", "update user info success!");
    EXPECT_EQ(form->mode(), MgmtForm::ViewMode);
    EXPECT_EQ(described<QPushButton>(form, "Registers the profile, or edits and saves it")->text(), "edit");
    EXPECT_FALSE(labelled<QLineEdit>(form, "name")->isEnabled());
    EXPECT_TRUE(waitFor([&] { return named<TitleLabel>(frame, "titleLabel")->text() == school; }, 5000))
        << named<TitleLabel>(frame, "titleLabel")->text().toStdString();
    auto fields = service.lastFields("/api/up_userinfo");
    EXPECT_EQ(formValue(fields, "user_id"), uid);
    EXPECT_EQ(formValue(fields, "name"), "Wang Li");
    EXPECT_EQ(formValue(fields, "qq"), "12345");
    EXPECT_EQ(formValue(fields, "tel"), "13800138000");
    EXPECT_EQ(formValue(fields, "province"), "110000");
    EXPECT_EQ(formValue(fields, "city"), "110105");
    EXPECT_EQ(formValue(fields, "kindergarten"), QString::number(schoolId));
    EXPECT_EQ(labelled<QLabel>(form, "id")->text(), QString::number(core()->userSnapshot().userId));
    TaviUser saved;
    ASSERT_TRUE(db->getUser(&saved));
    EXPECT_EQ(saved.name, "Wang Li");

    // Edit: the school "other" with a typed name.
    pointAndClick(described<QPushButton>(form, "Registers the profile, or edits and saves it"));
    EXPECT_EQ(form->mode(), MgmtForm::EditMode);
    EXPECT_EQ(described<QPushButton>(form, "Registers the profile, or edits and saves it")->text(), "save");
    pick(labelled<QComboBox>(form, "school"), labelled<QComboBox>(form, "school")->findData(0));
    EXPECT_TRUE(labelled<QLineEdit>(form, "enter your school name")->isVisible());
    pressAndAnswer("edit profile", "school name is null!");
    EXPECT_EQ(form->mode(), MgmtForm::EditMode);
    typeInto(labelled<QLineEdit>(form, "enter your school name"), "Sun Moon & Stars", "Sun Moon & Stars");
    typeInto(labelled<QLineEdit>(form, "name"), "Wang Li 2", "Wang Li 2");
    pressAndAnswer("taviclient", "update user info success!");
    EXPECT_EQ(form->mode(), MgmtForm::ViewMode);
    EXPECT_FALSE(labelled<QLineEdit>(form, "enter your school name")->isVisible());
    EXPECT_TRUE(
        waitFor([&] { return named<TitleLabel>(frame, "titleLabel")->text() == "Sun Moon & Stars"; }, 5000))
        << named<TitleLabel>(frame, "titleLabel")->text().toStdString();
    fields = service.lastFields("/api/up_userinfo");
    EXPECT_EQ(formValue(fields, "kindergarten"), "0");
    EXPECT_EQ(formValue(fields, "other_kindergarten"), "Sun Moon & Stars");
    EXPECT_EQ(formValue(fields, "name"), "Wang Li 2");
    QImage shot = x.screenshot();
    EXPECT_TRUE(shot.save(testsupport::screenshotDir() + "/profile-saved.png"));
}

TEST_F(ProfileByPointer, EmptyFieldsGetTheirMessagesAndNothingIsSent) {
    showFrame();
    service.clearRequests();
    pressAndAnswer("edit profile", "name is null!");
    typeInto(labelled<QLineEdit>(form, "name"), "Li", "Li");
    pressAndAnswer("edit profile", "qq is null!");
    typeInto(labelled<QLineEdit>(form, "qq"), "abc", "");
    typeInto(labelled<QLineEdit>(form, "qq"), "42", "42");
    pick(labelled<QComboBox>(form, "school"), 0);
    if (labelled<QComboBox>(form, "school")->currentData().toInt() == 0) {
        typeInto(labelled<QLineEdit>(form, "enter your school name"), "Stars", "Stars");
    }
    pressAndAnswer("edit profile", "mobile is null!");
    EXPECT_EQ(form->mode(), MgmtForm::RegisterMode);
    settleJobs();
    EXPECT_TRUE(service.requests("/api/up_userinfo").isEmpty());
}

TEST_F(ProfileByPointer, OfflineRegistrationShowsACodeThatCarriesTheProfile) {
    showFrame();
    const QString uid = core()->userSnapshot().uid;
    ASSERT_FALSE(uid.isEmpty());
    forceNetworkState(NetworkState::Disconnected);
    typeInto(labelled<QLineEdit>(form, "name"), "Zhou", "Zhou");
    typeInto(labelled<QLineEdit>(form, "qq"), "777", "777");
    typeInto(labelled<QLineEdit>(form, "mobile"), "13900000000", "13900000000");
    pick(labelled<QComboBox>(form, "province"), QString::fromUtf8("上海市"));
    pick(labelled<QComboBox>(form, "city"), QString::fromUtf8("浦东新区"));
    waitForSchools();
    pick(labelled<QComboBox>(form, "school"), labelled<QComboBox>(form, "school")->findData(0));
    typeInto(labelled<QLineEdit>(form, "enter your school name"), "Pudong Stars", "Pudong Stars");
    service.clearRequests();

    // The dialog is read and closed from inside its own loop.
    QString painted;
    QString text;
    bool closed = false;
    onNextModal<MobileRegisterQRDialog>([&](MobileRegisterQRDialog* dialog) {
        QRWidget* qr = named<QRWidget>(dialog, "qrWidget");
        painted = qr->qrData();
        const QRect onScreen(qr->mapToGlobal(QPoint(0, 0)), qr->size());
        const QImage shot = pointer::screenWhen(
            x, [&](const QImage& s) { return testsupport::colourShare(s, onScreen, Qt::black, 40) > 0.2; });
        EXPECT_TRUE(shot.save(testsupport::screenshotDir() + "/profile-register-qr.png"));
        // With the dialog around it, as a phone held up to the screen sees it.
        const QStringList decoded =
            decodeQr(shot.copy(onScreen.adjusted(-30, -30, 30, 30)), "profile-register-qr-code.png");
        EXPECT_EQ(decoded.size(), 1) << "zbarimg found no single code on the screen";
        text = decoded.value(0);
        QToolButton* close = named<QToolButton>(dialog, "closeBtn");
        const QPoint at = close->mapToGlobal(close->rect().center());
        x.click(at.x(), at.y());
        closed = true;
    });
    pointAndClick(described<QPushButton>(form, "Registers the profile, or edits and saves it"));
    ASSERT_TRUE(waitFor([&] { return closed && !QApplication::activeModalWidget(); }, 20000))
        << "the dialog did not close on its close button";
    ASSERT_FALSE(text.isEmpty());
    EXPECT_EQ(text, painted);
    EXPECT_TRUE(text.startsWith(service.baseAddress() + "/api/reg_userinfo?")) << text.toStdString();
    EXPECT_TRUE(text.contains("&user_id=" + uid + "&")) << text.toStdString();
    const auto fields = queryFields(text);
    EXPECT_EQ(formValue(fields, "name"), "Zhou");
    EXPECT_EQ(formValue(fields, "qq"), "777");
    EXPECT_EQ(formValue(fields, "tel"), "13900000000");
    EXPECT_EQ(formValue(fields, "province"), "310000");
    EXPECT_EQ(formValue(fields, "city"), "310115");
    EXPECT_EQ(formValue(fields, "kindergarten"), "0");
    EXPECT_EQ(formValue(fields, "other_kindergarten"), "Pudong Stars");
    EXPECT_EQ(formValue(fields, "imei"), kDevice);
    EXPECT_TRUE(service.requests("/api/up_userinfo").isEmpty()) << "offline, nothing goes to the service";

    // The phone opens the code: the service's registration page takes it.
    const QUrl url(text);
    const auto page = testsupport::httpCall(service.port(), "GET",
                                            url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority));
    EXPECT_EQ(page.first, 200) << page.second.toStdString();
    EXPECT_TRUE(page.second.contains("Pudong Stars"));

    EXPECT_EQ(form->mode(), MgmtForm::RegisterMode);
}

TEST_F(ProfileByPointer, ACodeThatCannotBeMadePaintsRed) {
    QRWidget widget;
    widget.setWindowFlags(Qt::FramelessWindowHint);
    widget.setFixedSize(180, 180);
    widget.move(100, 100);
    widget.setQRData(QString(4000, QChar('x')));
    widget.show();
    ASSERT_TRUE(waitFor([&] { return widget.windowHandle() && widget.windowHandle()->isExposed(); }));
    const QRect onScreen(widget.mapToGlobal(QPoint(0, 0)), widget.size());
    const QImage shot = pointer::screenWhen(
        x, [&](const QImage& s) { return testsupport::colourShare(s, onScreen, QColor("red"), 8) > 0.99; });
    EXPECT_GT(testsupport::colourShare(shot, onScreen, QColor("red"), 8), 0.99);
    widget.setQRData("Hello QR");
    const QImage fine = pointer::screenWhen(
        x, [&](const QImage& s) { return testsupport::colourShare(s, onScreen, QColor("red"), 8) < 0.01; });
    EXPECT_EQ(decodeQr(fine.copy(onScreen), "qr-on-screen.png"), QStringList({"Hello QR"}));
}
