// Every paged list of the client on a real X server, paged with a real
// pointer: xdotool clicks at each arrow's centre on screen, so an arrow that
// another widget covers (or a dialog that is not where it seems) fails here,
// which a click() on the button object never could.

#include "launch/mediaplayer.h"
#include "support/listfixture.h"
#include "support/pointer.h"
#include "support/testplayer.h"
#include "support/xvfb.h"
#include "ui/daily/dailylistwidget.h"
#include "ui/favor/favorlistwidget.h"
#include "ui/frame/contentpage.h"
#include "ui/frame/mainframe.h"
#include "ui/lists/applistdialog.h"
#include "ui/lists/applistmodel.h"
#include "ui/lists/pagedgrid.h"
#include "ui/packs/packlistwidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTouchDevice>
#include <QWindow>
#include <functional>

using namespace listtest;
using testsupport::waitFor;
using testsupport::Xvfb;

namespace {

class PagingByPointer : public CatalogueFixture {
protected:
    void SetUp() override {
        CatalogueFixture::SetUp();
        ASSERT_TRUE(x.isRunning()) << x.error().toStdString();
        // Three pages of the app list (ten a page) and more than one of every
        // grid on a full-HD screen.
        for (int i = 1; i <= 25; ++i) {
            const int id = addApp(QString("Book %1").arg(i, 2, 10, QChar('0')), "big-pack");
            ASSERT_TRUE(db->setFavorApp(id, true));
            addPack(QString("pack-%1").arg(i, 2, 10, QChar('0')), QString("Pack %1").arg(i));
        }
        for (int i = 26; i <= 70; ++i) {
            ASSERT_TRUE(db->setFavorApp(addApp(QString("Song %1").arg(i), "songs"), true));
            addPack(QString("pack-%1").arg(i), QString("Pack %1").arg(i));
        }
        addPack("big-pack", "The big pack");
        frame = std::make_unique<MainFrame>(Core::instance()->context());
        frame->showOnWholeScreen();
        ASSERT_TRUE(waitFor([&] { return frame->windowHandle() && frame->windowHandle()->isExposed(); }));
        settle();
    }
    void TearDown() override {
        frame.reset();
        CatalogueFixture::TearDown();
    }

    void settle(int ms = 300) { pointer::settle(ms); }
    void pointAndClick(QWidget* w) { pointer::clickAt(x, w); }
    void pageThrough(QWidget* list, const std::function<int()>& page, int pages, const char* what) {
        pointer::pageThrough(x, list, page, pages, what);
    }

    ContentPage* content() const { return named<ContentPage>(frame, "ContentPage"); }

    Xvfb x{Xvfb::Current{}};
    std::unique_ptr<MainFrame> frame;
};

TEST_F(PagingByPointer, FavouritesAndPacksPageWithTheirArrows) {
    pointAndClick(content()->findChild<QWidget*>("favorBtn"));
    auto* favourites = content()->findChild<FavorListWidget*>();
    ASSERT_TRUE(waitFor([&] { return favourites->isVisible(); }));
    settle();
    pageThrough(
        favourites, [&] { return favourites->page(); },
        pagedgrid::pageCount(favourites->total(), favourites->pageSize()), "favourites");

    pointAndClick(content()->findChild<QWidget*>("packBtn"));
    auto* packs = content()->findChild<PackListWidget*>();
    ASSERT_TRUE(waitFor([&] { return packs->isVisible(); }));
    settle();
    pageThrough(
        packs, [&] { return packs->page(); }, pagedgrid::pageCount(packs->total(), packs->pageSize()),
        "packs");
}

TEST_F(PagingByPointer, APacksAppsAndTheSearchResultsPageWithTheirArrows) {
    pointAndClick(content()->findChild<QWidget*>("packBtn"));
    auto* packs = content()->findChild<PackListWidget*>();
    ASSERT_TRUE(waitFor([&] { return packs->isVisible(); }));
    settle();
    // The big pack was added last: the newest comes first.
    QListView* grid = listView(packs);
    ASSERT_EQ(grid->model()->index(0, 0).data(Qt::DisplayRole).toString(), "The big pack");

    bool handled = false;
    auto pageTheDialog = [&](const char* what) {
        onNextModal<AppListDialog>([&, what](AppListDialog* dialog) {
            settle();
            pageThrough(
                dialog, [dialog] { return dialog->page(); }, 3, what);
            pointAndClick(button(dialog, "closeBtn"));
            // Whatever failed above, the dialog must not stay open over the next test.
            if (dialog->isVisible())
                dialog->reject();
            handled = true;
        });
    };

    pageTheDialog("a pack's apps");
    const QRect item = grid->visualRect(grid->model()->index(0, 0));
    const QPoint icon = grid->viewport()->mapToGlobal(item.topLeft() + kOnIcon);
    ASSERT_TRUE(x.click(icon.x(), icon.y()));
    ASSERT_TRUE(waitFor([&] { return handled && !QApplication::activeModalWidget(); }, 30000));

    handled = false;
    named<QLineEdit>(frame, "searchEdit")->setText("Book");
    pageTheDialog("search results");
    pointAndClick(named<QToolButton>(frame, "searchBtn"));
    ASSERT_TRUE(waitFor([&] { return handled && !QApplication::activeModalWidget(); }, 30000));
}

TEST_F(PagingByPointer, ASongInTheSearchResultsStartsTheDesktopsPlayer) {
    testsupport::TestPlayer& player = testsupport::TestPlayer::instance();
    player.clear();
    player.setStayMs(1500);
    _TaviApp song;
    song.productId = 9001;
    song.name = "Morning Sun";
    song.proType = "music";
    song.path = "music/x9001";
    song.fileName = "Morning Sun.mp3";
    song.packId = "songs";
    ASSERT_TRUE(db->addApp(&song));
    ASSERT_TRUE(testsupport::writeFile(paths->appsDir + "/music/x9001", "ID3 la la la"));

    bool handled = false;
    onNextModal<AppListDialog>([&](AppListDialog* dialog) {
        settle();
        QListView* grid = listView(dialog);
        if (grid->model()->rowCount() == 1) {
            const QRect item = grid->visualRect(grid->model()->index(0, 0));
            const QPoint icon = grid->viewport()->mapToGlobal(item.topLeft() + kOnIcon);
            EXPECT_TRUE(x.click(icon.x(), icon.y()));
            EXPECT_TRUE(waitFor([&] { return !player.calls().isEmpty(); }, 10000)) << "no player started";
            EXPECT_EQ(player.calls().value(0), "arg=" + paths->tempDir + "/player/media/Morning Sun.mp3");
            // A second click while it plays starts nothing and says why, over the list.
            settle(QApplication::doubleClickInterval() + 100);
            EXPECT_TRUE(x.click(icon.x(), icon.y()));
            QLabel* notice = nullptr;
            EXPECT_TRUE(waitFor(
                [&] { return (notice = dialog->findChild<QLabel*>("notice")) && notice->isVisible(); },
                5000));
            if (notice) {
                EXPECT_EQ(notice->text(), "Playing..., close the player first");
            }
            EXPECT_EQ(player.calls().filter("arg=").size(), 1);
        } else {
            ADD_FAILURE() << "the search found " << grid->model()->rowCount() << " apps";
        }
        dialog->reject();
        handled = true;
    });
    named<QLineEdit>(frame, "searchEdit")->setText("Morning");
    pointAndClick(named<QToolButton>(frame, "searchBtn"));
    ASSERT_TRUE(waitFor([&] { return handled && !QApplication::activeModalWidget(); }, 30000));
    EXPECT_TRUE(Core::instance()->mediaPlayer()->wait(10000));
}

TEST_F(PagingByPointer, AResourceNothingCanPlaySaysSoOverTheList) {
    testsupport::TestPlayer::instance().clear();
    _TaviApp clip;
    clip.productId = 9002;
    clip.name = "Rain Story";
    clip.proType = "video";
    clip.path = "video/x9002";
    // A type no program here opens.
    clip.fileName = "Rain Story.txt";
    clip.packId = "songs";
    ASSERT_TRUE(db->addApp(&clip));
    ASSERT_TRUE(testsupport::writeFile(paths->appsDir + "/video/x9002", "just words"));

    bool handled = false;
    QString said;
    onNextModal<AppListDialog>([&](AppListDialog* dialog) {
        settle();
        QListView* grid = listView(dialog);
        const QRect item = grid->visualRect(grid->model()->index(0, 0));
        const QPoint icon = grid->viewport()->mapToGlobal(item.topLeft() + kOnIcon);
        // The box runs its own loop: it is answered from there, with the pointer.
        bool boxDone = false;
        onNextModal<QMessageBox>(
            [&](QMessageBox* box) {
                said = box->text();
                settle();
                pointAndClick(box->button(QMessageBox::Ok));
                EXPECT_TRUE(waitFor([&] { return !box->isVisible(); }, 5000))
                    << "the box did not take the pointer's click";
                boxDone = true;
            },
            10000);
        EXPECT_TRUE(x.click(icon.x(), icon.y()));
        EXPECT_TRUE(waitFor([&] { return boxDone; }, 15000)) << "no word on why nothing played";
        EXPECT_TRUE(waitFor([&] { return QApplication::activeModalWidget() == dialog; }, 5000));
        dialog->reject();
        handled = true;
    });
    named<QLineEdit>(frame, "searchEdit")->setText("Rain Story");
    pointAndClick(named<QToolButton>(frame, "searchBtn"));
    ASSERT_TRUE(waitFor([&] { return handled && !QApplication::activeModalWidget(); }, 30000));
    EXPECT_TRUE(said.contains("\"Rain Story.txt\"")) << said.toStdString();
    EXPECT_TRUE(QFileInfo::exists(paths->appsDir + "/video/x9002")) << "the file keeps its stored name";
    EXPECT_TRUE(root.readLog().contains("ShellExecuteExW failed, LastError:no application for text/plain"));
}

// Fingers on a board: a touch screen's taps and swipes, delivered as Qt's
// touch events into the window on this X server.
class Finger {
public:
    explicit Finger(QWidget* surface) : m_surface(surface) {}
    void tap(const QPoint& at) {
        QTest::touchEvent(m_surface, device()).press(0, at, m_surface);
        QTest::touchEvent(m_surface, device()).release(0, at, m_surface);
        pointer::settle(150);
    }
    // A sideways swipe through the middle of the surface, dx long.
    void swipe(int dx) {
        const QPoint from = m_surface->rect().center() - QPoint(dx / 2, 0);
        QTest::touchEvent(m_surface, device()).press(0, from, m_surface);
        for (int step = 1; step <= 6; ++step)
            QTest::touchEvent(m_surface, device()).move(0, from + QPoint(dx * step / 6, 4 * step), m_surface);
        QTest::touchEvent(m_surface, device()).release(0, from + QPoint(dx, 24), m_surface);
        pointer::settle(150);
    }

private:
    static QTouchDevice* device() {
        static QTouchDevice* screen = QTest::createTouchDevice();
        return screen;
    }
    QWidget* m_surface;
};

// Beside each action picture (outside its 16x16 square, inside its finger square).
const QPoint kBesideTrash(158, 8);
const QPoint kBesideCourseAdd(158, 75);
const QPoint kBesideFavor(158, 145);

// The item actions of the search results at board size, first with the real
// pointer on their pictures, then with a finger just beside them, where the
// pointer does nothing; then swipes page the results.
TEST_F(PagingByPointer, ItemActionsByPointerOnThePicturesAndByFingerBesideThem) {
    bool handled = false;
    onNextModal<AppListDialog>([&](AppListDialog* dialog) {
        settle();
        QListView* grid = listView(dialog);
        const QModelIndex first = grid->model()->index(0, 0);
        auto favourite = [&] { return grid->model()->index(0, 0).data(AppListModel::AppFavorRole).toBool(); };
        auto clickItem = [&](const QPoint& inItem) {
            const QPoint at = grid->viewport()->mapToGlobal(itemPoint(grid, 0, inItem));
            EXPECT_TRUE(x.click(at.x(), at.y()));
        };
        // The name of the dialog an action opens over the results (closed again).
        auto dialogSeen = [&](const std::function<void()>& act) {
            QString seen;
            QTimer watch;
            watch.setInterval(10);
            QObject::connect(&watch, &QTimer::timeout, [&] {
                auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (modal && modal != dialog) {
                    seen = modal->objectName();
                    modal->reject();
                }
            });
            watch.start();
            act();
            waitFor([&] { return !seen.isEmpty(); }, 6000);
            return seen;
        };
        ASSERT_TRUE(first.isValid());
        ASSERT_TRUE(favourite());

        // The pointer, on the pictures.
        clickItem(kOnFavor);
        EXPECT_TRUE(waitFor([&] { return !favourite(); }, 5000)) << "heart by pointer";
        EXPECT_EQ(dialogSeen([&] { clickItem(kOnCourseAdd); }), "SelectCourseDayDialog");
        auto box = answerNextBox(QMessageBox::No);
        clickItem(kOnTrash);
        EXPECT_TRUE(waitFor([&] { return box->seen; }, 5000)) << "trash by pointer";
        EXPECT_EQ(box->title, "Confirm Removal");
        // Beside the picture the pointer's square ends: nothing is asked.
        settle(QApplication::doubleClickInterval() + 100);
        bool asked = false;
        onNextModal<QMessageBox>(
            [&](QMessageBox* b) {
                asked = true;
                b->button(QMessageBox::No)->click();
            },
            1000);
        clickItem(kBesideTrash);
        settle(1500);
        EXPECT_FALSE(asked) << "a pointer beside the trash removes nothing";

        // A finger, beside the pictures.
        Finger finger(grid->viewport());
        auto fingerBox = answerNextBox(QMessageBox::No);
        finger.tap(itemPoint(grid, 0, kBesideTrash));
        EXPECT_TRUE(waitFor([&] { return fingerBox->seen; }, 5000)) << "trash by finger";
        EXPECT_EQ(fingerBox->title, "Confirm Removal");
        EXPECT_EQ(dialogSeen([&] { finger.tap(itemPoint(grid, 0, kBesideCourseAdd)); }),
                  "SelectCourseDayDialog");
        finger.tap(itemPoint(grid, 0, kBesideFavor));
        EXPECT_TRUE(waitFor([&] { return favourite(); }, 5000)) << "heart by finger";

        // A swipe to the left brings the next page, to the right the one before.
        ASSERT_EQ(dialog->page(), 0);
        finger.swipe(-300);
        EXPECT_TRUE(waitFor([&] { return dialog->page() == 1; }, 3000));
        finger.swipe(-300);
        EXPECT_TRUE(waitFor([&] { return dialog->page() == 2; }, 3000));
        finger.swipe(-300); // the last page: nowhere to go
        EXPECT_EQ(dialog->page(), 2);
        finger.swipe(300);
        EXPECT_TRUE(waitFor([&] { return dialog->page() == 1; }, 3000));
        // A short slide is neither a swipe nor a tap.
        finger.swipe(60);
        EXPECT_EQ(dialog->page(), 1);
        dialog->reject();
        handled = true;
    });
    named<QLineEdit>(frame, "searchEdit")->setText("Book");
    pointAndClick(named<QToolButton>(frame, "searchBtn"));
    ASSERT_TRUE(waitFor([&] { return handled && !QApplication::activeModalWidget(); }, 60000));
}

// The scene edit picture of the daily grid, by finger just above it.
TEST_F(PagingByPointer, ASceneIsEditedByAFingerBesideItsEditPicture) {
    _DailyScene scene;
    scene.name = "Morning";
    scene.playlist = "Morning/Morning.pls";
    scene.isCustom = true;
    ASSERT_TRUE(db->addDailyScene(&scene));
    auto* daily = content()->findChild<DailyListWidget*>();
    ASSERT_TRUE(waitFor([&] { return daily->isVisible() && daily->total() == 2; }));
    settle();
    QListView* grid = listView(daily);
    QString seen;
    onNextModal<QDialog>(
        [&](QDialog* modal) {
            seen = modal->objectName() + ":" + modal->windowTitle();
            modal->reject();
        },
        5000);
    Finger(grid->viewport()).tap(itemPoint(grid, 0, QPoint(158, 4)));
    EXPECT_TRUE(waitFor([&] { return !seen.isEmpty(); }, 6000));
    EXPECT_EQ(seen, "DailySceneMgmtDialog:modify scene");
}

} // namespace
