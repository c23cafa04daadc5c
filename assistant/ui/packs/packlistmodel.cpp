#include "packlistmodel.h"

#include "ui/dialogs/messages.h"

PackListModel::PackListModel(QObject* parent) : QAbstractListModel(parent) {}

void PackListModel::setList(DataSet<TaviPack>* page) {
    beginResetModel();
    m_list = page;
    endResetModel();
}

TaviPackPtr PackListModel::record(const QModelIndex& index) const {
    if (!m_list || !index.isValid() || index.model() != this || index.row() < 0 ||
        index.row() >= m_list->size())
        return TaviPackPtr();
    const TaviPackPtr& pack = m_list->at(index.row());
    if (pack.data() != index.internalPointer())
        return TaviPackPtr();
    return pack;
}

int PackListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_list)
        return 0;
    return m_list->size();
}

QModelIndex PackListModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || column != 0 || !m_list || row < 0 || row >= m_list->size())
        return QModelIndex();
    return createIndex(row, column, m_list->at(row).data());
}

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
