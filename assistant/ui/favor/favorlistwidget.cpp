#include "favorlistwidget.h"

#include "catalogue/db.h"
#include "ui/lists/applistitemdelegate.h"
#include "ui/lists/applistmodel.h"
#include "ui/lists/pagedgrid.h"

FavorListWidget::FavorListWidget(const ClientContext& context, QWidget* parent)
    : PagedListWidget(context, "FavorListWidget", tr("favor list"), parent) {
    m_model = new AppListModel(this);
    auto* delegate = new FavorAppListItemDelegate(this);
    setModelAndDelegate(m_model, delegate);
    if (DB* db = context.db) {
        // Whoever changed favourites, apps or packs, this tab shows it at once.
        connect(db, &DB::favorChanged, this, &FavorListWidget::load);
        connect(db, &DB::appRemoved, this, &FavorListWidget::load);
        connect(db, &DB::packRemoved, this, &FavorListWidget::load);
    }
    load();
}

FavorListWidget::~FavorListWidget() {
    m_model->setList(nullptr);
}

void FavorListWidget::detachRows() {
    m_model->setList(nullptr);
}

int FavorListWidget::fetchPage(unsigned limit, unsigned offset, unsigned& total) {
    DB* db = context().db;
    _GetFavorAppsPara para;
    para.limit = limit;
    para.offset = offset;
    para.orderBy = 2;
    para.desc = 0;
    return pagedgrid::fetchRows(m_apps, [&]() { return db && db->getFavorApps(&para, total, &m_apps); });
}

QString FavorListWidget::emptyText() const {
    return tr("No favourites yet. Tap the heart on a resource to find it here.");
}

void FavorListWidget::attachRows() {
    if (const DataPaths* paths = context().paths)
        AppListModel::setIcons(&m_apps, *paths, false);
    m_model->setList(&m_apps);
}

void FavorListWidget::openItem(const QModelIndex& index) {
    openApp(m_model->record(index).data());
}

PagedListWidget::Removal FavorListWidget::removal(const QModelIndex& index) {
    const TaviAppPtr app = m_model->record(index);
    if (!app || !context().db)
        return {};
    const QString name = index.data(AppListModel::AppNameRole).toString();
    return {tr("Confirm Removal"), tr("Do you really want to unfavor %1?").arg(name), [this, app]() {
                context().db->setFavorApp(app->appId, false);
                load();
            }};
}
