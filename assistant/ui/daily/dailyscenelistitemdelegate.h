#pragma once
// The daily grid's items: the scene picture with the name under it, an edit
// picture on every scene, a trash picture on the scenes the user made, a
// warning mark on scenes whose files are gone; and the "add" item. Only the
// picture plays a scene: a click on its name does nothing.

#include <QAbstractItemDelegate>
#include <QFont>
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QRect>

class DailySceneListItemDelegate : public QAbstractItemDelegate {
    Q_OBJECT
public:
    explicit DailySceneListItemDelegate(QObject* parent = nullptr);

    // Item coordinates of the zones.
    static constexpr QRect iconSquare() { return QRect(0, 0, 128, 128); }
    static constexpr QRect trashSquare() { return QRect(134, 26, 16, 16); }
    static constexpr QRect editSquare() { return QRect(134, 0, 16, 16); }
    static constexpr QRect warningSquare() { return QRect(134, 52, 16, 16); }
    static constexpr QRect addSquare() { return QRect(59, 49, 29, 29); }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

signals:
    void clicked(const QModelIndex& index);
    void editBtnClicked(const QModelIndex& index);
    void removeBtnClicked(const QModelIndex& index);
    void doubleClicked(const QModelIndex& index);
    void addItemClicked(const QModelIndex& index);

private:
    enum Zone { None, Icon, Trash, Edit };
    Zone zoneAt(const QModelIndex& index, const QPoint& posInItem) const;

    QPixmap m_sceneIcon;
    QPixmap m_trash;
    QPixmap m_edit;
    QPixmap m_add;
    QPixmap m_warning;
    QFont m_font;
    // A release acts only where its press went, like a button.
    QPersistentModelIndex m_pressedIndex;
    Zone m_pressedZone = None;
};
