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
    static constexpr QRect addSquare() { return QRect(59, 49, 29, 29); }

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
