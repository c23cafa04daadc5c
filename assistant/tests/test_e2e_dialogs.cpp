// The list dialogs stay in front of the main window on a desktop with a
// window manager (openbox under Xvfb): opened from the pack tab, after a
// click on the blocked main window, and after a book that covered the screen
// has ended. A dialog behind the window leaves a teacher with a client that
// looks dead.

#include "support/e2esupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// The managed windows from bottom to top, as the window manager stacks them.
QStringList stacking(const Xvfb& x) {
    const ProcessResult r = run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"}, 10000, x.env());
    QStringList ids;
    const QString list = r.out.section('#', 1);
    for (const QString& hex : list.split(',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const qulonglong id = hex.trimmed().toULongLong(&ok, 16);
        if (ok)
            ids << QString::number(id);
    }
    return ids;
}

// The client's visible window of the given size (the dialog is 960x500, the main window the screen).
QString windowOfSize(const Xvfb& x, qint64 pid, const QSize& size) {
    const QStringList ids = x.xdotool({"search", "--onlyvisible", "--pid", QString::number(pid)})
                                .out.split('\n', Qt::SkipEmptyParts);
    for (const QString& id : ids)
        if (x.windowGeometry(id.trimmed()).size() == size)
            return id.trimmed();
    return QString();
}

} // namespace

TEST(DialogsOnTop, TheAppListStaysAboveTheMainWindowThroughClicksAndABook) {
    Xvfb xvfb(1920, 1080);
    ASSERT_TRUE(xvfb.isRunning()) << qPrintable(xvfb.error());
    TempRoot root;
    ASSERT_EQ(run("cmake", {"--install", TAVI_BINARY_DIR, "--prefix", root.root()}, 120000).exitCode, 0);
    const QString content = root.path("content");
    ASSERT_EQ(run(root.appDir() + "/tools/democontent", {content}, 180000).exitCode, 0);
    ASSERT_EQ(run(root.clientExe(), {"--setup", "--packdir", content + "/packs"}, 180000,
                  clientEnv(root.path("tmp")), root.appDir())
                  .exitCode,
              0);
    const QString db = root.dataDir() + "/main.db";
    const QString packIcon = catalogueValue(db, "select icon from PackTbl where name like 'Happy Meadow%'");
    const QString bookIcon =
        catalogueValue(db, "select icon from AppTbl where proType='books' and name like 'Happy%'");

    QProcess* wm = xvfb.start("openbox", {"--sm-disable"});
    ASSERT_TRUE(wm->waitForStarted(10000));
    ASSERT_TRUE(waitFor(
        [&] {
            return !run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, 5000, xvfb.env())
                        .out.contains("not found");
        },
        10000));
    QProcess* client =
        xvfb.start(root.clientExe(), {},
                   {"TMPDIR=" + root.path("tmp"), "XDG_RUNTIME_DIR=" + root.path("tmp")}, root.appDir());
    ASSERT_TRUE(client->waitForStarted(10000));
    QString mainWindow;
    ASSERT_TRUE(waitFor(
        [&] {
            return !(mainWindow = windowOfSize(xvfb, client->processId(), {1920, 1080})).isEmpty();
        },
        30000));

    ASSERT_TRUE(clickPicture(xvfb, QPixmap(":/images/content_pack").toImage(), "pack tab", "top_1_main.png"));
    ASSERT_TRUE(clickPicture(xvfb, QImage(root.dataDir() + "/packicons/" + packIcon), "demo pack",
                             "top_2_pack_tab.png"));
    QString dialog;
    ASSERT_TRUE(waitFor(
        [&] {
            return !(dialog = windowOfSize(xvfb, client->processId(), {960, 500})).isEmpty();
        },
        20000))
        << "no app list dialog";
    auto dialogOnTop = [&]() {
        const QStringList order = stacking(xvfb);
        return order.indexOf(dialog) > order.indexOf(mainWindow) && order.indexOf(mainWindow) >= 0;
    };
    EXPECT_TRUE(waitFor(dialogOnTop, 5000)) << "the app list opened behind the main window";
    // Every window manager keeps a window above the one it is transient for;
    // "transient for the whole group" (what Qt says of a parentless dialog)
    // some of them ignore once the full-screen window has the focus again.
    const QString transientFor =
        run("xprop", {"-id", dialog, "WM_TRANSIENT_FOR"}, 10000, xvfb.env()).out.section('#', 1).trimmed();
    EXPECT_EQ(QString::number(transientFor.toULongLong(nullptr, 16)), mainWindow)
        << "the dialog is not transient for the main window: " << transientFor.toStdString();

    // A click on the blocked main window (its sky, far from the dialog) must not bury the dialog.
    ASSERT_TRUE(xvfb.click(1800, 400));
    QThread::msleep(500);
    EXPECT_TRUE(dialogOnTop()) << "a click on the main window put it over the dialog";
    xvfb.saveScreenshot(screenshotDir() + "/top_3_after_click.png");

    // A book covers the screen and ends; the dialog is in front again, and it has the keyboard.
    ASSERT_TRUE(
        clickPicture(xvfb, QImage(root.dataDir() + "/appicons/" + bookIcon), "book", "top_4_dialog.png"));
    ASSERT_TRUE(waitFor([&] { return engineLog(root).contains("run:"); }, 60000)) << "the book did not start";
    const QString bookPath =
        catalogueValue(db, "select path from AppTbl where proType='books' and name like 'Happy%'");
    const QString bookDir = bookFolder(unpackedFolder(root, bookPath));
    const QPoint exitButton = buttonCentre(bookDir, 0, "button_exit", xvfb.screenSize());
    ASSERT_GE(exitButton.x(), 0);
    QThread::msleep(1500); // the page is up
    ASSERT_TRUE(xvfb.click(exitButton.x(), exitButton.y()));
    ASSERT_TRUE(waitFor([&] { return engineLog(root).contains("<<<< exit"); }, 20000))
        << "the book did not end";
    EXPECT_TRUE(waitFor(dialogOnTop, 5000)) << "after the book the dialog is behind the main window";
    EXPECT_TRUE(waitFor([&] { return xvfb.xdotool({"getactivewindow"}).out.trimmed() == dialog; }, 5000))
        << "the dialog does not have the keyboard after the book";
    xvfb.saveScreenshot(screenshotDir() + "/top_5_after_book.png");

    // The search results are such a list too, and the initials of the book's
    // Chinese name (快乐草地: klcd) find it there.
    ASSERT_TRUE(xvfb.key("Escape"));
    ASSERT_TRUE(waitFor(
        [&] {
            return windowOfSize(xvfb, client->processId(), {960, 500}).isEmpty();
        },
        10000))
        << "the pack's list did not close";
    const QImage magnifier = QPixmap(":/images/magnifier").toImage();
    QPoint at(-1, -1);
    waitForScreen(xvfb, [&](const QImage& s) { return (at = findPicture(s, magnifier)).x() >= 0; });
    ASSERT_GE(at.x(), 0) << "no search field on screen";
    ASSERT_TRUE(
        xvfb.click(at.x() - 60, at.y() + magnifier.height() / 2)); // into the field, left of the magnifier
    ASSERT_EQ(xvfb.xdotool({"type", "--delay", "80", "klcd"}).exitCode, 0);
    ASSERT_TRUE(clickPicture(xvfb, magnifier, "magnifier", "top_6_search_typed.png"));
    ASSERT_TRUE(waitFor(
        [&] {
            return !(dialog = windowOfSize(xvfb, client->processId(), {960, 500})).isEmpty();
        },
        20000))
        << "no search results";
    EXPECT_TRUE(waitFor(dialogOnTop, 5000)) << "the search results opened behind the main window";
    const QImage results = waitForScreen(xvfb, [&](const QImage& s) {
        return findPicture(s, QImage(root.dataDir() + "/appicons/" + bookIcon)).x() >= 0;
    });
    results.save(screenshotDir() + "/top_7_search_results.png");
    EXPECT_GE(findPicture(results, QImage(root.dataDir() + "/appicons/" + bookIcon)).x(), 0)
        << "the search for klcd did not list the book (top_7_search_results.png)";

    ::kill(client->processId(), SIGTERM);
    EXPECT_TRUE(client->waitForFinished(15000));
}
