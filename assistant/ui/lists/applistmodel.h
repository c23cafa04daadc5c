#pragma once
// The page of apps an icon grid shows. The model only points at the page; the
// widget that loaded it owns the DataSet and keeps it alive.

#include "catalogue/records.h"

class DataPaths;

#include <QAbstractListModel>

class AppListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Roles { AppIdRole = 406, AppNameRole = 407, AppFavorRole = 421 };

    explicit AppListModel(QObject* parent = nullptr);

    // Shows page (nullptr: nothing).
    void setList(DataSet<TaviApp>* page);
    DataSet<TaviApp>* list() const { return m_list; }
    // Writes the record's favour flag and repaints its item.
    void setFavor(const QModelIndex& index, bool favor);

    // The record behind an index of this model, or null when the index is stale.
    TaviAppPtr record(const QModelIndex& index) const;

    // The icon an app shows: the system's icon for the file type of a user
    // file, else the app's picture from the app-icon folder; an unreadable file
    // gives an empty picture. The user file's full path is logged, and with
    // logIconPath the picture's path as well.
    static QPixmap iconFor(const _TaviApp& app, const DataPaths& paths, bool logIconPath);
    // Fills iconPixmap of every record of a freshly loaded page.
    static void setIcons(DataSet<TaviApp>* page, const DataPaths& paths, bool logIconPath);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = QModelIndex()) const override;

private:
    DataSet<TaviApp>* m_list = nullptr;
};
