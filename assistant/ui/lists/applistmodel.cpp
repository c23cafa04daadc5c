#include "applistmodel.h"

#include "catalogue/datapaths.h"
#include "platform/log.h"
#include "ui/dialogs/messages.h"

#include <QFileIconProvider>
#include <QFileInfo>

AppListModel::AppListModel(QObject* parent) : QAbstractListModel(parent) {}

void AppListModel::setList(DataSet<TaviApp>* page) {
    beginResetModel();
    m_list = page;
    endResetModel();
}

void AppListModel::setFavor(const QModelIndex& index, bool favor) {
    const TaviAppPtr app = record(index);
    if (!app)
        return;
    app->favor = favor;
    emit dataChanged(index, index, {AppFavorRole});
}

TaviAppPtr AppListModel::record(const QModelIndex& index) const {
    if (!m_list || !index.isValid() || index.model() != this || index.row() < 0 ||
        index.row() >= m_list->size())
        return TaviAppPtr();
    const TaviAppPtr& app = m_list->at(index.row());
    // An index kept across a reload points at a record that is gone.
    if (app.data() != index.internalPointer())
        return TaviAppPtr();
    return app;
}

int AppListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_list)
        return 0;
    return m_list->size();
}

QModelIndex AppListModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || column != 0 || !m_list || row < 0 || row >= m_list->size())
        return QModelIndex();
    return createIndex(row, column, m_list->at(row).data());
}

QVariant AppListModel::data(const QModelIndex& index, int role) const {
    const TaviAppPtr app = record(index);
    if (!app)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case AppNameRole:
        return app->name;
    case Qt::ToolTipRole: // the grid shows two lines of a name; the tip shows it whole
        return messages::plainToolTip(app->name);
    case Qt::DecorationRole:
        return app->iconPixmap;
    case AppIdRole:
        return app->appId;
    case AppFavorRole:
        return app->favor;
    default:
        return QVariant();
    }
}

QPixmap AppListModel::iconFor(const _TaviApp& app, const DataPaths& paths, bool logIconPath) {
    if (app.isUserFile) {
        const QString full =
            QString("%1/%2").arg(app.isExternal ? paths.externalDir : paths.customPackDir, app.path);
        TLOG_DEBUG("fileFullPath:" << full);
        return QFileIconProvider().icon(QFileInfo(full)).pixmap(128, 128);
    }
    const QString full = QString("%1/%2").arg(paths.appIconDir, app.icon);
    if (logIconPath)
        TLOG_DEBUG("iconFullPath:" << full);
    return QPixmap(full);
}

void AppListModel::setIcons(DataSet<TaviApp>* page, const DataPaths& paths, bool logIconPath) {
    if (!page)
        return;
    for (const TaviAppPtr& app : *page) {
        if (app)
            app->iconPixmap = iconFor(*app, paths, logIconPath);
    }
}
