// What the client's look is made of: every picture the code names resolves in
// the built resources at the size it is shown at, the style sheet's rules take
// effect, and every text the user reads has its Chinese.

#include "support/testsupport.h"
#include "ui/frame/mainframe.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMovie>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

// Every ":/images/..." name the client uses, with the size it is drawn at
// (an empty size where the picture is scaled to whatever holds it).
struct Picture {
    QString name;
    QSize shown;
};

QList<Picture> allPictures() {
    QList<Picture> list = {
        // main window
        {"contextpage_background_5x4", {}},
        {"contextpage_background_4x3", {}},
        {"contextpage_background_16x10", {}},
        {"contextpage_background_5x3", {}},
        {"contextpage_background_16x9", {}},
        {"defaultavatar", {128, 128}},
        {"title_background", {500, 50}},
        {"magnifier", {30, 30}},
        {"frame_min", {30, 30}},
        {"frame_close", {30, 30}},
        {"index_1_1", {349, 270}},
        {"index_1_2", {349, 270}},
        {"index_2_1", {261, 168}},
        {"index_2_2", {254, 168}},
        {"index_2_3", {185, 168}},
        {"content_home", {40, 40}},
        // resource lists and pack view
        {"app_background", {960, 500}},
        {"center_widget_background", {}},
        {"left", {26, 45}},
        {"right", {26, 45}},
        {"trash", {16, 16}},
        {"course_add", {16, 16}},
        {"favor_on", {16, 16}},
        {"favor_off", {16, 16}},
        {"custom_pack_icon", {128, 128}},
        {"download_pack", {119, 42}},
        {"import_pack", {119, 42}},
        {"make_pack", {119, 42}},
        // store and registration dialogs
        {"store_dialog_background", {339, 338}},
        {"close_mid", {24, 24}},
        {"visit_store", {230, 60}},
        {"store_qr", {120, 120}},
        // profile page
        {"profileComboBox_drop-arrow", {}},
        {"qq_group", {}},
        {"wechat_account", {}},
        // course views
        {"this_week", {54, 144}},
        {"this_week_checked", {54, 144}},
        {"next_week", {54, 144}},
        {"next_week_checked", {54, 144}},
        {"day", {80, 32}},
        {"select_course_day_background", {440, 256}},
        {"select_course_day_close", {32, 32}},
        {"select_course_this_week", {32, 86}},
        {"select_course_next_week", {32, 86}},
        {"select_course_day_added", {32, 86}},
        // daily scenes
        {"daily_add", {28, 28}},
        {"custom_scene_icon", {128, 128}},
        {"edit", {16, 16}},
        {"playlist_add", {20, 20}},
        {"playlist_remove", {20, 20}},
        {"playlist_up", {20, 20}},
        {"playlist_down", {20, 20}},
        // busy indicator of the background jobs
        {"loading", {47, 45}},
    };
    for (const char* area : {"daily", "course", "pack", "favor", "mgmt"}) {
        list << Picture{QString("content_%1").arg(area), {150, 60}};
        list << Picture{QString("content_%1_checked").arg(area), {150, 60}};
    }
    for (int day = 1; day <= 7; ++day) {
        list << Picture{QString("course_day%1").arg(day), {54, 144}};
        list << Picture{QString("select_course_day%1").arg(day), {32, 86}};
    }
    return list;
}

TEST(Pictures, EveryNameTheClientUsesResolvesAtItsShownSize) {
    const QList<Picture> pictures = allPictures();
    EXPECT_EQ(pictures.size(), 77);
    QStringList missing;
    for (const Picture& p : pictures) {
        const QString path = ":/images/" + p.name;
        if (!QFile::exists(path)) {
            missing << p.name;
            continue;
        }
        const QPixmap pixmap(path);
        EXPECT_FALSE(pixmap.isNull()) << p.name.toStdString();
        // Drawn at the size it is shown at: no blur from scaling, no squashed shapes.
        if (p.shown.isValid()) {
            EXPECT_EQ(pixmap.size(), p.shown) << p.name.toStdString();
        }
    }
    EXPECT_TRUE(missing.isEmpty()) << missing.join(", ").toStdString();

    QMovie loading(":/images/loading");
    EXPECT_TRUE(loading.isValid());
    EXPECT_GT(loading.frameCount(), 1) << "the busy indicator moves";
}

TEST(Pictures, EachBackgroundHasTheShapeOfItsScreens) {
    // The main window picks a background by the window's ratio; each picture's
    // own ratio must fall in the row that picks it, or it would be stretched.
    for (const char* shape : {"5x4", "4x3", "16x10", "5x3", "16x9"}) {
        const QString name = QString(":/images/contextpage_background_%1").arg(shape);
        const QPixmap pixmap(name);
        ASSERT_FALSE(pixmap.isNull()) << shape;
        EXPECT_EQ(MainFrame::backgroundForRatio(double(pixmap.width()) / pixmap.height()), name);
        EXPECT_GE(pixmap.height(), 1000) << shape << " sharp on a full HD screen";
    }
}

// Pictures that also give their widget its shape (the window mask) must be
// solid where the widget shows its contents, or items there would be cut off.
TEST(Pictures, MaskPicturesAreSolidWhereContentsGo) {
    for (const char* name : {"app_background", "center_widget_background", "select_course_day_background"}) {
        const QImage image =
            QPixmap(QString(":/images/") + name).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(image.isNull()) << name;
        const QRect inner = image.rect().adjusted(image.width() / 20 + 30, image.height() / 20 + 30,
                                                  -(image.width() / 20 + 30), -(image.height() / 20 + 30));
        int holes = 0;
        for (int y = inner.top(); y <= inner.bottom(); y += 3)
            for (int x = inner.left(); x <= inner.right(); x += 3)
                if (qAlpha(image.pixel(x, y)) < 255)
                    ++holes;
        EXPECT_EQ(holes, 0) << name;
        // Rounded corners cut cleanly: nothing faint is left where the window is
        // cut away (a top-level window would draw it over black).
        for (const QPoint corner : {QPoint(1, 1), QPoint(image.width() - 2, 1), QPoint(1, image.height() - 2),
                                    QPoint(image.width() - 2, image.height() - 2), QPoint(3, 3),
                                    QPoint(image.width() - 4, image.height() - 4)})
            EXPECT_EQ(qAlpha(image.pixel(corner)), 0) << name << " at " << corner.x() << "," << corner.y();
    }
    // The store dialog's background is a plain brush without a mask: fully solid.
    const QImage store = QPixmap(":/images/store_dialog_background").toImage();
    EXPECT_FALSE(store.hasAlphaChannel() && qAlpha(store.pixel(0, 0)) < 255);
}

TEST(Pictures, CheckedTabsLookDifferentFromUncheckedOnes) {
    for (const char* area : {"daily", "course", "pack", "favor", "mgmt"}) {
        const QImage off = QPixmap(QString(":/images/content_%1").arg(area)).toImage();
        const QImage on = QPixmap(QString(":/images/content_%1_checked").arg(area)).toImage();
        ASSERT_EQ(off.size(), on.size());
        int differing = 0;
        for (int y = 0; y < off.height(); ++y)
            for (int x = 0; x < off.width(); ++x)
                if (off.pixel(x, y) != on.pixel(x, y))
                    ++differing;
        EXPECT_GT(differing, off.width() * off.height() / 3) << area;
    }
    for (const char* week : {"this_week", "next_week"}) {
        EXPECT_NE(QPixmap(QString(":/images/%1").arg(week)).toImage(),
                  QPixmap(QString(":/images/%1_checked").arg(week)).toImage());
    }
    EXPECT_NE(QPixmap(":/images/favor_on").toImage(), QPixmap(":/images/favor_off").toImage());
}

// ---------------------------------------------------------------- style sheet

class StyleSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFile qss(":/qss/style.qss");
        ASSERT_TRUE(qss.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
    }
    void TearDown() override { qApp->setStyleSheet(QString()); }

    static QColor centre(QWidget& w) {
        w.show();
        const QImage image = w.grab().toImage();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }
};

TEST_F(StyleSheetTest, NamedWidgetsTakeTheirLook) {
    QLabel white("text");
    white.setObjectName("whiteLabel");
    white.ensurePolished();
    EXPECT_EQ(white.palette().color(QPalette::WindowText), QColor("#ffffff"));

    QLabel profile("text");
    profile.setObjectName("profileLabel");
    profile.ensurePolished();
    EXPECT_EQ(profile.palette().color(QPalette::WindowText), QColor("#011B5E"));

    QPushButton dark;
    dark.setObjectName("darkButton");
    dark.resize(200, 60);
    EXPECT_EQ(centre(dark), QColor("#128A6F"));
    EXPECT_EQ(dark.palette().color(QPalette::ButtonText), QColor("white"));

    QComboBox combo;
    combo.setObjectName("profileComboBox");
    combo.addItem("one");
    combo.resize(200, 50);
    combo.show();
    EXPECT_FALSE(combo.grab().isNull());
}

TEST_F(StyleSheetTest, TabsAreGreenAndTheSelectedOneDarker) {
    QTabBar bar;
    bar.addTab("this week");
    bar.addTab("next week");
    bar.setCurrentIndex(0);
    bar.show();
    const QImage image = bar.grab().toImage();
    const QRect selected = bar.tabRect(0);
    const QRect other = bar.tabRect(1);
    EXPECT_EQ(image.pixelColor(selected.left() + 8, selected.bottom() - 3), QColor("#128a6f"));
    EXPECT_EQ(image.pixelColor(other.left() + 8, other.bottom() - 3), QColor("#9bd241"));
}

// ---------------------------------------------------------------- translation

struct Message {
    QString context, source, translation, type;
};

QList<Message> readTs(const QString& path) {
    QList<Message> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return out;
    QXmlStreamReader xml(&f);
    QString context;
    Message m;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("context")) {
            context.clear();
        } else if (xml.name() == QLatin1String("name") && context.isEmpty()) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            m = Message{context, {}, {}, {}};
        } else if (xml.name() == QLatin1String("source")) {
            m.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            m.type = xml.attributes().value("type").toString();
            m.translation = xml.readElementText();
            out << m;
        }
    }
    return out;
}

const QString kTs = QString(TAVI_SOURCE_DIR) + "/assistant/translations/taviassistant_zh_cn.ts";

TEST(Translation, EveryTextInTheClientsCodeHasItsChinese) {
    // lupdate finds every tr() text in the client's code, as it is now.
    QTemporaryDir tmp;
    const QString extracted = tmp.path() + "/extracted.ts";
    QStringList args = {"-silent", "-locations", "none", "-no-obsolete"};
    for (const char* part :
         {"ui", "core", "packs", "online", "launch", "catalogue", "platform", "main.cpp"}) {
        const QString path = QString(TAVI_SOURCE_DIR) + "/assistant/" + part;
        if (QFileInfo::exists(path))
            args << path;
    }
    args << "-ts" << extracted;
    const testsupport::ProcessResult r = testsupport::run("lupdate", args, 120000);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QList<Message> used = readTs(extracted);
    ASSERT_GT(used.size(), 20);

    QHash<QString, Message> ours;
    for (const Message& m : readTs(kTs))
        ours.insert(m.context + "\x1f" + m.source, m);
    QStringList missing;
    for (const Message& m : used) {
        const auto it = ours.constFind(m.context + "\x1f" + m.source);
        if (it == ours.constEnd() || it->translation.isEmpty() || !it->type.isEmpty())
            missing << m.context + ": " + m.source;
    }
    EXPECT_TRUE(missing.isEmpty()) << "untranslated:\n" << missing.join("\n").toStdString();
}

TEST(Translation, TranslationsKeepTheirPlaceholdersAndAreChinese) {
    const QList<Message> ours = readTs(kTs);
    ASSERT_GT(ours.size(), 100);
    for (const Message& m : ours) {
        for (const char* marker : {"%1", "%2"})
            EXPECT_EQ(m.source.count(marker), m.translation.count(marker))
                << m.context.toStdString() << ": " << m.source.toStdString();
        bool chinese = false;
        for (const QChar c : m.translation)
            chinese = chinese || (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF);
        // Brand names and "QQ" may stay Latin; everything else reads Chinese.
        const bool latinAllowed = m.translation.startsWith("TAVINET") || m.translation == "QQ";
        EXPECT_TRUE(chinese || latinAllowed) << m.context.toStdString() << ": " << m.source.toStdString();
        EXPECT_TRUE(m.type.isEmpty()) << m.source.toStdString() << " is " << m.type.toStdString();
    }
}

TEST(Translation, BothCataloguesLoadFromTheApplicationDirectory) {
    const QString appDir = TAVI_CLIENT_BUILD_DIR;
    QTranslator ours;
    ASSERT_TRUE(ours.load("taviassistant_zh_cn.qm", appDir));
    EXPECT_EQ(ours.translate("MainFrame", "Do you really want to exit?"),
              QString::fromUtf8("确定要退出吗？"));
    EXPECT_EQ(ours.translate("StoreDialog", "visit store"), QString::fromUtf8("进入资源商店"));

    // Qt's own catalogue pulls in the module catalogues it names; all must be there.
    QTranslator qt;
    ASSERT_TRUE(qt.load("qt_zh_CN.qm", appDir));
    EXPECT_FALSE(qt.translate("QPlatformTheme", "&Yes").isEmpty());
    EXPECT_FALSE(qt.translate("QPlatformTheme", "&No").isEmpty());
    EXPECT_FALSE(qt.translate("QFileDialog", "Open").isEmpty());
}

} // namespace
