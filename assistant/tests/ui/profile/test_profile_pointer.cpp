// The profile page in the main window on a real X server, used with a real
// pointer and keyboard (xdotool) against the development service: registering
// online, editing and saving, the checks, the digits-only fields, offline
// registration through a QR code read back from the screen, and a code that
// cannot be made.

#include "support/devservice.h"
#include "support/httpserver.h"
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
        pointAndClick(frame->contentPage()->findChild<QWidget*>("mgmtBtn"));
        form = frame->contentPage()->findChild<MgmtForm*>();
        ASSERT_TRUE(form);
        ASSERT_TRUE(waitFor([&] { return form->isVisible(); }));
        settle();
    }

    void settle(int ms = 250) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    void pointAndClick(QWidget* w) {
        ASSERT_TRUE(w && w->isVisible());
        const QPoint at = w->mapToGlobal(w->rect().center());
        ASSERT_TRUE(x.click(at.x(), at.y()));
        settle(150);
    }
    // Clicks into the edit, replaces its text by typing, and waits for what it took.
    void typeInto(QLineEdit* edit, const QString& text, const QString& expected) {
        pointAndClick(edit);
        ASSERT_TRUE(waitFor([&] { return edit->hasFocus(); }, 3000));
        ASSERT_TRUE(x.key("ctrl+a"));
        ASSERT_TRUE(x.key("BackSpace"));
        if (!text.isEmpty()) {
            ASSERT_TRUE(x.type(text));
        }
        EXPECT_TRUE(waitFor([&] { return edit->text() == expected; }, 5000))
            << "typed " << text.toStdString() << ", the edit holds " << edit->text().toStdString();
    }
    // Opens the list with a click and clicks the entry.
    void pick(QComboBox* box, int index) {
        ASSERT_GE(index, 0);
        pointAndClick(box);
        QAbstractItemView* view = box->view();
        ASSERT_TRUE(waitFor([&] { return view->isVisible(); }, 3000)) << "the list did not open";
        const QModelIndex item = box->model()->index(index, 0);
        view->scrollTo(item);
        settle(100);
        const QRect r = view->visualRect(item);
        const QPoint at = view->viewport()->mapToGlobal(r.center());
        ASSERT_TRUE(x.click(at.x(), at.y()));
        ASSERT_TRUE(waitFor([&] { return !view->isVisible(); }, 3000));
        EXPECT_TRUE(waitFor([&] { return box->currentIndex() == index; }, 15000))
            << "picked " << index << ", the list shows " << box->currentIndex();
        settle(100);
    }
    void pick(QComboBox* box, const QString& text) { pick(box, box->findText(text)); }

    // The screen once this process has painted what it has to and ready() holds.
    QImage screenWhen(const std::function<bool(const QImage&)>& ready, int timeoutMs = 10000) {
        QImage shot;
        QElapsedTimer t;
        t.start();
        do {
            settle(200);
            shot = x.screenshot();
            if (!shot.isNull() && ready(shot))
                break;
        } while (t.elapsed() < timeoutMs);
        return shot;
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
        pointAndClick(form->execButton());
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
    EXPECT_EQ(form->execButton()->text(), "register");
    EXPECT_EQ(frame->titleLabel()->text(), "enter school name");

    typeInto(form->nameEdit(), "Wang Li", "Wang Li");
    typeInto(form->qqEdit(), "12ab345", "12345");
    typeInto(form->mobileEdit(), "138o0013800a0", "13800138000");
    pick(form->provinceBox(), QString::fromUtf8("北京市"));
    pick(form->cityBox(), QString::fromUtf8("朝阳区"));
    ASSERT_GT(form->schoolBox()->count(), 1);
    pick(form->schoolBox(), 0);
    const QString school = form->schoolBox()->currentText();
    const int schoolId = form->schoolBox()->currentData().toInt();
    EXPECT_FALSE(form->otherSchoolEdit()->isVisible()) << "a real school needs no typed name";

    pressAndAnswer("taviclient", "update user info success!");
    EXPECT_EQ(form->mode(), MgmtForm::ViewMode);
    EXPECT_EQ(form->execButton()->text(), "edit");
    EXPECT_FALSE(form->nameEdit()->isEnabled());
    EXPECT_TRUE(waitFor([&] { return frame->titleLabel()->text() == school; }, 5000))
        << frame->titleLabel()->text().toStdString();
    auto fields = service.lastFields("/api/up_userinfo");
    EXPECT_EQ(formValue(fields, "user_id"), uid);
    EXPECT_EQ(formValue(fields, "name"), "Wang Li");
    EXPECT_EQ(formValue(fields, "qq"), "12345");
    EXPECT_EQ(formValue(fields, "tel"), "13800138000");
    EXPECT_EQ(formValue(fields, "province"), "110000");
    EXPECT_EQ(formValue(fields, "city"), "110105");
    EXPECT_EQ(formValue(fields, "kindergarten"), QString::number(schoolId));
    EXPECT_EQ(form->idLabel()->text(), QString::number(core()->userSnapshot().userId));
    TaviUser saved;
    ASSERT_TRUE(db->getUser(&saved));
    EXPECT_EQ(saved.name, "Wang Li");

    // Edit: the school "other" with a typed name.
    pointAndClick(form->execButton());
    EXPECT_EQ(form->mode(), MgmtForm::EditMode);
    EXPECT_EQ(form->execButton()->text(), "save");
    pick(form->schoolBox(), form->schoolBox()->findData(0));
    EXPECT_TRUE(form->otherSchoolEdit()->isVisible());
    pressAndAnswer("edit profile", "school name is null!");
    EXPECT_EQ(form->mode(), MgmtForm::EditMode);
    typeInto(form->otherSchoolEdit(), "Sun Moon & Stars", "Sun Moon & Stars");
    typeInto(form->nameEdit(), "Wang Li 2", "Wang Li 2");
    pressAndAnswer("taviclient", "update user info success!");
    EXPECT_EQ(form->mode(), MgmtForm::ViewMode);
    EXPECT_FALSE(form->otherSchoolEdit()->isVisible());
    EXPECT_TRUE(waitFor([&] { return frame->titleLabel()->text() == "Sun Moon & Stars"; }, 5000))
        << frame->titleLabel()->text().toStdString();
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
    typeInto(form->nameEdit(), "Li", "Li");
    pressAndAnswer("edit profile", "qq is null!");
    typeInto(form->qqEdit(), "abc", "");
    typeInto(form->qqEdit(), "42", "42");
    pick(form->schoolBox(), 0);
    if (form->schoolBox()->currentData().toInt() == 0) {
        typeInto(form->otherSchoolEdit(), "Stars", "Stars");
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
    typeInto(form->nameEdit(), "Zhou", "Zhou");
    typeInto(form->qqEdit(), "777", "777");
    typeInto(form->mobileEdit(), "13900000000", "13900000000");
    pick(form->provinceBox(), QString::fromUtf8("上海市"));
    pick(form->cityBox(), QString::fromUtf8("浦东新区"));
    pick(form->schoolBox(), form->schoolBox()->findData(0));
    typeInto(form->otherSchoolEdit(), "Pudong Stars", "Pudong Stars");
    service.clearRequests();

    // The dialog is read and closed from inside its own loop.
    QString painted;
    QString text;
    bool closed = false;
    onNextModal<MobileRegisterQRDialog>([&](MobileRegisterQRDialog* dialog) {
        QRWidget* qr = dialog->qrWidget();
        painted = qr->qrData();
        const QRect onScreen(qr->mapToGlobal(QPoint(0, 0)), qr->size());
        const QImage shot = screenWhen(
            [&](const QImage& s) { return testsupport::colourShare(s, onScreen, Qt::black, 40) > 0.2; });
        EXPECT_TRUE(shot.save(testsupport::screenshotDir() + "/profile-register-qr.png"));
        // With the dialog around it, as a phone held up to the screen sees it.
        const QStringList decoded =
            decodeQr(shot.copy(onScreen.adjusted(-30, -30, 30, 30)), "profile-register-qr-code.png");
        EXPECT_EQ(decoded.size(), 1) << "zbarimg found no single code on the screen";
        text = decoded.value(0);
        QToolButton* close = dialog->closeButton();
        const QPoint at = close->mapToGlobal(close->rect().center());
        x.click(at.x(), at.y());
        closed = true;
    });
    pointAndClick(form->execButton());
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
    const QImage shot = screenWhen(
        [&](const QImage& s) { return testsupport::colourShare(s, onScreen, QColor("red"), 8) > 0.99; });
    EXPECT_GT(testsupport::colourShare(shot, onScreen, QColor("red"), 8), 0.99);
    widget.setQRData("Hello QR");
    const QImage fine = screenWhen(
        [&](const QImage& s) { return testsupport::colourShare(s, onScreen, QColor("red"), 8) < 0.01; });
    EXPECT_EQ(decodeQr(fine.copy(onScreen), "qr-on-screen.png"), QStringList({"Hello QR"}));
}
