// The installed client on a real X server, as a teacher sees it: screenshots
// at the common screen sizes, checked against the same window laid out here
// with the installation's translation, fonts and style sheet, so that every
// picture is in place, the Chinese texts show and nothing is cut off; then
// used with the pointer and the keyboard (exit question, index page, store).

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "core/core.h"
#include "platform/fonts.h"
#include "platform/log.h"
#include "support/testsupport.h"
#include "support/widgets.h"
#include "support/xvfb.h"
#include "ui/frame/contentpage.h"
#include "ui/frame/indexpage.h"
#include "ui/frame/mainframe.h"
#include "ui/frame/titlelabel.h"
#include "ui/packs/storeaddress.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QStackedWidget>
#include <QThread>
#include <QToolButton>
#include <QTranslator>
#include <gtest/gtest.h>
#include <memory>

using testsupport::TempRoot;
using testsupport::Xvfb;

namespace {

// The client copied into a throw-away installation with its translations,
// started on the given X server.
class InstalledClient {
public:
    explicit InstalledClient(Xvfb& x, const QStringList& extraEnv = {}) {
        root.installClient();
        for (const QString& qm : QDir(TAVI_CLIENT_BUILD_DIR).entryList({"*.qm"}, QDir::Files))
            QFile::copy(QString(TAVI_CLIENT_BUILD_DIR) + "/" + qm, root.appDir() + "/" + qm);
        const QString runtime = root.path("runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        process =
            x.start(root.clientExe(), {},
                    QStringList{"TMPDIR=" + runtime, "XDG_RUNTIME_DIR=" + runtime} + extraEnv, root.appDir());
    }
    TempRoot root;
    QProcess* process = nullptr;
};

// This process made to look like the client: the installation's catalogues,
// the client's fonts and style sheet. Done once; the suite shows only the client's windows.
void lookLikeTheClient(const QString& appDir) {
    static bool done = false;
    static QTranslator qt, ours;
    if (done)
        return;
    done = true;
    registerFontSubstitutions();
    QFont font = QApplication::font();
    font.setFamily(QString::fromUtf8("微软雅黑"));
    font.setPointSize(12);
    QApplication::setFont(font);
    EXPECT_TRUE(qt.load("qt_zh_CN.qm", appDir));
    EXPECT_TRUE(ours.load("taviassistant_zh_cn.qm", appDir));
    QApplication::installTranslator(&qt);
    QApplication::installTranslator(&ours);
    QFile qss(":/qss/style.qss");
    EXPECT_TRUE(qss.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
}

// The main window as the installed client builds it, laid out here at the screen's size.
class Reference {
public:
    Reference(const QString& appDir, const QSize& screen) {
        lookLikeTheClient(appDir);
        registerRecordMetaTypes();
        tavi::setupClientLogging(root.appDir());
        paths = std::make_unique<DataPaths>(root.appDir());
        paths->makeDirs();
        db = std::make_unique<DB>(paths->mainDbPath, "reference");
        db->open();
        db->setup();
        Core::instance()->setPaths(paths.get());
        Core::instance()->setDb(db.get());
        frame = std::make_unique<MainFrame>(Core::instance()->context());
        frame->show();
        frame->resize(screen);
        testsupport::waitFor([&] { return frame->size() == screen; });
        QCoreApplication::processEvents();
    }
    ~Reference() {
        frame.reset();
        Core::instance()->setDb(nullptr);
        Core::instance()->setPaths(nullptr);
    }
    QRect rectOf(QWidget* w) const { return QRect(w->mapTo(frame.get(), QPoint(0, 0)), w->size()); }
    QRect rectOf(const char* name) const { return rectOf(frame->findChild<QWidget*>(name)); }
    QImage image() const { return frame->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    TempRoot root;
    std::unique_ptr<DataPaths> paths;
    std::unique_ptr<DB> db;
    std::unique_ptr<MainFrame> frame;
};

// Mean difference per colour channel (0..255) between the same area of two pictures.
double difference(const QImage& a, const QImage& b, const QRect& r) {
    const QRect area = r.intersected(a.rect()).intersected(b.rect());
    if (area.isEmpty())
        return 255.0;
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * area.width() * area.height());
}

// Mean squared step in brightness between neighbouring pixels across r:
// an edge drawn crisply is one big step, the same edge blown up from fewer
// pixels is several small ones, whose squares add up to less.
double sharpness(const QImage& image, const QRect& r) {
    const QRect area = r.intersected(image.rect().adjusted(0, 0, -1, 0));
    if (area.isEmpty())
        return 0;
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const int step = qGray(image.pixel(x + 1, y)) - qGray(image.pixel(x, y));
            sum += step * step;
        }
    return sum / (double(area.width()) * area.height());
}

// Waits until the screen has stopped changing (the window has been painted).
QImage settledScreen(const Xvfb& x) {
    QImage last;
    for (int i = 0; i < 40; ++i) {
        QThread::msleep(250);
        const QImage now = x.screenshot().convertToFormat(QImage::Format_RGB32);
        if (!last.isNull() && now == last && testsupport::distinctColours(now, now.rect(), 8) >= 8)
            return now;
        last = now;
    }
    return last;
}

bool stillRunning(const InstalledClient& c) {
    return c.process->state() == QProcess::Running;
}

class ScreensTest : public ::testing::Test {
protected:
    // Starts Xvfb at the size and the installed client on it; waits for its window.
    void startAt(const QSize& size) {
        x = std::make_unique<Xvfb>(size.width(), size.height());
        ASSERT_TRUE(x->isRunning()) << x->error().toStdString();
        client = std::make_unique<InstalledClient>(*x);
        windowId = x->waitForWindow("TAVINET", 30000);
        ASSERT_FALSE(windowId.isEmpty()) << "no client window; log:\n"
                                         << client->root.readLog().toStdString();
        ASSERT_TRUE(testsupport::waitFor(
            [&] { return x->windowGeometry(windowId) == QRect(QPoint(0, 0), size); }, 10000))
            << "window not full screen";
        ref = std::make_unique<Reference>(client->root.appDir(), size);
        screen = settledScreen(*x);
        ASSERT_FALSE(screen.isNull());
    }

    // Each named part of the window looks on screen as it does in the reference layout.
    void expectInPlace(const QImage& shot, const QImage& expected,
                       const QList<QPair<QString, QRect>>& parts) {
        for (const auto& part : parts) {
            EXPECT_TRUE(QRect(QPoint(0, 0), shot.size()).contains(part.second))
                << part.first.toStdString() << " cut off by the screen edge";
            EXPECT_LT(difference(shot, expected, part.second), 6.0) << part.first.toStdString();
        }
    }

    QList<QPair<QString, QRect>> topRowAndTabs() const {
        QList<QPair<QString, QRect>> parts;
        for (const char* name : {"avatarBtn", "titleLabel", "searchEdit", "minBtn", "closeBtn"})
            parts << qMakePair(QString(name), ref->rectOf(name));
        for (const char* name : {"homeBtn", "dailyBtn", "courseBtn", "packBtn", "favorBtn", "mgmtBtn"})
            parts << qMakePair(
                QString(name),
                ref->rectOf(named<ContentPage>(ref->frame, "ContentPage")->findChild<QWidget*>(name)));
        return parts;
    }

    QPoint centreOf(QWidget* w) const { return ref->rectOf(w).center(); }

    std::unique_ptr<Xvfb> x;
    std::unique_ptr<InstalledClient> client;
    std::unique_ptr<Reference> ref;
    QString windowId;
    QImage screen;
};

TEST_F(ScreensTest, MainWindowAt1920x1080InChineseWithEveryPictureInPlace) {
    startAt({1920, 1080});
    ASSERT_TRUE(screen.save(testsupport::screenshotDir() + "/main_1920x1080.png"));

    // The installed translation is in use: the window's own title is the Chinese one.
    EXPECT_EQ(x->windowName(windowId), QString::fromUtf8("TAVINET 幼教资源助手"));
    EXPECT_EQ(named<TitleLabel>(ref->frame, "titleLabel")->text(), QString::fromUtf8("点击填写幼儿园名称"));
    EXPECT_EQ(named<QLineEdit>(ref->frame, "searchEdit")->placeholderText(), QString::fromUtf8("搜索资源"));

    // Background: sky at the top, grass at the bottom, over the whole screen.
    const QColor sky = screen.pixelColor(300, 135); // above the daily grid
    EXPECT_GT(sky.blue(), sky.red() + 40);
    const QColor grass = screen.pixelColor(60, 1070);
    EXPECT_GT(grass.green(), grass.blue() + 60);
    // The round avatar sits on the sky, without a frame around it.
    const QRect avatar = ref->rectOf("avatarBtn");
    const QColor corner = screen.pixelColor(avatar.topLeft() + QPoint(3, 3));
    EXPECT_GT(corner.blue(), 150) << corner.name().toStdString();
    // The school title's green letters are drawn.
    EXPECT_GT(testsupport::colourShare(screen, ref->rectOf("titleLabel").adjusted(60, 10, -60, -10),
                                       QColor("#128A6F"), 40),
              0.05);

    const QImage expected = ref->image();
    ASSERT_TRUE(expected.save(testsupport::screenshotDir() + "/main_1920x1080_reference.png"));
    expectInPlace(screen, expected, topRowAndTabs());
    EXPECT_TRUE(stillRunning(*client));
}

TEST_F(ScreensTest, MainWindowAt1024x768KeepsEverythingOnScreen) {
    startAt({1024, 768});
    ASSERT_TRUE(screen.save(testsupport::screenshotDir() + "/main_1024x768.png"));
    const QImage expected = ref->image();
    expectInPlace(screen, expected, topRowAndTabs());
    // The 4:3 background, not a stretched wide one: the sun keeps its round shape.
    EXPECT_EQ(ref->frame->backgroundPicture(), ":/images/contextpage_background_4x3");
    EXPECT_LT(difference(screen, expected, QRect(0, 0, 1024, 768)), 6.0);
}

// Every tab of the installed client at the three common board sizes. A 4K
// board at 200 % shows the 1080p layout at twice the pixels: scaled down, each
// of its tabs looks like the 1080p one (a layout in device pixels would sit
// small in a corner; blurry pictures or fonts grown alone would differ too).
TEST_F(ScreensTest, EveryTabAt1024x768And1080pAnd4KAtTwiceTheDensity) {
    const QStringList tabs{"dailyBtn", "courseBtn", "packBtn", "favorBtn", "mgmtBtn"};
    // Where each tab button is at 1920x1080, from the layout made here.
    startAt({1920, 1080});
    ContentPage* content = named<ContentPage>(ref->frame, "ContentPage");
    QMap<QString, QPoint> at1080;
    for (const QString& tab : tabs)
        at1080[tab] = centreOf(content->findChild<QWidget*>(tab));
    auto shootTabs = [&](Xvfb& server, const QString& size, qreal scale,
                         const QMap<QString, QPoint>& places) {
        QMap<QString, QImage> shots;
        for (const QString& tab : tabs) {
            const QPoint p = places[tab] * scale;
            EXPECT_TRUE(server.click(p.x(), p.y()));
            const QImage shot = settledScreen(server);
            EXPECT_TRUE(shot.save(QString("%1/tab_%2_%3.png").arg(testsupport::screenshotDir(), tab, size)));
            shots[tab] = shot;
        }
        return shots;
    };
    const QMap<QString, QImage> hd = shootTabs(*x, "1920x1080", 1.0, at1080);
    // The course tab marks today; the daily tab without scenes explains itself.
    EXPECT_TRUE(stillRunning(*client));

    Xvfb big(3840, 2160);
    ASSERT_TRUE(big.isRunning()) << big.error().toStdString();
    InstalledClient board(big, {"QT_SCALE_FACTOR=2"});
    const QString window = big.waitForWindow("TAVINET", 30000);
    ASSERT_FALSE(window.isEmpty()) << board.root.readLog().toStdString();
    ASSERT_TRUE(
        testsupport::waitFor([&] { return big.windowGeometry(window) == QRect(0, 0, 3840, 2160); }, 10000));
    settledScreen(big);
    const QMap<QString, QImage> uhd = shootTabs(big, "3840x2160", 2.0, at1080);
    for (const QString& tab : tabs) {
        const QImage down = uhd[tab]
                                .scaled(1920, 1080, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(hd[tab].size(), QSize(1920, 1080));
        down.save(QString("%1/tab_%2_3840x2160_scaled.png").arg(testsupport::screenshotDir(), tab));
        EXPECT_LT(difference(down, hd[tab], down.rect()), 4.0) << tab.toStdString();
    }
    // The pictures and letters are drawn at the 4K screen's density: its edges
    // are sharper than those of the 1080p screen blown up to the same size.
    const QRect tabBar(ref->rectOf(content->findChild<QWidget*>("dailyBtn")).topLeft() * 2,
                       ref->rectOf(content->findChild<QWidget*>("mgmtBtn")).bottomRight() * 2);
    const QRect title(ref->rectOf("titleLabel").topLeft() * 2, ref->rectOf("titleLabel").size() * 2);
    const QImage blownUp = hd["dailyBtn"].scaled(3840, 2160, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (const QRect& area : {tabBar, title})
        EXPECT_GT(sharpness(uhd["dailyBtn"], area), 1.3 * sharpness(blownUp, area));

    Xvfb small(1024, 768);
    ASSERT_TRUE(small.isRunning()) << small.error().toStdString();
    InstalledClient board4x3(small);
    const QString smallWindow = small.waitForWindow("TAVINET", 30000);
    ASSERT_FALSE(smallWindow.isEmpty());
    ASSERT_TRUE(testsupport::waitFor(
        [&] { return small.windowGeometry(smallWindow) == QRect(0, 0, 1024, 768); }, 10000));
    settledScreen(small);
    ref->frame->resize(1024, 768);
    testsupport::waitFor([&] { return ref->frame->size() == QSize(1024, 768); });
    QCoreApplication::processEvents();
    QMap<QString, QPoint> at768;
    for (const QString& tab : tabs) {
        const QRect r = ref->rectOf(content->findChild<QWidget*>(tab));
        // Nothing runs off the 4:3 screen: the tab bar is whole at the bottom.
        EXPECT_TRUE(QRect(0, 0, 1024, 768).contains(r)) << tab.toStdString();
        at768[tab] = r.center();
    }
    const QMap<QString, QImage> xga = shootTabs(small, "1024x768", 1.0, at768);
    for (const QString& tab : tabs) {
        // The top row and the tab bar where the layout puts them, on every tab.
        content->findChild<QAbstractButton*>(tab)->click();
        QCoreApplication::processEvents();
        expectInPlace(xga[tab].convertToFormat(QImage::Format_RGB32), ref->image(), topRowAndTabs());
    }
}

TEST_F(ScreensTest, ExitQuestionInChineseAndNoKeepsTheClientRunning) {
    startAt({1920, 1080});
    const QPoint close = centreOf(ref->frame->findChild<QWidget*>("closeBtn"));
    ASSERT_TRUE(x->click(close.x(), close.y()));
    const QString box = x->waitForWindow(QString::fromUtf8("^退出$"), 10000);
    ASSERT_FALSE(box.isEmpty()) << "no exit question";
    const QRect boxRect = x->windowGeometry(box);
    EXPECT_TRUE(QRect(0, 0, 1920, 1080).contains(boxRect));
    QThread::msleep(500);
    x->saveScreenshot(testsupport::screenshotDir() + "/exit_question.png");

    // Escape answers No.
    x->xdotool({"mousemove", "--sync", QString::number(boxRect.center().x()),
                QString::number(boxRect.center().y())});
    ASSERT_TRUE(x->key("Escape"));
    EXPECT_TRUE(testsupport::waitFor(
        [&] { return x->waitForWindow(QString::fromUtf8("^退出$"), 1).isEmpty(); }, 5000));
    QThread::msleep(500);
    EXPECT_TRUE(stillRunning(*client));
    EXPECT_FALSE(x->waitForWindow("TAVINET", 2000).isEmpty());

    // Yes ends the client cleanly.
    ASSERT_TRUE(x->click(close.x(), close.y()));
    const QString again = x->waitForWindow(QString::fromUtf8("^退出$"), 10000);
    ASSERT_FALSE(again.isEmpty());
    const QRect againRect = x->windowGeometry(again);
    x->xdotool({"mousemove", "--sync", QString::number(againRect.center().x()),
                QString::number(againRect.center().y())});
    ASSERT_TRUE(x->key("y"));
    ASSERT_TRUE(client->process->waitForFinished(15000));
    EXPECT_EQ(client->process->exitCode(), 0);
    EXPECT_TRUE(client->root.readLog().contains("<<<< exit..."));
}

TEST_F(ScreensTest, HomeButtonShowsTheIndexPageWithItsFiveTiles) {
    startAt({1920, 1080});
    ContentPage* content = named<ContentPage>(ref->frame, "ContentPage");
    const QPoint home = centreOf(content->findChild<QWidget*>("homeBtn"));
    ASSERT_TRUE(x->click(home.x(), home.y()));
    ref->frame->showIndexPage();
    QCoreApplication::processEvents();
    const QImage shot = settledScreen(*x);
    ASSERT_TRUE(shot.save(testsupport::screenshotDir() + "/index_1920x1080.png"));
    const QImage expected = ref->image();
    QList<QPair<QString, QRect>> tiles;
    for (const char* name : {"dailyBtn", "courseBtn", "packBtn", "favorBtn", "mgmtBtn"})
        tiles << qMakePair(QString(name),
                           ref->rectOf(named<IndexPage>(ref->frame, "IndexPage")->findChild<QWidget*>(name)));
    expectInPlace(shot, expected, tiles);
    // The tiles' labels are the Chinese ones, in white.
    auto* daily = named<IndexPage>(ref->frame, "IndexPage")->findChild<QPushButton*>("dailyBtn");
    EXPECT_EQ(daily->text(), QString::fromUtf8("一日生活"));
    EXPECT_GT(testsupport::colourShare(shot, ref->rectOf(daily).adjusted(80, 100, -80, -100), Qt::white, 30),
              0.05);

    // A tile leads back to the content page with its form.
    const QPoint pack = centreOf(named<IndexPage>(ref->frame, "IndexPage")->findChild<QWidget*>("packBtn"));
    ASSERT_TRUE(x->click(pack.x(), pack.y()));
    named<IndexPage>(ref->frame, "IndexPage")->open(ContentPage::Pack);
    QCoreApplication::processEvents();
    const QImage back = settledScreen(*x);
    const QImage expectedBack = ref->image();
    expectInPlace(back, expectedBack,
                  {qMakePair(QString("packBtn"), ref->rectOf(content->findChild<QWidget*>("packBtn"))),
                   qMakePair(QString("dailyBtn"), ref->rectOf(content->findChild<QWidget*>("dailyBtn")))});
}

TEST_F(ScreensTest, StoreDialogFromThePackTabShowsAReadableCode) {
    startAt({1920, 1080});
    ContentPage* content = named<ContentPage>(ref->frame, "ContentPage");
    const QPoint packTab = centreOf(content->findChild<QWidget*>("packBtn"));
    ASSERT_TRUE(x->click(packTab.x(), packTab.y()));
    content->showForm(ContentPage::Pack);
    QCoreApplication::processEvents();
    QToolButton* download = nullptr;
    for (QToolButton* b : content->form(ContentPage::Pack)->findChildren<QToolButton*>())
        if (b->styleSheet().contains(":/images/download_pack"))
            download = b;
    ASSERT_NE(download, nullptr);
    settledScreen(*x);
    const QPoint at = centreOf(download);
    ASSERT_TRUE(x->click(at.x(), at.y()));
    const QString store = x->waitForWindow(QString::fromUtf8("^资源商店$"), 10000);
    ASSERT_FALSE(store.isEmpty()) << "no store dialog";
    const QRect r = x->windowGeometry(store);
    EXPECT_EQ(r.size(), QSize(339, 338));
    EXPECT_TRUE(QRect(0, 0, 1920, 1080).contains(r));
    const QImage shot = settledScreen(*x);
    ASSERT_TRUE(shot.save(testsupport::screenshotDir() + "/store_dialog_1920x1080.png"));
    const QImage dialog = shot.copy(r);
    const QString crop = testsupport::screenshotDir() + "/store_dialog.png";
    ASSERT_TRUE(dialog.save(crop));
    const testsupport::ProcessResult decoded = testsupport::run("zbarimg", {"--raw", "-q", crop});
    EXPECT_EQ(decoded.out.trimmed(), QString(kStoreAddress));
    // The white labels and the visit button's Chinese text are drawn on the dialog.
    EXPECT_GT(testsupport::distinctColours(dialog, dialog.rect(), 64), 32);
    x->xdotool({"mousemove", "--sync", QString::number(r.center().x()), QString::number(r.center().y())});
    x->key("Escape");
    EXPECT_TRUE(testsupport::waitFor(
        [&] { return x->waitForWindow(QString::fromUtf8("^资源商店$"), 1).isEmpty(); }, 5000));
    EXPECT_TRUE(stillRunning(*client));
}

} // namespace
