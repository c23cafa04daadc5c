#include "applistmodel.h"

#include "catalogue/datapaths.h"
#include "platform/log.h"
#include "ui/dialogs/messages.h"

#include <QFileIconProvider>
#include <QFileInfo>

AppListModel::AppListModel(QObject* parent) : RecordListModel(parent) {}

void AppListModel::setFavor(const QModelIndex& index, bool favor) {
    const TaviAppPtr app = record(index);
    if (!app)
        return;
    app->favor = favor;
    emit dataChanged(index, index, {AppFavorRole});
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
        const QString full = paths.folderOf(true, app.isExternal) + "/" + app.path;
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
