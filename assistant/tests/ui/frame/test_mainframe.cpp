// The main window: background by screen shape, the exit question, search,
// navigation between the pages, the school title, the avatar and the layout
// at the screen sizes teachers use.

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "core/core.h"
#include "platform/log.h"
#include "support/listfixture.h"
#include "support/testsupport.h"
#include "ui/frame/contentpage.h"
#include "ui/frame/indexpage.h"
#include "ui/frame/mainframe.h"
#include "ui/frame/titlelabel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using testsupport::TempRoot;
using testsupport::waitFor;

namespace {

const QString kBg = ":/images/contextpage_background_";

// Runs action() while a timer answers every modal window that shows up with
// answer(window); returns the modal windows seen, as "Class:objectName:title".
QStringList withModals(const std::function<void()>& action, const std::function<void(QWidget*)>& answer) {
    QStringList seen;
    QList<QWidget*> handled;
    QTimer timer;
    timer.setInterval(30);
    QObject::connect(&timer, &QTimer::timeout, [&]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || handled.contains(modal))
            return;
        handled << modal;
        seen << QString("%1:%2:%3")
                    .arg(modal->metaObject()->className(), modal->objectName(), modal->windowTitle());
        answer(modal);
    });
    timer.start();
    action();
    waitFor([] { return false; }, 100);
    timer.stop();
    return seen;
}

void clickButton(QWidget* modal, QMessageBox::StandardButton which) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box && box->button(which))
        box->button(which)->click();
    else if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
}

class MainFrameTest : public listtest::CatalogueFixture {
protected:
    void SetUp() override {
        CatalogueFixture::SetUp();
        Core::instance()->setCurrentUser(TaviUser());
    }
    void TearDown() override {
        Core::instance()->setCurrentUser(TaviUser());
        CatalogueFixture::TearDown();
    }

    // Shows the frame at exactly w x h and waits until the resize has been handled.
    static void showAt(MainFrame& frame, int w, int h) {
        frame.show();
        frame.resize(w, h);
        ASSERT_TRUE(waitFor([&] { return frame.width() == w && frame.height() == h; }));
        QCoreApplication::processEvents();
    }
};

// ---------------------------------------------------------------- background

TEST_F(MainFrameTest, BackgroundTableBoundaries) {
    EXPECT_EQ(MainFrame::backgroundForRatio(1.2), QString());
    EXPECT_EQ(MainFrame::backgroundForRatio(1.3), kBg + "5x4");
    EXPECT_EQ(MainFrame::backgroundForRatio(1.4), kBg + "4x3");
    EXPECT_EQ(MainFrame::backgroundForRatio(1.5), QString());
    EXPECT_EQ(MainFrame::backgroundForRatio(1.6), kBg + "16x10");
    EXPECT_EQ(MainFrame::backgroundForRatio(1.63), kBg + "5x3");
    EXPECT_EQ(MainFrame::backgroundForRatio(1.7), kBg + "5x3");
    EXPECT_EQ(MainFrame::backgroundForRatio(1.75), kBg + "16x9");
    EXPECT_EQ(MainFrame::backgroundForRatio(1.8), QString());
    EXPECT_EQ(MainFrame::backgroundForRatio(2.0), QString());
}

TEST_F(MainFrameTest, WindowTakesThePictureOfItsShapeScaledToTheWindow) {
    MainFrame frame(Core::instance()->context());
    struct Case {
        int w, h;
        QString picture;
    };
    // Widths over a height of 1000 give the exact ratios of the table's edges.
    const Case cases[] = {{1300, 1000, kBg + "5x4"}, {1400, 1000, kBg + "4x3"}, {1600, 1000, kBg + "16x10"},
                          {1630, 1000, kBg + "5x3"}, {1700, 1000, kBg + "5x3"}, {1920, 1080, kBg + "16x9"},
                          {1024, 768, kBg + "4x3"},  {1280, 1024, kBg + "5x4"}, {1440, 900, kBg + "16x10"}};
    for (const Case& c : cases) {
        showAt(frame, c.w, c.h);
        EXPECT_EQ(frame.backgroundPicture(), c.picture) << c.w << "x" << c.h;
        const QBrush brush = frame.palette().brush(QPalette::Active, QPalette::Window);
        EXPECT_EQ(brush.texture().size(), QSize(c.w, c.h)) << c.w << "x" << c.h;
        EXPECT_EQ(frame.palette().brush(QPalette::Inactive, QPalette::Window).texture().size(),
                  QSize(c.w, c.h));
        // The sky is at the top of every background: a picture that failed to load is black or grey.
        const QColor top = brush.texture().toImage().pixelColor(c.w / 2, 2);
        EXPECT_GT(top.blue(), top.red() + 40) << c.w << "x" << c.h << " " << top.name().toStdString();
    }
}

TEST_F(MainFrameTest, ShapesOutsideTheTableKeepThePictureButNeverTileIt) {
    MainFrame frame(Core::instance()->context());
    showAt(frame, 1300, 1000); // 5x4
    for (const QSize s : {QSize(1440, 960), QSize(1800, 1000), QSize(1200, 1000), QSize(2560, 1080)}) {
        showAt(frame, s.width(), s.height());
        EXPECT_EQ(frame.backgroundPicture(), kBg + "5x4") << s.width() << "x" << s.height();
        EXPECT_EQ(frame.palette().brush(QPalette::Window).texture().size(), s);
    }
}

TEST_F(MainFrameTest, FirstShapeOutsideTheTableTakesTheClosestPicture) {
    EXPECT_EQ(MainFrame::nearestBackground(1.5), kBg + "16x10");
    EXPECT_EQ(MainFrame::nearestBackground(1.42), kBg + "4x3");
    EXPECT_EQ(MainFrame::nearestBackground(2.37), kBg + "16x9");
    EXPECT_EQ(MainFrame::nearestBackground(1.0), kBg + "5x4");

    MainFrame wide(Core::instance()->context());
    wide.resize(2560, 1080); // before the first show: no picture yet
    showAt(wide, 2560, 1080);
    EXPECT_EQ(wide.backgroundPicture(), kBg + "16x9");
    EXPECT_FALSE(wide.palette().brush(QPalette::Window).texture().isNull());
}

// ---------------------------------------------------------------- closing

TEST_F(MainFrameTest, NoToTheExitQuestionKeepsTheWindow) {
    MainFrame frame(Core::instance()->context());
    showAt(frame, 1024, 768);
    named<ContentPage>(frame, "ContentPage")->showForm(ContentPage::Pack);
    QString text;
    int defaultButton = 0;
    bool closed = true;
    const QStringList seen = withModals([&] { closed = frame.close(); },
                                        [&](QWidget* modal) {
                                            auto* box = qobject_cast<QMessageBox*>(modal);
                                            ASSERT_NE(box, nullptr);
                                            text = box->text();
                                            defaultButton = box->standardButton(box->defaultButton());
                                            clickButton(modal, QMessageBox::No);
                                        });
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen.first().endsWith(":Exit")) << seen.first().toStdString();
    EXPECT_EQ(text, "Do you really want to exit?");
    EXPECT_EQ(defaultButton, int(QMessageBox::No));
    EXPECT_FALSE(closed);
    EXPECT_TRUE(frame.isVisible());
    // Unchanged: same page, same form.
    EXPECT_EQ(named<QStackedWidget>(frame, "pageStack")->currentWidget(),
              named<ContentPage>(frame, "ContentPage"));
    EXPECT_EQ(named<QStackedWidget>(named<ContentPage>(frame, "ContentPage"), "formStack")->currentWidget(),
              named<ContentPage>(frame, "ContentPage")->form(ContentPage::Pack));
}

TEST_F(MainFrameTest, EveryWayOfClosingAsksFirst) {
    MainFrame frame(Core::instance()->context());
    showAt(frame, 1024, 768);
    auto* closeBtn = frame.findChild<QToolButton*>("closeBtn");
    ASSERT_NE(closeBtn, nullptr);

    // The close button, then Esc (a dialog's rejection would otherwise hide it silently).
    QStringList seen =
        withModals([&] { closeBtn->click(); }, [](QWidget* m) { clickButton(m, QMessageBox::No); });
    EXPECT_EQ(seen.size(), 1);
    EXPECT_TRUE(frame.isVisible());
    seen = withModals([&] { QTest::keyClick(&frame, Qt::Key_Escape); },
                      [](QWidget* m) { clickButton(m, QMessageBox::No); });
    EXPECT_EQ(seen.size(), 1);
    EXPECT_TRUE(frame.isVisible());

    // Yes closes.
    bool closed = false;
    seen = withModals([&] { closed = frame.close(); }, [](QWidget* m) { clickButton(m, QMessageBox::Yes); });
    EXPECT_EQ(seen.size(), 1);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(frame.isVisible());
}

// ---------------------------------------------------------------- search

TEST_F(MainFrameTest, EmptySearchOpensNothingAndEnterNeverSearches) {
    MainFrame frame(Core::instance()->context());
    showAt(frame, 1024, 768);
    QStringList seen = withModals([&] { named<QToolButton>(frame, "searchBtn")->click(); },
                                  [](QWidget* m) { clickButton(m, {}); });
    EXPECT_TRUE(seen.isEmpty()) << seen.join(",").toStdString();

    named<QLineEdit>(frame, "searchEdit")->setText("bear");
    seen = withModals([&] { QTest::keyClick(named<QLineEdit>(frame, "searchEdit"), Qt::Key_Return); },
                      [](QWidget* m) { clickButton(m, {}); });
    EXPECT_TRUE(seen.isEmpty()) << seen.join(",").toStdString();
    EXPECT_TRUE(frame.isVisible());
}

TEST_F(MainFrameTest, SearchWithTextOpensTheResultsEvenWithoutMatches) {
    MainFrame frame(Core::instance()->context());
    showAt(frame, 1024, 768);
    named<QLineEdit>(frame, "searchEdit")->setText("no such book");
    const QStringList seen = withModals([&] { named<QToolButton>(frame, "searchBtn")->click(); },
                                        [](QWidget* m) { qobject_cast<QDialog*>(m)->accept(); });
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen.first().startsWith("AppListDialog:AppListDialog")) << seen.first().toStdString();
    EXPECT_EQ(named<QLineEdit>(frame, "searchEdit")->text(), "no such book");
}

TEST_F(MainFrameTest, TypedTextStaysClearOfTheMagnifier) {
    MainFrame frame(Core::instance()->context());
    showAt(frame, 1920, 1080);
    QLineEdit* edit = named<QLineEdit>(frame, "searchEdit");
    EXPECT_EQ(edit->textMargins().right(), 30);
    const QRect magnifier = named<QToolButton>(frame, "searchBtn")->geometry();
    EXPECT_EQ(magnifier.size(), QSize(30, 30));
    EXPECT_TRUE(edit->rect().contains(magnifier)) << "magnifier sits inside the field";
    EXPECT_GE(magnifier.left(), edit->width() - 30 - 1);
}

// ---------------------------------------------------------------- navigation

TEST_F(MainFrameTest, StartsOnTheDailyFormAndTheHomeButtonLeadsToTheIndex) {
    MainFrame frame(Core::instance()->context());
    showAt(frame, 1920, 1080);
    ContentPage* content = named<ContentPage>(frame, "ContentPage");
    EXPECT_EQ(named<QStackedWidget>(frame, "pageStack")->currentWidget(), content);
    EXPECT_EQ(named<QStackedWidget>(content, "formStack")->currentWidget(),
              named<QWidget>(content, "DailyForm"));
    EXPECT_TRUE(content->findChild<QToolButton*>("dailyBtn")->isChecked());

    // The home button is on screen inside the window, so the index page is reachable.
    auto* home = content->findChild<QToolButton*>("homeBtn");
    ASSERT_NE(home, nullptr);
    EXPECT_TRUE(home->isVisible());
    EXPECT_TRUE(frame.rect().contains(QRect(home->mapTo(&frame, QPoint(0, 0)), home->size())));
    QTest::mouseClick(home, Qt::LeftButton);
    EXPECT_EQ(named<QStackedWidget>(frame, "pageStack")->currentWidget(),
              named<IndexPage>(frame, "IndexPage"));

    // Each index button opens its form with its tab checked.
    const struct {
        const char* button;
        QWidget* form;
    } routes[] = {{"packBtn", content->form(ContentPage::Pack)},
                  {"favorBtn", named<QWidget>(content, "FavorForm")},
                  {"courseBtn", named<QWidget>(content, "CourseForm")},
                  {"mgmtBtn", named<QWidget>(content, "MgmtForm")},
                  {"dailyBtn", named<QWidget>(content, "DailyForm")}};
    for (const auto& r : routes) {
        frame.showIndexPage();
        auto* button = named<IndexPage>(frame, "IndexPage")->findChild<QPushButton*>(r.button);
        ASSERT_NE(button, nullptr) << r.button;
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(named<QStackedWidget>(frame, "pageStack")->currentWidget(), content) << r.button;
        EXPECT_EQ(named<QStackedWidget>(content, "formStack")->currentWidget(), r.form) << r.button;
        EXPECT_TRUE(content->findChild<QToolButton*>(r.button)->isChecked()) << r.button;
    }
}

TEST_F(MainFrameTest, TabsSwitchFormsOneCheckedAtATime) {
    MainFrame frame(Core::instance()->context());
    showAt(frame, 1024, 768);
    ContentPage* content = named<ContentPage>(frame, "ContentPage");
    const QStringList tabs = {"dailyBtn", "courseBtn", "packBtn", "favorBtn", "mgmtBtn"};
    const QList<QWidget*> forms = {named<QWidget>(content, "DailyForm"),
                                   named<QWidget>(content, "CourseForm"), content->form(ContentPage::Pack),
                                   named<QWidget>(content, "FavorForm"), named<QWidget>(content, "MgmtForm")};
    const QStringList formNames = {"DailyForm", "CourseForm", "PackForm", "FavorForm", "MgmtForm"};
    for (int i = 0; i < tabs.size(); ++i) {
        EXPECT_EQ(forms[i]->objectName(), formNames[i]);
        QTest::mouseClick(content->findChild<QToolButton*>(tabs[i]), Qt::LeftButton);
        EXPECT_EQ(named<QStackedWidget>(content, "formStack")->currentWidget(), forms[i])
            << tabs[i].toStdString();
        for (int j = 0; j < tabs.size(); ++j)
            EXPECT_EQ(content->findChild<QToolButton*>(tabs[j])->isChecked(), i == j);
    }
}

TEST_F(MainFrameTest, AllTabsStayOnScreenInANarrowWindow) {
    MainFrame frame(Core::instance()->context());
    frame.show();
    frame.resize(700, 500);
    QCoreApplication::processEvents();
    // The window will not get narrower than its tab bar; no tab is folded away.
    EXPECT_GE(frame.width(), 5 * 150 + 4 * 20);
    for (const char* name : {"homeBtn", "dailyBtn", "courseBtn", "packBtn", "favorBtn", "mgmtBtn"}) {
        auto* b = named<ContentPage>(frame, "ContentPage")->findChild<QToolButton*>(name);
        ASSERT_NE(b, nullptr);
        EXPECT_TRUE(b->isVisible()) << name;
        EXPECT_TRUE(frame.rect().contains(QRect(b->mapTo(&frame, QPoint(0, 0)), b->size()))) << name;
    }
}

TEST_F(MainFrameTest, TitleShowsTheSchoolAndLeadsToTheProfile) {
    MainFrame frame(Core::instance()->context());
    showAt(frame, 1024, 768);
    EXPECT_EQ(named<TitleLabel>(frame, "titleLabel")->text(), "enter school name");

    TaviUser user;
    user.schoolName = QString::fromUtf8("阳光幼儿园");
    Core::instance()->setCurrentUser(user);
    emit Core::instance()->userLoaded();
    EXPECT_EQ(named<TitleLabel>(frame, "titleLabel")->text(), QString::fromUtf8("阳光幼儿园"));
    EXPECT_EQ(named<TitleLabel>(frame, "titleLabel")->textFormat(), Qt::PlainText)
        << "a school name is never read as markup";
    Core::instance()->setCurrentUser(TaviUser());
    emit Core::instance()->userLoaded();
    EXPECT_EQ(named<TitleLabel>(frame, "titleLabel")->text(), QString::fromUtf8("阳光幼儿园"))
        << "an empty name leaves the title";

    frame.showIndexPage();
    QTest::mouseClick(named<TitleLabel>(frame, "titleLabel"), Qt::RightButton);
    EXPECT_EQ(named<QStackedWidget>(frame, "pageStack")->currentWidget(),
              named<ContentPage>(frame, "ContentPage"));
    EXPECT_EQ(named<QStackedWidget>(named<ContentPage>(frame, "ContentPage"), "formStack")->currentWidget(),
              named<QWidget>(named<ContentPage>(frame, "ContentPage"), "MgmtForm"));
}

TEST(TitleLabel, ReportsPressesOfAnyButtonInBoldGreen) {
    TitleLabel label;
    QSignalSpy clicked(&label, &TitleLabel::clicked);
    QTest::mousePress(&label, Qt::LeftButton);
    QTest::mouseRelease(&label, Qt::LeftButton);
    QTest::mousePress(&label, Qt::MiddleButton);
    QTest::mouseDClick(&label, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_EQ(label.font().pointSize(), 18);
    EXPECT_EQ(label.font().weight(), 75);
    EXPECT_EQ(label.palette().color(QPalette::Inactive, QPalette::WindowText), QColor("#128A6F"));
}

// ---------------------------------------------------------------- avatar

class AvatarTest : public MainFrameTest {
protected:
    // Runs changeAvatar, choosing `file` in the file dialog (an empty name cancels).
    QStringList choose(MainFrame& frame, const QString& file) {
        return withModals([&] { frame.changeAvatar(); },
                          [&](QWidget* modal) {
                              auto* dialog = qobject_cast<QFileDialog*>(modal);
                              ASSERT_NE(dialog, nullptr);
                              filters = dialog->nameFilters();
                              if (file.isEmpty()) {
                                  dialog->reject();
                              } else {
                                  // Typed, as a user would: the folder's listing loads later.
                                  auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                                  ASSERT_NE(name, nullptr);
                                  name->setText(file);
                                  static_cast<QDialog*>(dialog)->accept();
                              }
                          });
    }
    QString picture(const QString& name, const char* format, QColor colour) {
        QImage image(40, 40, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = root.path(name);
        image.save(path, format);
        return path;
    }
    QStringList filters;
};

TEST_F(AvatarTest, ChosenPicturesReplaceTheOneExtensionlessFile) {
    MainFrame frame(Core::instance()->context());
    showAt(frame, 1024, 768);
    EXPECT_EQ(frame.avatarPath(), paths->dataDir + "/avatar");
    EXPECT_FALSE(named<QToolButton>(frame, "avatarBtn")->icon().isNull())
        << "the default avatar when none was chosen";

    const QString png = picture("red.png", "PNG", Qt::red);
    QStringList seen = choose(frame, png);
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen.first().endsWith(":Open Image"));
    EXPECT_EQ(filters, QStringList{"Image Files(*.jpg *.png)"});
    EXPECT_EQ(testsupport::readFile(frame.avatarPath()).toLatin1(), testsupport::readFile(png).toLatin1());

    const QString jpg = picture("blue.jpg", "JPG", Qt::blue);
    choose(frame, jpg);
    QFile avatar(frame.avatarPath());
    QFile chosen(jpg);
    ASSERT_TRUE(avatar.open(QIODevice::ReadOnly) && chosen.open(QIODevice::ReadOnly));
    EXPECT_EQ(avatar.readAll(), chosen.readAll());
    const QImage shown = named<QToolButton>(frame, "avatarBtn")->icon().pixmap(40, 40).toImage();
    EXPECT_GT(shown.pixelColor(20, 20).blue(), 200);
    // In the round badge of the default avatar: corners clear, a white ring.
    EXPECT_EQ(shown.pixelColor(1, 1).alpha(), 0);
    const QColor ring = shown.pixelColor(20, 1);
    EXPECT_TRUE(ring.red() > 230 && ring.green() > 230 && ring.blue() > 230 && ring.alpha() > 200)
        << ring.name(QColor::HexArgb).toStdString();
    const QStringList avatars = QDir(paths->dataDir).entryList({"avatar*"}, QDir::Files);
    EXPECT_EQ(avatars, QStringList{"avatar"});

    // A new window picks up the chosen avatar.
    MainFrame again(Core::instance()->context());
    EXPECT_GT(
        named<QToolButton>(again, "avatarBtn")->icon().pixmap(40, 40).toImage().pixelColor(20, 20).blue(),
        200);
}

TEST_F(AvatarTest, CancelOrAnUnreadablePictureKeepsTheAvatar) {
    MainFrame frame(Core::instance()->context());
    showAt(frame, 1024, 768);
    const QString png = picture("green.png", "PNG", Qt::green);
    choose(frame, png);
    const QByteArray before = QFile(frame.avatarPath()).exists() ? QByteArray("yes") : QByteArray();
    ASSERT_EQ(before, "yes");

    choose(frame, QString());
    EXPECT_GT(
        named<QToolButton>(frame, "avatarBtn")->icon().pixmap(40, 40).toImage().pixelColor(20, 20).green(),
        200);

    // Not a picture, whatever its name says: the old avatar stays.
    const QString broken = root.path("broken.png");
    testsupport::writeFile(broken, "this is not a picture");
    choose(frame, broken);
    QFile avatar(frame.avatarPath());
    ASSERT_TRUE(avatar.open(QIODevice::ReadOnly));
    EXPECT_TRUE(avatar.readAll().startsWith("\x89PNG"));
    EXPECT_GT(
        named<QToolButton>(frame, "avatarBtn")->icon().pixmap(40, 40).toImage().pixelColor(20, 20).green(),
        200);
}

// ---------------------------------------------------------------- layout

// Everything a user needs is inside the window and nothing overlaps, at the
// smallest and the most common screen.
TEST_F(MainFrameTest, NothingIsClippedAtCommonScreenSizes) {
    for (const QSize screen : {QSize(1024, 768), QSize(1366, 768), QSize(1920, 1080)}) {
        MainFrame frame(Core::instance()->context());
        showAt(frame, screen.width(), screen.height());
        auto inside = [&](QWidget* w) {
            const QRect r(w->mapTo(&frame, QPoint(0, 0)), w->size());
            return frame.rect().contains(r);
        };
        QList<QWidget*> top = {named<QToolButton>(frame, "avatarBtn"), named<TitleLabel>(frame, "titleLabel"),
                               named<QLineEdit>(frame, "searchEdit"), frame.findChild<QToolButton*>("minBtn"),
                               frame.findChild<QToolButton*>("closeBtn")};
        for (QWidget* w : top)
            EXPECT_TRUE(inside(w)) << w->objectName().toStdString() << " at " << screen.width();
        EXPECT_FALSE(QRect(named<TitleLabel>(frame, "titleLabel")->mapTo(&frame, QPoint()),
                           named<TitleLabel>(frame, "titleLabel")->size())
                         .intersects(QRect(named<QLineEdit>(frame, "searchEdit")->mapTo(&frame, QPoint()),
                                           named<QLineEdit>(frame, "searchEdit")->size())));
        EXPECT_GE(named<QLineEdit>(frame, "searchEdit")->width(), 150)
            << "room to type at " << screen.width();

        ContentPage* content = named<ContentPage>(frame, "ContentPage");
        QList<QRect> taken;
        for (const char* name : {"homeBtn", "dailyBtn", "courseBtn", "packBtn", "favorBtn", "mgmtBtn"}) {
            auto* b = content->findChild<QToolButton*>(name);
            ASSERT_NE(b, nullptr);
            EXPECT_TRUE(b->isVisible()) << name;
            EXPECT_TRUE(inside(b)) << name << " at " << screen.width();
            const QRect r(b->mapTo(&frame, QPoint(0, 0)), b->size());
            for (const QRect& other : taken)
                EXPECT_FALSE(r.intersects(other)) << name;
            taken << r;
        }
        // The forms get the room between the top row and the tab bar.
        EXPECT_GE(named<QStackedWidget>(content, "formStack")->height(), screen.height() / 2 - 40);

        frame.showIndexPage();
        QCoreApplication::processEvents();
        for (const char* name : {"dailyBtn", "courseBtn", "packBtn", "favorBtn", "mgmtBtn"}) {
            auto* b = named<IndexPage>(frame, "IndexPage")->findChild<QPushButton*>(name);
            EXPECT_TRUE(inside(b)) << name << " at " << screen.width();
        }
    }
}

} // namespace
