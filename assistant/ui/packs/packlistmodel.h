#pragma once
// The page of installed packs the pack grid shows; like AppListModel it only
// points at a page its widget owns.

#include "catalogue/records.h"

#include <QAbstractListModel>

class PackListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Roles { PackIdRole = 356, PackNameRole = 357 };

    explicit PackListModel(QObject* parent = nullptr);

    void setList(DataSet<TaviPack>* page);
    DataSet<TaviPack>* list() const { return m_list; }
    // The record behind an index of this model, or null when the index is stale.
    TaviPackPtr record(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = QModelIndex()) const override;

private:
    DataSet<TaviPack>* m_list = nullptr;
};
