#include "dailyscenelistmodel.h"

#include "ui/dialogs/messages.h"

DailySceneListModel::DailySceneListModel(QObject* parent) : RecordListModel(parent) {}

void DailySceneListModel::setList(DataSet<DailyScene>* page, bool withAddRow) {
    beginResetModel();
    m_list = page;
    m_addRow = withAddRow;
    endResetModel();
}

void DailySceneListModel::setMissing(const QHash<int, int>& missingById) {
    m_missing = missingById;
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1), {SceneMissingRole, Qt::ToolTipRole});
}

bool DailySceneListModel::isAddRow(const QModelIndex& index) const {
    return m_addRow && index.isValid() && index.model() == this && index.row() == sceneCount() &&
           !index.internalPointer();
}

int DailySceneListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return sceneCount() + (m_addRow ? 1 : 0);
}

QModelIndex DailySceneListModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || column != 0 || row < 0 || row >= rowCount())
        return QModelIndex();
    if (row < sceneCount())
        return createIndex(row, column, m_list->at(row).data());
    return createIndex(row, column, nullptr);
}

QVariant DailySceneListModel::data(const QModelIndex& index, int role) const {
    if (isAddRow(index))
        return role == SceneKindRole ? QVariant(0) : QVariant();
    const DailyScenePtr scene = record(index);
    if (!scene)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return scene->name;
    case Qt::DecorationRole:
        return scene->iconPixmap;
    case SceneKindRole:
        return 1;
    case SceneMissingRole:
        return m_missing.value(scene->id, 0);
    case SceneCustomRole:
        return scene->isCustom;
    case Qt::ToolTipRole: {
        const int missing = m_missing.value(scene->id, 0);
        if (missing < 0)
            return messages::plainToolTip(tr("%1: its playlist is missing").arg(scene->name));
        if (missing > 0)
            return messages::plainToolTip(
                tr("%1: %2 of its files can not be found").arg(scene->name).arg(missing));
        return messages::plainToolTip(scene->name);
    }
    default:
        return QVariant();
    }
}
