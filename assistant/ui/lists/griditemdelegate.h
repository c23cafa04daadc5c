#pragma once
// What every item delegate of the icon grids shares: the item's size, the
// name wrapped under the icon, and action squares that act like buttons (a
// release acts only on the item and square its press went to). Each member
// says which square lies where and what a click on it does.

#include <QAbstractItemDelegate>
#include <QFont>
#include <QPersistentModelIndex>
#include <QStringList>
#include <QVector>

class GridItemDelegate : public QAbstractItemDelegate {
    Q_OBJECT
public:
    static constexpr int kItemWidth = 147;
    static constexpr int kItemHeight = 173;
    // Where the name goes under the icon, in item coordinates.
    static QRect nameRect() { return QRect(QPoint(0, 138), QPoint(146, 177)); }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // The name as painted under the icon, wrapped to width: at most two lines,
    // the second ending in "…" when the name needs more (the tool tip shows it whole).
    static QStringList nameLines(const QString& name, const QFont& font, int width);

    // Fingers: a fingertip covers far more than a pointer, so each action has
    // a finger square of at least kFingerSide around its picture. The finger
    // squares of a page never overlap one another; they take precedence over
    // the item bodies, which they may reach into. The pictures and the
    // pointer's squares stay as they are.
    static constexpr int kFingerSide = 44;
    // The item's body as a finger target: all the item when a click on it opens it.
    static constexpr int kBody = -2;
    // The finger square of each action square (by its number), in item
    // coordinates; a null rectangle where the item has no such square.
    virtual QVector<QRect> fingerSquares(const QModelIndex& index) const = 0;
    // The body a finger opens the item with (item coordinates), null when none.
    QRect fingerBody(const QModelIndex& index) const;
    // A tap on a target (a square's number or kBody) acts as a left click on it.
    void tap(const QModelIndex& index, int target);

signals:
    void clicked(const QModelIndex& index);
    void removeBtnClicked(const QModelIndex& index);
    void doubleClicked(const QModelIndex& index);

protected:
    // bodyClicks: a click on the item outside every square opens it (clicked);
    // without it only squares act.
    GridItemDelegate(bool bodyClicks, QObject* parent);

    // The square of the item under pos (item coordinates), or -1 for none.
    virtual int squareAt(const QModelIndex& index, const QPoint& posInItem) const = 0;
    // A left-button click on a square.
    virtual void squareClicked(int square, const QModelIndex& index) = 0;
    // Paints the name in font and colour, centred under the icon.
    static void paintName(QPainter* painter, const QPoint& origin, const QString& name, const QFont& font,
                          const QColor& colour);

private:
    bool m_bodyClicks;
    // Where the last press went: a release acts only on the same item and square.
    QPersistentModelIndex m_pressedIndex;
    int m_pressedSquare = -1;
};
