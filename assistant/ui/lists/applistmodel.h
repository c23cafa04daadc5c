#pragma once
// The page of apps an icon grid shows.

#include "ui/lists/recordlistmodel.h"

class DataPaths;

class AppListModel : public RecordListModel<TaviApp> {
    Q_OBJECT
public:
    enum Roles { AppIdRole = 406, AppNameRole = 407, AppFavorRole = 421 };

    explicit AppListModel(QObject* parent = nullptr);

    // Writes the record's favour flag and repaints its item.
    void setFavor(const QModelIndex& index, bool favor);

    // The icon an app shows: the system's icon for the file type of a user
    // file, else the app's picture from the app-icon folder; an unreadable file
    // gives an empty picture. The user file's full path is logged, and with
    // logIconPath the picture's path as well.
    static QPixmap iconFor(const _TaviApp& app, const DataPaths& paths, bool logIconPath);
    // Fills iconPixmap of every record of a freshly loaded page.
    static void setIcons(DataSet<TaviApp>* page, const DataPaths& paths, bool logIconPath);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};
