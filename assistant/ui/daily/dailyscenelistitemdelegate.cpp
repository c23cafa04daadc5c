#include "dailyscenelistitemdelegate.h"

#include "ui/daily/dailyscenelistmodel.h"

#include <QPainter>

DailySceneListItemDelegate::DailySceneListItemDelegate(QObject* parent)
    : GridItemDelegate(false, parent), m_sceneIcon(":/images/custom_scene_icon"), m_trash(":/images/trash"),
      m_edit(":/images/edit"), m_add(":/images/daily_add"), m_warning(":/images/warning"),
      m_font(QString::fromUtf8("微软雅黑"), 11, QFont::Normal) {}

void DailySceneListItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    if (!index.isValid())
        return;
    const QPoint origin = option.rect.topLeft();
    const bool addRow = index.data(DailySceneListModel::SceneKindRole).toInt() == 0;
    const QString text = addRow ? tr("add") : index.data(Qt::DisplayRole).toString();
    if (addRow) {
        painter->drawPixmap(addSquare().translated(origin), m_add, m_add.rect());
    } else {
        painter->drawPixmap(iconSquare().translated(origin), m_sceneIcon, m_sceneIcon.rect());
        if (index.data(DailySceneListModel::SceneCustomRole).toBool())
            painter->drawPixmap(trashSquare().translated(origin), m_trash, m_trash.rect());
        painter->drawPixmap(editSquare().translated(origin), m_edit, m_edit.rect());
        if (index.data(DailySceneListModel::SceneMissingRole).toInt() != 0)
            painter->drawPixmap(warningSquare().translated(origin), m_warning, m_warning.rect());
    }
    paintName(painter, origin, text, m_font, QColor(0x01, 0x1B, 0x5E));
}

int DailySceneListItemDelegate::squareAt(const QModelIndex& index, const QPoint& pos) const {
    const bool scene = index.data(DailySceneListModel::SceneKindRole).toInt() == 1;
    if (iconSquare().contains(pos))
        return Icon;
    if (scene && index.data(DailySceneListModel::SceneCustomRole).toBool() && trashSquare().contains(pos))
        return Trash;
    if (editSquare().contains(pos))
        return Edit;
    return -1;
}

void DailySceneListItemDelegate::squareClicked(int square, const QModelIndex& index) {
    switch (square) {
    case Icon:
        if (index.data(DailySceneListModel::SceneKindRole).toInt() == 0)
            emit addItemClicked(index);
        else
            emit clicked(index);
        break;
    case Trash:
        emit removeBtnClicked(index);
        break;
    case Edit:
        emit editBtnClicked(index);
        break;
    default:
        break;
    }
}
