// Every paged list of the client on a real X server, paged with a real
// pointer: xdotool clicks at each arrow's centre on screen, so an arrow that
// another widget covers (or a dialog that is not where it seems) fails here,
// which a click() on the button object never could.

#include "support/listfixture.h"
#include "support/xvfb.h"
#include "ui/favor/favorlistwidget.h"
#include "ui/frame/contentpage.h"
#include "ui/frame/mainframe.h"
#include "ui/lists/applistdialog.h"
#include "ui/lists/pagedgrid.h"
#include "ui/packs/packlistwidget.h"

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
        frame = std::make_unique<MainFrame>();
        frame->showOnWholeScreen();
        ASSERT_TRUE(waitFor([&] { return frame->windowHandle() && frame->windowHandle()->isExposed(); }));
        settle();
    }
    void TearDown() override {
        frame.reset();
        CatalogueFixture::TearDown();
    }

    // Lets the window system and the layouts catch up.
    void settle(int ms = 300) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    // A real click at the widget's centre on screen.
    void pointAndClick(QWidget* w) {
        ASSERT_TRUE(w && w->isVisible());
        const QPoint at = w->mapToGlobal(w->rect().center());
        ASSERT_TRUE(x.click(at.x(), at.y()));
        settle(150);
    }

    // Pages forward with the next arrow to the last page, then back with the
    // previous arrow, checking after each click that the page moved.
    void pageThrough(QWidget* list, const std::function<int()>& page, int pages, const char* what) {
        SCOPED_TRACE(what);
        QToolButton* next = button(list, "nextBtn");
        QToolButton* prev = button(list, "prevBtn");
        ASSERT_TRUE(next && prev);
        ASSERT_EQ(page(), 0);
        ASSERT_GE(pages, 2) << "the test needs more than one page";
        for (int p = 1; p < pages; ++p) {
            ASSERT_TRUE(next->isEnabled()) << "page " << p;
            pointAndClick(next);
            ASSERT_TRUE(waitFor([&] { return page() == p; }, 3000))
                << "next arrow did not turn to page " << p;
        }
        EXPECT_FALSE(next->isEnabled()) << "the last page leads nowhere";
        for (int p = pages - 2; p >= 0; --p) {
            pointAndClick(prev);
            ASSERT_TRUE(waitFor([&] { return page() == p; }, 3000))
                << "previous arrow did not turn to page " << p;
        }
        EXPECT_FALSE(prev->isEnabled());
    }

    ContentPage* content() const { return frame->contentPage(); }

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
    frame->searchEdit()->setText("Book");
    pageTheDialog("search results");
    pointAndClick(frame->searchButton());
    ASSERT_TRUE(waitFor([&] { return handled && !QApplication::activeModalWidget(); }, 30000));
}

} // namespace
