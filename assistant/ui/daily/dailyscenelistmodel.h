#pragma once
// The page of daily scenes the daily grid shows, and the "add" item after
// them on the last page.

#include "ui/lists/recordlistmodel.h"

#include <QHash>

class DailySceneListModel : public RecordListModel<DailyScene> {
    Q_OBJECT
public:
    // SceneKindRole: 1 for a scene, 0 for the add item. SceneMissingRole: how
    // many of the scene's files are gone (-1: its playlist itself is missing).
    enum Roles { SceneKindRole = 456, SceneMissingRole = 457, SceneCustomRole = 458 };

    explicit DailySceneListModel(QObject* parent = nullptr);

    // Shows page (nullptr: nothing), followed by the add item when withAddRow is set.
    void setList(DataSet<DailyScene>* page, bool withAddRow);
    // Files missing per scene id, for the warning mark.
    void setMissing(const QHash<int, int>& missingById);
    // record(): the scene behind an index, or null for the add item and stale indexes.
    bool isAddRow(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = QModelIndex()) const override;

private:
    int sceneCount() const { return m_list ? m_list->size() : 0; }

    bool m_addRow = false;
    QHash<int, int> m_missing;
};
