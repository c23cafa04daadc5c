#pragma once
// The page of installed packs the pack grid shows.

#include "ui/lists/recordlistmodel.h"

class PackListModel : public RecordListModel<TaviPack> {
    Q_OBJECT
public:
    enum Roles { PackIdRole = 356, PackNameRole = 357 };

    explicit PackListModel(QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};
