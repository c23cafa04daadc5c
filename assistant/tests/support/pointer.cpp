#include "pointer.h"

#include "support/testsupport.h"

#include <QCoreApplication>
#include <QListView>
#include <QScrollBar>

namespace pointer {

// A page is meant to be seen whole: every item of the shown page lies inside
// the grid's viewport, and no scroll bar is needed to reach one.
void expectWholePageInSight(QWidget* list, int p) {
    auto* grid = list->findChild<QListView*>();
    ASSERT_TRUE(grid);
    QCoreApplication::processEvents();
    EXPECT_FALSE(grid->verticalScrollBar()->isVisible()) << "page " << p << " needs scrolling";
    const QRect view = grid->viewport()->rect();
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        const QRect item = grid->visualRect(grid->model()->index(row, 0));
        EXPECT_TRUE(view.contains(item)) << "item " << row << " of page " << p << " at (" << item.x() << ","
                                         << item.y() << " " << item.width() << "x" << item.height()
                                         << ") lies outside the " << view.width() << "x" << view.height()
                                         << " grid";
    }
}

void pageThrough(const testsupport::Xvfb& x, QWidget* list, const std::function<int()>& page, int pages,
                 const char* what) {
    SCOPED_TRACE(what);
    auto* next = list->findChild<QToolButton*>("nextBtn");
    auto* prev = list->findChild<QToolButton*>("prevBtn");
    ASSERT_TRUE(next && prev);
    ASSERT_EQ(page(), 0);
    ASSERT_GE(pages, 2) << "the test needs more than one page";
    expectWholePageInSight(list, 0);
    for (int p = 1; p < pages; ++p) {
        ASSERT_TRUE(next->isEnabled()) << "page " << p;
        clickAt(x, next);
        ASSERT_TRUE(testsupport::waitFor([&] { return page() == p; }, 3000))
            << "next arrow did not turn to page " << p;
        expectWholePageInSight(list, p);
    }
    EXPECT_FALSE(next->isEnabled()) << "the last page leads nowhere";
    for (int p = pages - 2; p >= 0; --p) {
        clickAt(x, prev);
        ASSERT_TRUE(testsupport::waitFor([&] { return page() == p; }, 3000))
            << "previous arrow did not turn to page " << p;
    }
    EXPECT_FALSE(prev->isEnabled());
}

} // namespace pointer
