#include "pointer.h"

#include "support/testsupport.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>

namespace pointer {

void typeInto(const testsupport::Xvfb& x, QLineEdit* edit, const QString& text, const QString& expected) {
    clickAt(x, edit);
    ASSERT_TRUE(testsupport::waitFor([&] { return edit->hasFocus(); }, 3000));
    ASSERT_TRUE(x.key("ctrl+a"));
    ASSERT_TRUE(x.key("BackSpace"));
    if (!text.isEmpty()) {
        ASSERT_TRUE(x.type(text));
    }
    EXPECT_TRUE(testsupport::waitFor([&] { return edit->text() == expected; }, 5000))
        << "typed " << text.toStdString() << ", the edit holds " << edit->text().toStdString();
}

void pick(const testsupport::Xvfb& x, QComboBox* box, int index) {
    ASSERT_GE(index, 0);
    clickAt(x, box);
    QAbstractItemView* view = box->view();
    ASSERT_TRUE(testsupport::waitFor([&] { return view->isVisible(); }, 3000)) << "the list did not open";
    const QModelIndex item = box->model()->index(index, 0);
    view->scrollTo(item);
    settle(100);
    const QPoint at = view->viewport()->mapToGlobal(view->visualRect(item).center());
    ASSERT_TRUE(x.click(at.x(), at.y()));
    ASSERT_TRUE(testsupport::waitFor([&] { return !view->isVisible(); }, 3000));
    EXPECT_TRUE(testsupport::waitFor([&] { return box->currentIndex() == index; }, 15000))
        << "picked " << index << ", the list shows " << box->currentIndex();
    settle(100);
}

QImage screenWhen(const testsupport::Xvfb& x, const std::function<bool(const QImage&)>& ready,
                  int timeoutMs) {
    QImage shot;
    QElapsedTimer t;
    t.start();
    do {
        settle(200);
        shot = x.screenshot();
        if (!shot.isNull() && ready(shot))
            break;
    } while (t.elapsed() < timeoutMs);
    return shot;
}

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
        EXPECT_TRUE(view.contains(item))
            << "item " << row << " of page " << p << " at (" << item.x() << "," << item.y() << " "
            << item.width() << "x" << item.height() << ") lies outside the " << view.width() << "x"
            << view.height() << " grid";
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
