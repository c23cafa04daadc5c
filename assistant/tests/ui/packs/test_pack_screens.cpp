// The pack tab in a real window: the client set up with two preinstalled packs
// runs under Xvfb at 1920x1080; a person's clicks open the pack tab and one
// pack, and the screenshots are checked for the pictures that must be there.

#include "support/packsupport.h"
#include "support/testsupport.h"
#include "support/xvfb.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

using testsupport::findPicture;
using testsupport::waitForScreen;
using testsupport::Xvfb;

namespace {

// Solid pictures of colours found nowhere else on screen, so the test can find them.
const QColor kAnimalsPack(250, 0, 250);
const QColor kSongsPack(0, 250, 250);
const QList<QColor> kAnimalApps{QColor(250, 130, 0), QColor(0, 130, 120), QColor(120, 0, 200)};

void writeSolid(const QString& path, const QColor& colour) {
    QImage image(128, 128, QImage::Format_RGB32);
    image.fill(colour);
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(image.save(path, "PNG"));
}

// The bounding box of the pixels of exactly one colour, and how many there are.
QRect colourBox(const QImage& screen, const QColor& colour, int* count = nullptr) {
    const QImage s = screen.convertToFormat(QImage::Format_RGB32);
    const QRgb want = colour.rgb() & 0xFFFFFF;
    QRect box;
    int n = 0;
    for (int y = 0; y < s.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(s.constScanLine(y));
        for (int x = 0; x < s.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == want) {
                box |= QRect(x, y, 1, 1);
                ++n;
            }
        }
    }
    if (count)
        *count = n;
    return box;
}

bool showsWhole(const QImage& shot, const QColor& colour) {
    int count = 0;
    const QRect box = colourBox(shot, colour, &count);
    return box.size() == QSize(128, 128) && count == 128 * 128;
}

} // namespace

TEST(PackTabScreens, PackAppListOnAnInstallationWithTwoPreinstalledPacks) {
    Xvfb xvfb(1920, 1080);
    ASSERT_TRUE(xvfb.isRunning()) << qPrintable(xvfb.error());
    testsupport::TempRoot root;
    root.installClient();
    // The Chinese the user reads, when the build made it.
    for (const QString& qm : QDir(TAVI_CLIENT_BUILD_DIR).entryList({"*.qm"}, QDir::Files))
        QFile::copy(QString(TAVI_CLIENT_BUILD_DIR) + "/" + qm, root.appDir() + "/" + qm);

    // Two packs with pictures of their own, the way a publisher ships them.
    const QString packDir = root.path("preinstall");
    {
        packsupport::PackSource animals(root.path("src/animals"), "animals", QString::fromUtf8("动物乐园"),
                                        "art/animals.png");
        writeSolid(animals.dir() + "/art/animals.png", kAnimalsPack);
        const QStringList names{QString::fromUtf8("小猫钓鱼"), QString::fromUtf8("小熊过河"),
                                QString::fromUtf8("龟兔赛跑")};
        for (int i = 0; i < 3; ++i) {
            const QString icon = QString("art/app%1.png").arg(i);
            writeSolid(animals.dir() + "/" + icon, kAnimalApps[i]);
            animals.add(
                packsupport::resource(5001 + i, names[i], "books", QString("books/%1.zip").arg(i), icon));
        }
        packsupport::PackSource songs(root.path("src/songs"), "songs", QString::fromUtf8("快乐儿歌"),
                                      "art/songs.png");
        writeSolid(songs.dir() + "/art/songs.png", kSongsPack);
        songs.add(packsupport::resource(6001, QString::fromUtf8("两只老虎"), "music", "music/tigers.mp3"));
        ASSERT_EQ(animals.build(packDir + "/animals.tvp").exitCode, 0);
        ASSERT_EQ(songs.build(packDir + "/songs.tvp").exitCode, 0);
    }
    const testsupport::ProcessResult setup =
        testsupport::run(root.clientExe(), {"-setup", "-packdir", packDir}, 120000,
                         testsupport::clientEnv(root.path("tmp")), root.appDir());
    ASSERT_EQ(setup.exitCode, 0) << qPrintable(setup.err);

    xvfb.start(root.clientExe(), {}, {"TMPDIR=" + root.path("tmp"), "XDG_RUNTIME_DIR=" + root.path("tmp")},
               root.appDir());

    // The pack tab, found by its picture in the tab bar.
    const QImage packTab = QPixmap(":/images/content_pack").toImage();
    ASSERT_FALSE(packTab.isNull());
    QPoint tab(-1, -1);
    QImage shot = waitForScreen(xvfb, [&](const QImage& s) {
        tab = findPicture(s, packTab);
        return tab.x() >= 0;
    });
    ASSERT_GE(tab.x(), 0) << "no pack tab on screen";
    ASSERT_TRUE(xvfb.click(tab.x() + 75, tab.y() + 30));

    // Both packs in the grid, their pictures whole.
    shot = waitForScreen(
        xvfb, [](const QImage& s) { return showsWhole(s, kAnimalsPack) && showsWhole(s, kSongsPack); });
    shot.save(testsupport::screenshotDir() + "/pack_tab_1920x1080.png");
    ASSERT_TRUE(showsWhole(shot, kAnimalsPack)) << "the animals pack is not shown whole";
    ASSERT_TRUE(showsWhole(shot, kSongsPack)) << "the songs pack is not shown whole";

    // A click on the animals pack opens its apps.
    const QRect pack = colourBox(shot, kAnimalsPack);
    ASSERT_TRUE(xvfb.click(pack.center().x(), pack.center().y()));
    shot = waitForScreen(xvfb, [](const QImage& s) {
        for (const QColor& c : kAnimalApps)
            if (!showsWhole(s, c))
                return false;
        return true;
    });
    ASSERT_TRUE(shot.save(testsupport::screenshotDir() + "/pack_app_list_1920x1080.png"));

    // The dialog is a window of its own, 960x500, in front of the main window.
    QRect dialog;
    for (const QString& id :
         xvfb.xdotool({"search", "--onlyvisible", "--name", "."}).out.split('\n', Qt::SkipEmptyParts)) {
        const QRect geometry = xvfb.windowGeometry(id.trimmed());
        if (geometry.size() == QSize(960, 500))
            dialog = geometry;
    }
    ASSERT_FALSE(dialog.isNull()) << "no 960x500 dialog window";
    QList<QRect> icons;
    for (const QColor& c : kAnimalApps) {
        ASSERT_TRUE(showsWhole(shot, c)) << "an app icon is missing or clipped";
        icons << colourBox(shot, c);
        EXPECT_TRUE(dialog.contains(icons.last())) << "an app icon lies outside the dialog";
    }
    // Ordered by name as read aloud (龟 gui, 猫 mao, 熊 xiong; by code point it
    // would be 熊 猫 龟), left to right on one row.
    EXPECT_EQ(icons[0].top(), icons[2].top());
    EXPECT_LT(icons[2].left(), icons[0].left());
    EXPECT_LT(icons[0].left(), icons[1].left());
    // Each name is written (in white) under its icon.
    for (const QRect& icon : icons) {
        const QRect nameArea(icon.left(), icon.top() + 138, 147, 36);
        int light = 0;
        for (int y = nameArea.top(); y <= nameArea.bottom(); ++y) {
            for (int x = nameArea.left(); x <= nameArea.right(); ++x) {
                const QColor c(shot.pixel(x, y));
                light += c.red() > 220 && c.green() > 220 && c.blue() > 220 ? 1 : 0;
            }
        }
        EXPECT_GT(light, 40) << "no name under an icon";
    }
    // The dialog's own pictures, each drawn at its natural size.
    for (const char* picture : {":/images/frame_close", ":/images/left", ":/images/right", ":/images/trash",
                                ":/images/favor_off", ":/images/course_add"}) {
        const QPoint at = findPicture(shot.copy(dialog), QPixmap(picture).toImage(), 40);
        EXPECT_GE(at.x(), 0) << picture << " is not in the dialog";
    }
}
