// The whole road as a person takes it, on a real installation under Xvfb: the
// set-up run preinstalls the demo packs; in the full-screen client a click on
// the pack tab, on a pack and on a book starts the engine on the unpacked book;
// the book shows its first page; its exit button ends it, and another book opens.

#include "support/e2esupport.h"

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
    const ProcessResult setup = run(
        root.clientExe(), {"--setup", "--packdir", content + "/packs", "--dailyscenedir", content + "/daily"},
        180000, clientEnv(root.path("tmp")), root.appDir());
    ASSERT_EQ(setup.exitCode, 0) << qPrintable(setup.err);

    const QString db = root.dataDir() + "/main.db";
    const QString packIcon = catalogueValue(db, "select icon from PackTbl where name like 'Happy Meadow%'");
    const QString bookIcon =
        catalogueValue(db, "select icon from AppTbl where proType='books' and name like 'Happy%'");
    const QString bookPath =
        catalogueValue(db, "select path from AppTbl where proType='books' and name like 'Happy%'");
    const QString coursewareIcon = catalogueValue(db, "select icon from AppTbl where proType='courseware'");
    const QString coursewarePath = catalogueValue(db, "select path from AppTbl where proType='courseware'");
    ASSERT_FALSE(packIcon.isEmpty());
    ASSERT_FALSE(bookPath.isEmpty());

    QProcess* client =
        xvfb.start(root.clientExe(), {},
                   {"TMPDIR=" + root.path("tmp"), "XDG_RUNTIME_DIR=" + root.path("tmp")}, root.appDir());
    ASSERT_TRUE(client->waitForStarted(10000));
    const QString mainWindow = xvfb.waitForWindow(".+");
    ASSERT_FALSE(mainWindow.isEmpty());
    EXPECT_EQ(xvfb.windowGeometry(mainWindow).size(), QSize(1920, 1080)) << "the client is not full screen";

    ASSERT_TRUE(
        clickPicture(xvfb, QPixmap(":/images/content_pack").toImage(), "pack tab", "road_1_main.png"));
    ASSERT_TRUE(clickPicture(xvfb, QImage(root.dataDir() + "/packicons/" + packIcon), "demo pack",
                             "road_2_pack_tab.png"));
    ASSERT_TRUE(
        clickPicture(xvfb, QImage(root.dataDir() + "/appicons/" + bookIcon), "book", "road_3_pack_apps.png"));

    // The engine runs on the book unpacked beside its archive.
    const QString unpacked = unpackedFolder(root, bookPath);
    ASSERT_TRUE(waitFor([&] { return engineLog(root).contains("run:"); }, 60000))
        << "the engine did not start";
    const QString log = engineLog(root);
    EXPECT_TRUE(log.contains("run:" + unpacked + "/")) << qPrintable(log.right(2000));

    // Page 0 on screen.
    const QString bookDir = bookFolder(unpacked);
    ASSERT_FALSE(bookDir.isEmpty());
    const QJsonObject page0 = QJsonDocument::fromJson(readFile(bookDir + "/json/scene_json0.txt").toUtf8())
                                  .object()["scene"]
                                  .toObject();
    const QImage background(bookDir + "/" + page0["scene_picture_file"].toString());
    ASSERT_FALSE(background.isNull());
    QImage shot = waitForScreen(
        xvfb, [&](const QImage& s) { return backgroundMatch(s, background) > 0.6; }, 30000);
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
        QJsonDocument::fromJson(readFile(second + "/json/scene_json0.txt").toUtf8())
            .object()["scene"]
            .toObject();
    const QImage secondBackground(second + "/" + secondPage0["scene_picture_file"].toString());
    shot = waitForScreen(
        xvfb, [&](const QImage& s) { return backgroundMatch(s, secondBackground) > 0.6; }, 30000);
    shot.save(screenshotDir() + "/road_6_second_book.png");
    EXPECT_GT(backgroundMatch(shot, secondBackground), 0.6)
        << "the second book's first page is not on screen";
    const QPoint secondExit = buttonCentre(second, 0, "button_exit", xvfb.screenSize());
    ASSERT_GE(secondExit.x(), 0);
    ASSERT_TRUE(xvfb.click(secondExit.x(), secondExit.y()));
    EXPECT_TRUE(waitFor([&] { return engineLog(root).count("<<<< exit") == 2; }, 20000));

    ::kill(client->processId(), SIGTERM);
    EXPECT_TRUE(client->waitForFinished(15000));
    EXPECT_TRUE(root.readLog().contains("<<<< exit..."));
}
