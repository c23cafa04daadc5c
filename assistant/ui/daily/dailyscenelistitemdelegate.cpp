#include "dailyscenelistitemdelegate.h"

#include "ui/daily/dailyscenelistmodel.h"
#include "ui/look/pictures.h"

#include <QPainter>
#include <QPen>

DailySceneListItemDelegate::DailySceneListItemDelegate(QObject* parent)
    : GridItemDelegate(false, parent),
      m_sceneIcon(pictures::at(":/images/custom_scene_icon", iconSquare().size())),
      m_trash(pictures::at(":/images/trash", trashSquare().size())),
      m_edit(pictures::at(":/images/edit", editSquare().size())),
      m_add(pictures::at(":/images/daily_add", addSquare().size())),
      m_warning(pictures::at(":/images/warning", warningSquare().size())),
      m_font(QString::fromUtf8("微软雅黑"), 11, QFont::Normal) {}

void DailySceneListItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    if (!index.isValid())
        return;
    const QPoint origin = option.rect.topLeft();
    const bool addRow = index.data(DailySceneListModel::SceneKindRole).toInt() == 0;
    const QString text = addRow ? tr("add") : index.data(Qt::DisplayRole).toString();
    if (addRow) {
        // A tile a finger finds at once, even on an empty tab.
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        QPen border(QColor(0xC9, 0x61, 0x1A), 3, Qt::DashLine);
        painter->setPen(border);
        painter->setBrush(QColor(0xFF, 0xF1, 0xE3));
        painter->drawRoundedRect(QRectF(iconSquare().translated(origin)).adjusted(3.5, 3.5, -3.5, -3.5), 18,
                                 18);
        painter->restore();
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

QVector<QRect> DailySceneListItemDelegate::fingerSquares(const QModelIndex& index) const {
    QVector<QRect> squares(3);
    if (index.data(DailySceneListModel::SceneKindRole).toInt() != 1) {
        // The add tile has no other target: all its picture is for the finger.
        squares[Icon] = iconSquare();
        return squares;
    }
    squares[Icon] = iconFinger();
    if (index.data(DailySceneListModel::SceneCustomRole).toBool())
        squares[Trash] = trashFinger();
    squares[Edit] = editFinger();
    return squares;
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
