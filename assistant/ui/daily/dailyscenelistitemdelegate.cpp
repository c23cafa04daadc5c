#include "dailyscenelistitemdelegate.h"

#include "ui/daily/dailyscenelistmodel.h"
#include "ui/lists/applistitemdelegate.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

DailySceneListItemDelegate::DailySceneListItemDelegate(QObject* parent)
    : QAbstractItemDelegate(parent), m_sceneIcon(":/images/custom_scene_icon"), m_trash(":/images/trash"),
      m_edit(":/images/edit"), m_add(":/images/daily_add"), m_warning(":/images/warning"),
      m_font(QString::fromUtf8("微软雅黑"), 11, QFont::Normal) {}

QSize DailySceneListItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return QSize(IconListItemDelegate::kItemWidth, IconListItemDelegate::kItemHeight);
}

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
    painter->save();
    painter->setFont(m_font);
    painter->setPen(QColor(0x01, 0x1B, 0x5E));
    const QRect nameRect(origin + QPoint(0, 138), origin + QPoint(146, 177));
    const int lineHeight = QFontMetrics(m_font).lineSpacing();
    const QStringList lines = IconListItemDelegate::nameLines(text, m_font, nameRect.width());
    for (int i = 0; i < lines.size(); ++i)
        painter->drawText(QRect(nameRect.left(), nameRect.top() + i * lineHeight, nameRect.width(), lineHeight),
                          Qt::AlignHCenter | Qt::AlignTop, lines[i]);
    painter->restore();
}

DailySceneListItemDelegate::Zone DailySceneListItemDelegate::zoneAt(const QModelIndex& index,
                                                                    const QPoint& pos) const {
    auto inside = [&](const QRect& r) { return r.contains(pos); };
    const bool scene = index.data(DailySceneListModel::SceneKindRole).toInt() == 1;
    if (inside(iconSquare()))
        return Icon;
    if (scene && index.data(DailySceneListModel::SceneCustomRole).toBool() && inside(trashSquare()))
        return Trash;
    if (inside(editSquare()))
        return Edit;
    return None;
}

bool DailySceneListItemDelegate::editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option,
                                             const QModelIndex& index) {
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        m_pressedIndex = QPersistentModelIndex();
        emit doubleClicked(index);
        return true;
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_pressedIndex = index;
        m_pressedZone = zoneAt(index, mouse->pos() - option.rect.topLeft());
        return m_pressedZone != None;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const Zone zone = zoneAt(index, mouse->pos() - option.rect.topLeft());
        const bool sameTarget = m_pressedIndex.isValid() && m_pressedIndex == index && m_pressedZone == zone;
        m_pressedIndex = QPersistentModelIndex();
        if (zone == None)
            return false;
        if (sameTarget && mouse->button() == Qt::LeftButton) {
            const bool addRow = index.data(DailySceneListModel::SceneKindRole).toInt() == 0;
            switch (zone) {
            case Icon:
                if (addRow)
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
            case None:
                break;
            }
        }
        return true;
    }
    default:
        return false;
    }
}
