// Every paged list of the client on a real X server, paged with a real
// pointer: xdotool clicks at each arrow's centre on screen, so an arrow that
// another widget covers (or a dialog that is not where it seems) fails here,
// which a click() on the button object never could.

#include "launch/mediaplayer.h"
#include "support/listfixture.h"
#include "support/pointer.h"
#include "support/testplayer.h"
#include "support/xvfb.h"
#include "ui/favor/favorlistwidget.h"
#include "ui/frame/contentpage.h"
#include "ui/frame/mainframe.h"
#include "ui/lists/applistdialog.h"
#include "ui/lists/pagedgrid.h"
#include "ui/packs/packlistwidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
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

} // namespace
