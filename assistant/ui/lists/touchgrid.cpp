#include "touchgrid.h"

#include "ui/lists/griditemdelegate.h"

#include <QAbstractButton>
#include <QListView>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTouchEvent>

namespace touchgrid {

Target targetAt(const QListView* view, const GridItemDelegate* delegate, const QPoint& pos) {
    const QAbstractItemModel* model = view ? view->model() : nullptr;
    if (!model || !delegate)
        return {};
    QVector<QModelIndex> shown;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        if (!view->visualRect(index).isEmpty())
            shown << index;
    }
    // Action squares first: they may reach into their own item's body.
    for (const QModelIndex& index : shown) {
        const QPoint origin = view->visualRect(index).topLeft();
        const QVector<QRect> squares = delegate->fingerSquares(index);
        for (int i = 0; i < squares.size(); ++i)
            if (!squares[i].isNull() && squares[i].translated(origin).contains(pos))
                return {index, i};
    }
    for (const QModelIndex& index : shown) {
        const QRect body = delegate->fingerBody(index);
        if (!body.isNull() && body.translated(view->visualRect(index).topLeft()).contains(pos))
            return {index, GridItemDelegate::kBody};
    }
    return {};
}

namespace {

class Fingers : public QObject {
public:
    Fingers(QListView* view, GridItemDelegate* delegate, QAbstractButton* prev, QAbstractButton* next)
        : QObject(view), m_view(view), m_delegate(delegate), m_prev(prev), m_next(next) {}

    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::TouchBegin: {
            const auto* touch = static_cast<QTouchEvent*>(event);
            if (touch->touchPoints().isEmpty())
                return false;
            m_start = touch->touchPoints().first().pos().toPoint();
            m_fingers = touch->touchPoints().size();
            const Target t = targetAt(m_view, m_delegate, m_start);
            m_pressed = t.index;
            m_target = t.target;
            // Taken whole: no mouse press is made up from it, so the pointer's
            // small squares never see a finger.
            event->accept();
            return true;
        }
        case QEvent::TouchUpdate: {
            const auto* touch = static_cast<QTouchEvent*>(event);
            m_fingers = qMax(m_fingers, touch->touchPoints().size());
            event->accept();
            return true;
        }
        case QEvent::TouchEnd: {
            const auto* touch = static_cast<QTouchEvent*>(event);
            if (!touch->touchPoints().isEmpty() && m_fingers == 1)
                finish(touch->touchPoints().first().pos().toPoint());
            m_pressed = QPersistentModelIndex();
            m_target = -1;
            event->accept();
            return true;
        }
        case QEvent::TouchCancel:
            m_pressed = QPersistentModelIndex();
            m_target = -1;
            return true;
        default:
            return false;
        }
    }

private:
    void finish(const QPoint& end) {
        const QPoint moved = end - m_start;
        if (qAbs(moved.x()) >= kSwipeDistance && qAbs(moved.x()) > qAbs(moved.y())) {
            // Leftwards brings the next page in, as when turning a book's page.
            QAbstractButton* arrow = moved.x() < 0 ? m_next.data() : m_prev.data();
            if (arrow && arrow->isEnabled())
                arrow->click();
            return;
        }
        if (moved.manhattanLength() > kTapSlop || !m_pressed.isValid() || m_target == -1)
            return;
        // Like a click, a tap counts only where it began.
        const Target t = targetAt(m_view, m_delegate, end);
        if (t.index == QModelIndex(m_pressed) && t.target == m_target && m_delegate)
            m_delegate->tap(t.index, t.target);
    }

    QListView* m_view;
    QPointer<GridItemDelegate> m_delegate;
    QPointer<QAbstractButton> m_prev;
    QPointer<QAbstractButton> m_next;
    QPoint m_start;
    int m_fingers = 0;
    QPersistentModelIndex m_pressed;
    int m_target = -1;
};

} // namespace

void attach(QListView* view, GridItemDelegate* delegate, QAbstractButton* prev, QAbstractButton* next) {
    if (!view)
        return;
    view->viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    view->viewport()->installEventFilter(new Fingers(view, delegate, prev, next));
}

} // namespace touchgrid
