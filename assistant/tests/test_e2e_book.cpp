// The whole road as a person takes it, on a real installation under Xvfb: the
// set-up run preinstalls the demo packs; in the full-screen client a click on
// the pack tab, on a pack and on a book starts the engine on the unpacked book;
// the book shows its first page; its exit button ends it, and another book opens.

#include "support/testsupport.h"
#include "support/xvfb.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// One row of the installed catalogue, read with the sqlite3 program.
QString catalogueValue(const QString& db, const QString& sql) {
    return run("sqlite3", {db, sql}).out.trimmed();
}

// Where a button of a book page lies on a screen of the given size: design
// units from the top left, scaled uniformly and centred (show-all).
QPoint buttonCentre(const QString& bookDir, int page, const QString& name, const QSize& screen) {
    const QJsonObject game = QJsonDocument::fromJson(readFile(bookDir + "/json/game_json.txt").toUtf8()).object();
    const double w = game["scene_width"].toString().toDouble(), h = game["scene_height"].toString().toDouble();
    const QJsonObject scene =
        QJsonDocument::fromJson(readFile(bookDir + QString("/json/scene_json%1.txt").arg(page)).toUtf8())
            .object()["scene"]
            .toObject();
    for (const QJsonValue& b : scene["button"].toArray()) {
        if (b.toObject()["button_name"].toString() != name)
            continue;
        const QStringList r = b.toObject()["button_rect"].toString().split(',');
        const double scale = std::min(screen.width() / w, screen.height() / h);
        const double left = (screen.width() - w * scale) / 2, top = (screen.height() - h * scale) / 2;
        const double cx = r[0].toDouble() + r[2].toDouble() / 2, cy = r[1].toDouble() + r[3].toDouble() / 2;
        return QPoint(int(left + cx * scale), int(top + cy * scale));
    }
    return QPoint(-1, -1);
}

// Share of sample points where the screen shows the page's background picture
// (scaled the show-all way); sprites and animation cover only a part of it.
double backgroundMatch(const QImage& screen, const QImage& background) {
    const double scale = std::min(screen.width() / double(background.width()),
                                  screen.height() / double(background.height()));
    const double left = (screen.width() - background.width() * scale) / 2;
    const double top = (screen.height() - background.height() * scale) / 2;
    int hits = 0, samples = 0;
    for (int y = 20; y < background.height(); y += 37) {
        for (int x = 20; x < background.width(); x += 41) {
            const QColor want(background.pixel(x, y));
            const QColor got(screen.pixel(int(left + x * scale), int(top + y * scale)));
            ++samples;
            if (qAbs(want.red() - got.red()) + qAbs(want.green() - got.green()) + qAbs(want.blue() - got.blue()) < 60)
                ++hits;
        }
    }
    return samples ? double(hits) / samples : 0.0;
}

QString engineLog(const TempRoot& root) {
    return readFile(root.appDir() + "/engine/taviengine.log") + readFile(root.appDir() + "/engine2/taviengine.log");
}

// Clicks the centre of a picture once it shows on screen.
bool clickPicture(const Xvfb& xvfb, const QImage& picture, const char* what, const QString& shotName) {
    QPoint at(-1, -1);
    const QImage shot = waitForScreen(xvfb, [&](const QImage& s) {
        at = findPicture(s, picture);
        return at.x() >= 0;
    });
    shot.save(screenshotDir() + "/" + shotName);
    if (at.x() < 0) {
        ADD_FAILURE() << what << " not found on screen (" << qPrintable(shotName) << ")";
        return false;
    }
    return xvfb.click(at.x() + picture.width() / 2, at.y() + picture.height() / 2);
}

// The folder an installed book resource was unpacked into, and the folder
// below it that holds the book.
QString unpackedFolder(const TempRoot& root, const QString& path) {
    return QFileInfo(root.dataDir() + "/apps/" + path).absolutePath() + "/" + QFileInfo(path).baseName();
}
QString bookFolder(const QString& unpacked) {
    if (QFileInfo::exists(unpacked + "/tavigame.dat"))
        return unpacked;
    for (const QString& sub : QDir(unpacked).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (QFileInfo::exists(unpacked + "/" + sub + "/tavigame.dat"))
            return unpacked + "/" + sub;
    return QString();
}

} // namespace

TEST(WholeRoad, FromPackToPageAndBack) {
    Xvfb xvfb(1920, 1080);
    ASSERT_TRUE(xvfb.isRunning()) << qPrintable(xvfb.error());
    TempRoot root;
    const ProcessResult install =
        run("cmake", {"--install", TAVI_BINARY_DIR, "--prefix", root.root()}, 120000);
    ASSERT_EQ(install.exitCode, 0) << qPrintable(install.err);
    ASSERT_TRUE(QFileInfo(root.appDir() + "/engine/taviplay").isExecutable());

    const QString content = root.path("content");
    const ProcessResult demo = run(root.appDir() + "/tools/democontent", {content}, 180000);
    ASSERT_EQ(demo.exitCode, 0) << qPrintable(demo.err);
    const ProcessResult setup = run(root.clientExe(),
                                    {"--setup", "--packdir", content + "/packs", "--dailyscenedir", content + "/daily"},
                                    180000, clientEnv(root.path("tmp")), root.appDir());
    ASSERT_EQ(setup.exitCode, 0) << qPrintable(setup.err);

    const QString db = root.dataDir() + "/main.db";
    const QString packIcon = catalogueValue(db, "select icon from PackTbl where name like 'Happy Meadow%'");
    const QString bookIcon = catalogueValue(db, "select icon from AppTbl where proType='books' and name like 'Happy%'");
    const QString bookPath = catalogueValue(db, "select path from AppTbl where proType='books' and name like 'Happy%'");
    const QString coursewareIcon = catalogueValue(db, "select icon from AppTbl where proType='courseware'");
    const QString coursewarePath = catalogueValue(db, "select path from AppTbl where proType='courseware'");
    ASSERT_FALSE(packIcon.isEmpty());
    ASSERT_FALSE(bookPath.isEmpty());

    QProcess* client = xvfb.start(root.clientExe(), {}, {"TMPDIR=" + root.path("tmp"), "XDG_RUNTIME_DIR=" + root.path("tmp")},
                                  root.appDir());
    ASSERT_TRUE(client->waitForStarted(10000));
    const QString mainWindow = xvfb.waitForWindow(".+");
    ASSERT_FALSE(mainWindow.isEmpty());
    EXPECT_EQ(xvfb.windowGeometry(mainWindow).size(), QSize(1920, 1080)) << "the client is not full screen";

    ASSERT_TRUE(clickPicture(xvfb, QPixmap(":/images/content_pack").toImage(), "pack tab", "road_1_main.png"));
    ASSERT_TRUE(clickPicture(xvfb, QImage(root.dataDir() + "/packicons/" + packIcon), "demo pack",
                             "road_2_pack_tab.png"));
    ASSERT_TRUE(clickPicture(xvfb, QImage(root.dataDir() + "/appicons/" + bookIcon), "book",
                             "road_3_pack_apps.png"));

    // The engine runs on the book unpacked beside its archive.
    const QString unpacked = unpackedFolder(root, bookPath);
    ASSERT_TRUE(waitFor([&] { return engineLog(root).contains("run:"); }, 60000)) << "the engine did not start";
    const QString log = engineLog(root);
    EXPECT_TRUE(log.contains("run:" + unpacked + "/")) << qPrintable(log.right(2000));

    // Page 0 on screen.
    const QString bookDir = bookFolder(unpacked);
    ASSERT_FALSE(bookDir.isEmpty());
    const QJsonObject page0 =
        QJsonDocument::fromJson(readFile(bookDir + "/json/scene_json0.txt").toUtf8()).object()["scene"].toObject();
    const QImage background(bookDir + "/" + page0["scene_picture_file"].toString());
    ASSERT_FALSE(background.isNull());
    QImage shot = waitForScreen(xvfb, [&](const QImage& s) { return backgroundMatch(s, background) > 0.6; }, 30000);
    shot.save(screenshotDir() + "/road_4_book_page0.png");
    EXPECT_GT(backgroundMatch(shot, background), 0.6) << "the book's first page is not on screen";

    // The exit button ends the engine; the client is still there.
    const QPoint exitButton = buttonCentre(bookDir, 0, "button_exit", xvfb.screenSize());
    ASSERT_GE(exitButton.x(), 0);
    ASSERT_TRUE(xvfb.click(exitButton.x(), exitButton.y()));
    ASSERT_TRUE(waitFor([&] { return engineLog(root).count("<<<< exit") == 1; }, 20000))
        << "the exit button did not end the engine";
    EXPECT_EQ(client->state(), QProcess::Running);

    // And another book opens.
    ASSERT_FALSE(coursewareIcon.isEmpty());
    ASSERT_TRUE(clickPicture(xvfb, QImage(root.dataDir() + "/appicons/" + coursewareIcon), "courseware",
                             "road_5_back_in_client.png"));
    ASSERT_TRUE(waitFor([&] { return engineLog(root).count("run:") == 2; }, 60000)) << "no second book";
    const QString second = bookFolder(unpackedFolder(root, coursewarePath));
    ASSERT_FALSE(second.isEmpty());
    EXPECT_TRUE(engineLog(root).contains("run:" + unpackedFolder(root, coursewarePath)));
    const QJsonObject secondPage0 =
        QJsonDocument::fromJson(readFile(second + "/json/scene_json0.txt").toUtf8()).object()["scene"].toObject();
    const QImage secondBackground(second + "/" + secondPage0["scene_picture_file"].toString());
    shot = waitForScreen(xvfb, [&](const QImage& s) { return backgroundMatch(s, secondBackground) > 0.6; }, 30000);
    shot.save(screenshotDir() + "/road_6_second_book.png");
    EXPECT_GT(backgroundMatch(shot, secondBackground), 0.6) << "the second book's first page is not on screen";
    const QPoint secondExit = buttonCentre(second, 0, "button_exit", xvfb.screenSize());
    ASSERT_GE(secondExit.x(), 0);
    ASSERT_TRUE(xvfb.click(secondExit.x(), secondExit.y()));
    EXPECT_TRUE(waitFor([&] { return engineLog(root).count("<<<< exit") == 2; }, 20000));

    ::kill(client->processId(), SIGTERM);
    EXPECT_TRUE(client->waitForFinished(15000));
    EXPECT_TRUE(root.readLog().contains("<<<< exit..."));
}
