#include "packlistitemdelegate.h"

#include "ui/packs/packlistmodel.h"

PackListItemDelegate::PackListItemDelegate(QObject* parent)
    : IconListItemDelegate(QString::fromUtf8("微软雅黑"), QColor(0x01, 0x1B, 0x5E), parent) {
    setNameRole(PackListModel::PackNameRole);
}
