#pragma once
// Fingers on the icon grids (classroom boards are touch screens): a tap acts
// where a click would, through each action's larger finger square; a swipe
// to the left or right turns the page as the paging arrows do. The pointer
// keeps its own rules (the item delegates' editorEvent).

#include <QModelIndex>

class GridItemDelegate;
class QAbstractButton;
class QListView;
class QPoint;

namespace touchgrid {

// How far a finger must travel sideways for a swipe (as in the book engine),
// and how far a tap may wander before it is no tap.
constexpr int kSwipeDistance = 150;
constexpr int kTapSlop = 24;

// Takes the view's touch events from now on; prev and next are its paging arrows.
void attach(QListView* view, GridItemDelegate* delegate, QAbstractButton* prev, QAbstractButton* next);

// The target a finger at pos (view coordinates) meets: an item and one of its
// action squares, or GridItemDelegate::kBody; target -1 when none.
struct Target {
    QModelIndex index;
    int target = -1;
};
Target targetAt(const QListView* view, const GridItemDelegate* delegate, const QPoint& pos);

} // namespace touchgrid
