#pragma once
// The daily grid's items: the scene picture with the name under it, an edit
// picture on every scene, a trash picture on the scenes the user made, a
// warning mark on scenes whose files are gone; and the "add" item. Only the
// picture plays a scene: a click on its name does nothing.

#include "ui/lists/griditemdelegate.h"

#include <QPixmap>
#include <QRect>

class DailySceneListItemDelegate : public GridItemDelegate {
    Q_OBJECT
public:
    explicit DailySceneListItemDelegate(QObject* parent = nullptr);

    // Item coordinates of the zones.
    static constexpr QRect iconSquare() { return QRect(0, 0, 128, 128); }
    static constexpr QRect trashSquare() { return QRect(134, 26, 16, 16); }
    static constexpr QRect editSquare() { return QRect(134, 0, 16, 16); }
    static constexpr QRect warningSquare() { return QRect(134, 52, 16, 16); }
    // The add item is a tile as large as a scene's picture, its "+" in the middle.
    static constexpr QRect addSquare() { return QRect(32, 32, 64, 64); }
    // Finger squares: the edit and trash squares meet at y 22 instead of
    // overlapping, and end before the next item's picture; the picture gives
    // up its right edge to them.
    static constexpr QRect editFinger() { return QRect(122, -22, 44, 44); }
    static constexpr QRect trashFinger() { return QRect(122, 22, 44, 44); }
    static constexpr QRect iconFinger() { return QRect(0, 0, 122, 128); }

    QVector<QRect> fingerSquares(const QModelIndex& index) const override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

signals:
    void editBtnClicked(const QModelIndex& index);
    void addItemClicked(const QModelIndex& index);

protected:
    int squareAt(const QModelIndex& index, const QPoint& posInItem) const override;
    void squareClicked(int square, const QModelIndex& index) override;

private:
    enum Square { Icon, Trash, Edit };

    QPixmap m_sceneIcon;
    QPixmap m_trash;
    QPixmap m_edit;
    QPixmap m_add;
    QPixmap m_warning;
    QFont m_font;
};
