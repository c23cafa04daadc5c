#pragma once
// The paging rule every icon grid of the client shares (favourites, packs,
// search results, course and daily-scene lists): how many items a list area
// holds, which page to show after a query, and which paging buttons work.

#include <QSize>
#include <functional>

class QAbstractButton;
class QLabel;
class QString;
class QWidget;

namespace pagedgrid {

// One grid cell: a 147x173 item plus the view's 20-pixel spacing and the
// room the name needs under the icon.
constexpr int kCellWidth = 174;
constexpr int kCellHeight = 203;

// Whole cells down times whole cells across; never less than one, so a list
// area smaller than one cell still shows one item a page.
int pageSizeFor(const QSize& listArea);

// Pages needed for total items, at least one.
int pageCount(unsigned total, int pageSize);

// Runs query(limit, offset, total) for the page; returns the number of rows
// it gave (query reports them through its return value, -1 on failure).
// When the page came back empty although there are matches (its last item
// went away), the last page that exists is loaded instead. A failed query
// leaves total at 0; with nothing to show the page goes back to 0.
using PageQuery = std::function<int(unsigned limit, unsigned offset, unsigned& total)>;
void loadPage(int& page, unsigned& total, int pageSize, const PageQuery& query);

// Next works only before the last page, previous only after the first.
void updateButtons(QAbstractButton* prev, QAbstractButton* next, int page, unsigned total, int pageSize);

// The rounded centre picture as a widget's background and shape.
void paintCentreBackground(QWidget* widget, const QSize& size);

// The line an empty grid shows, laid over `list` (clicks go through it).
QLabel* makeEmptyLabel(QWidget* list);
// Shows `text` on the label while the list has nothing, hides it otherwise.
void showWhenEmpty(QLabel* label, unsigned total, const QString& text);

// Fills rows with the page query() reads into them: their number, or -1
// (and no rows) when the query failed.
template <typename Rows, typename Query> int fetchRows(Rows& rows, Query query) {
    rows.clear();
    if (!query()) {
        rows.clear();
        return -1;
    }
    return int(rows.size());
}

} // namespace pagedgrid
