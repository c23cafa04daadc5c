#pragma once
// The item delegates of the resource and pack grids: a 128x128 icon, the name
// under it and small action pictures on the right edge whose squares turn
// mouse releases into actions.
//
// IconListItemDelegate holds what the family shares (painting, the squares);
// each member adds its action squares and signals.

#include "ui/lists/griditemdelegate.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QVector>

class IconListItemDelegate : public GridItemDelegate {
    Q_OBJECT
public:
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The action squares in hit-test order (the trash square first), in item coordinates.
    QVector<QRect> actionSquares() const;
    QVector<QRect> fingerSquares(const QModelIndex& index) const override;
    QFont nameFont() const { return m_nameFont; }
    QColor nameColor() const { return m_nameColor; }

protected:
    // Every member has the trash square at the top of the right edge.
    IconListItemDelegate(const QString& fontFamily, const QColor& nameColor, QObject* parent);

    // The model role that holds the name painted under the icon.
    void setNameRole(int role) { m_nameRole = role; }
    // Adds an action square showing picture; returns its number.
    // finger: where a fingertip counts for it (at least 44x44, see GridItemDelegate).
    int addSquare(const QRect& square, const QRect& finger, const QPixmap& picture);
    // The picture a square shows for an item.
    virtual QPixmap squarePicture(int square, const QModelIndex& index) const;
    int squareAt(const QModelIndex& index, const QPoint& posInItem) const override;
    // Square 0 is the trash.
    void squareClicked(int square, const QModelIndex& index) override;

private:
    struct Square {
        QRect rect;
        QRect finger;
        QPixmap picture;
    };
    QVector<Square> m_squares;
    QFont m_nameFont;
    QColor m_nameColor;
    int m_nameRole;
};

// Search results and a pack's apps: trash, add to the course schedule, favourite.
class AppListItemDelegate : public IconListItemDelegate {
    Q_OBJECT
public:
    explicit AppListItemDelegate(QObject* parent = nullptr);

signals:
    void courseAddBtnClicked(const QModelIndex& index);
    void favorBtnClicked(const QModelIndex& index);

protected:
    QPixmap squarePicture(int square, const QModelIndex& index) const override;
    void squareClicked(int square, const QModelIndex& index) override;

private:
    QPixmap m_favorOn;
    QPixmap m_favorOff;
};

// The favourites grid: trash only (takes the app off the favourites).
class FavorAppListItemDelegate : public IconListItemDelegate {
    Q_OBJECT
public:
    explicit FavorAppListItemDelegate(QObject* parent = nullptr);
};

// A day's course list: trash only (takes the app off that day).
class CourseAppListItemDelegate : public IconListItemDelegate {
    Q_OBJECT
public:
    explicit CourseAppListItemDelegate(QObject* parent = nullptr);
};
