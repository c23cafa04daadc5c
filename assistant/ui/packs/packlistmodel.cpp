#include "packlistmodel.h"

#include "ui/dialogs/messages.h"

PackListModel::PackListModel(QObject* parent) : RecordListModel(parent) {}

QVariant PackListModel::data(const QModelIndex& index, int role) const {
    const TaviPackPtr pack = record(index);
    if (!pack)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case PackNameRole:
        return pack->name;
    case Qt::ToolTipRole: // the grid shows two lines of a name; the tip shows it whole
        return messages::plainToolTip(pack->name);
    case Qt::DecorationRole:
        return pack->iconPixmap;
    case PackIdRole:
        return pack->packId;
    default:
        return QVariant();
    }
}
