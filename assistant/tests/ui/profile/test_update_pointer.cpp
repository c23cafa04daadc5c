// The client update in the main window on a real X server, used with a real
// pointer against the development service offering a file it sends slowly:
// the update button, the processing dialog, the offer, the download dialog
// with its bar moving on screen, and the hand-over to the desktop with the
// client's end; then "Update later" and Cancel, each leaving no file.

#include "support/devservice.h"
#include "support/pointer.h"
#include "support/profilefixture.h"
#include "support/updateflow.h"
#include "support/xvfb.h"
#include "ui/dialogs/processingdialog.h"
#include "ui/frame/contentpage.h"
#include "ui/frame/mainframe.h"
#include "ui/profile/downloadupdatedialog.h"
#include "ui/profile/mgmtform.h"

#include <QCryptographicHash>
#include <QJsonObject>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QWindow>

using namespace listtest;
using namespace profiletest;
using namespace updatetest;
using testsupport::DevService;
using testsupport::waitFor;
using testsupport::Xvfb;

namespace {

const QString kName = "taviclient-2.2.0.run";
// 300 KB at 120 KB/s: about two and a half seconds of a moving bar.
constexpr int kSize = 300 * 1024;

class UpdateByPointer : public ProfileFixture {
protected:
    void SetUp() override {
        ProfileFixture::SetUp();
        ASSERT_TRUE(x.isRunning()) << x.error().toStdString();
        QGuiApplication::setQuitOnLastWindowClosed(false);
        QRandomGenerator gen(42);
        installer.resize(kSize);
        for (char& c : installer)
            c = char(gen.generate() & 0xff);
        offered = files.path() + "/" + kName;
        ASSERT_TRUE(testsupport::writeFile(offered, installer));
        service = std::make_unique<DevService>(
            QStringList{"--offer-update", offered, "--offer-version", "2.2.0", "--offer-notes",
                        QString::fromUtf8("新功能 New things"), "--slow-download", "120000"});
        ASSERT_TRUE(service->isRunning()) << service->error().toStdString();
        useService(service->baseAddress());
        forceNetworkState(NetworkState::Connected);
    }
    void destroyWidgets() override { frame.reset(); }

    void showProfilePage() {
        frame = std::make_unique<MainFrame>(Core::instance()->context());
        frame->showOnWholeScreen();
        ASSERT_TRUE(waitFor([&] { return frame->windowHandle() && frame->windowHandle()->isExposed(); }));
        settleJobs();
        pointer::settle();
        pointer::clickAt(x, named<ContentPage>(frame, "ContentPage")->findChild<QWidget*>("mgmtBtn"));
        form = named<ContentPage>(frame, "ContentPage")->findChild<MgmtForm*>();
        ASSERT_TRUE(form);
        ASSERT_TRUE(waitFor([&] { return form->isVisible(); }));
        pointer::settle();
        service->clearRequests();
    }
    // Presses the update button with the pointer inside the application's loop.
    int pressUpdate() {
        return runInEventLoop([this] {
            pointer::clickAt(x, described<QPushButton>(form, "Looks for a newer version of the client"));
        });
    }
    BoxAnswerer::Press byPointer() {
        return [this](QAbstractButton* b) {
            pointer::settle(200);
            pointer::clickAt(x, b);
        };
    }
    static BoxAnswerer::Choose choosing(const QString& button) {
        return [button](const SeenBox& b) { return b.buttons.contains(button) ? button : QString(); };
    }
    int downloadRequests() const { return service->requests("/download/" + kName).size(); }
    QString target() const { return paths->tempDir + "/" + kName; }

    // Share of the bar's groove painted in the bar's fill colour on screen.
    double filledShare(const QImage& shot, QProgressBar* bar) {
        const QRect onScreen(bar->mapToGlobal(QPoint(0, 0)), bar->size());
        return testsupport::colourShare(shot, onScreen.adjusted(2, 2, -2, -2),
                                        bar->palette().color(QPalette::Highlight), 48);
    }

    Xvfb x{Xvfb::Current{}};
    QTemporaryDir files;
    QByteArray installer;
    QString offered;
    std::unique_ptr<DevService> service;
    std::unique_ptr<MainFrame> frame;
    MgmtForm* form = nullptr;
};

} // namespace

TEST_F(UpdateByPointer, FromTheButtonThroughTheMovingBarToTheHandOver) {
    // The check takes a second, so the processing dialog can be seen.
    ASSERT_TRUE(service->control(
        {{"fail", QJsonObject{{"/api/terminal_upgrade", QJsonObject{{"mode", "delay:1"}, {"times", 1}}}}}}));
    showProfilePage();
    UrlCatcher opened;

    bool processingSeen = false;
    onNextModal<ProcessingDialog>([&](ProcessingDialog* p) {
        processingSeen = p->isVisible();
        pointer::settle(200);
        EXPECT_TRUE(x.saveScreenshot(testsupport::screenshotDir() + "/update-checking.png"));
    });
    BoxAnswerer offer(choosing("Update"), byPointer());

    QList<int> values;
    double earlyShare = -1, lateShare = -1;
    onNextModal<DownloadUpdateDialog>([&](DownloadUpdateDialog* d) {
        QElapsedTimer t;
        t.start();
        while (d->isVisible() && t.elapsed() < 30000) {
            pointer::settle(100);
            const int v = named<QProgressBar>(d, "progressBar")->value();
            values << v;
            if (earlyShare < 0 && v >= 15 && v <= 45) {
                pointer::settle(100); // painted
                const QImage shot = x.screenshot();
                earlyShare = filledShare(shot, named<QProgressBar>(d, "progressBar"));
                shot.save(testsupport::screenshotDir() + "/update-downloading.png");
            } else if (lateShare < 0 && earlyShare >= 0 && v >= 70 && v <= 95) {
                pointer::settle(100);
                lateShare = filledShare(x.screenshot(), named<QProgressBar>(d, "progressBar"));
            }
        }
    });

    EXPECT_EQ(pressUpdate(), 0) << "the client ends with 0 once the installer is handed over";
    EXPECT_TRUE(processingSeen);
    ASSERT_EQ(offer.boxes.size(), 1) << describe(offer.boxes).toStdString();
    EXPECT_EQ(offer.boxes[0].text, "New version 2.2.0 available!");
    EXPECT_EQ(offer.boxes[0].informative, QString::fromUtf8("info:新功能 New things"));

    // The bar moved through the middle and never went back.
    QList<int> between;
    for (int v : values) {
        if (v > 0 && v < 100 && !between.contains(v))
            between << v;
    }
    EXPECT_GE(between.size(), 3) << "values seen: " << values.size();
    for (int i = 1; i < values.size(); ++i)
        EXPECT_GE(values[i], values[i - 1]);
    EXPECT_GT(earlyShare, 0.05);
    EXPECT_GT(lateShare, earlyShare + 0.15) << "the fill grows on screen";

    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls[0], QUrl::fromLocalFile(target()));
    EXPECT_EQ(QCryptographicHash::hash(opened.contents.value(0), QCryptographicHash::Sha256),
              QCryptographicHash::hash(installer, QCryptographicHash::Sha256));
    EXPECT_EQ(downloadRequests(), 1);
}

TEST_F(UpdateByPointer, UpdateLaterAndCancelLeaveNoFile) {
    showProfilePage();
    UrlCatcher opened;
    {
        BoxAnswerer later(choosing("Update later"), byPointer());
        EXPECT_EQ(pressUpdate(), kFlowReturned);
        EXPECT_EQ(later.texts(), QStringList{"New version 2.2.0 available!"});
    }
    EXPECT_EQ(downloadRequests(), 0);
    EXPECT_TRUE(testsupport::listTree(paths->tempDir).isEmpty());

    BoxAnswerer offer(choosing("Update"), byPointer());
    qint64 partial = -1;
    onNextModal<DownloadUpdateDialog>([&](DownloadUpdateDialog* d) {
        EXPECT_TRUE(waitFor([&] { return named<QProgressBar>(d, "progressBar")->value() >= 20; }, 10000));
        partial = QFileInfo(target()).size();
        pointer::clickAt(x, named<QPushButton>(d, "cancelBtn"));
        EXPECT_TRUE(waitFor([&] { return !d->isVisible(); }, 5000)) << "Cancel closes the dialog";
    });
    EXPECT_EQ(pressUpdate(), kFlowReturned);
    EXPECT_GT(partial, 0);
    EXPECT_LT(partial, kSize);
    EXPECT_EQ(offer.texts(), QStringList{"New version 2.2.0 available!"}) << "no message after Cancel";
    EXPECT_FALSE(QFileInfo::exists(target()));
    EXPECT_TRUE(testsupport::listTree(paths->tempDir).isEmpty());
    EXPECT_TRUE(opened.urls.isEmpty());
    EXPECT_TRUE(frame->isVisible()) << "the client runs on";
}
