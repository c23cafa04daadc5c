#include "favorlistwidget.h"

#include "catalogue/db.h"
#include "core/core.h"
#include "ui/lists/applistitemdelegate.h"
#include "ui/lists/applistmodel.h"
#include "ui/lists/pagedgrid.h"

#include <QMessageBox>

FavorListWidget::FavorListWidget(QWidget* parent)
    : PagedListWidget("FavorListWidget", tr("favor list"), parent) {
    m_model = new AppListModel(this);
    m_delegate = new FavorAppListItemDelegate(this);
    setModelAndDelegate(m_model, m_delegate);

    connect(m_delegate, &FavorAppListItemDelegate::removeBtnClicked, this, &FavorListWidget::removeFavorApp);
    connect(m_delegate, &FavorAppListItemDelegate::clicked, this, &FavorListWidget::onAppClicked);
    if (DB* db = Core::instance()->db) {
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
    DB* db = Core::instance()->db;
    _GetFavorAppsPara para;
    para.limit = limit;
    para.offset = offset;
    para.orderBy = 2;
    para.desc = 0;
    m_apps.clear();
    if (!db || !db->getFavorApps(&para, total, &m_apps)) {
        m_apps.clear();
        return -1;
    }
    return int(m_apps.size());
}

QString FavorListWidget::emptyText() const {
    return tr("No favourites yet. Tap the heart on a resource to find it here.");
}

void FavorListWidget::attachRows() {
    if (const DataPaths* paths = Core::instance()->paths)
        AppListModel::setIcons(&m_apps, *paths, false);
    m_model->setList(&m_apps);
}

void FavorListWidget::onAppClicked(const QModelIndex& index) {
    const TaviAppPtr app = m_model->record(index);
    if (app)
        Core::instance()->openApp(app.data());
}

void FavorListWidget::removeFavorApp(const QModelIndex& index) {
    const TaviAppPtr app = m_model->record(index);
    DB* db = Core::instance()->db;
    if (!app || !db)
        return;
    if (!pagedgrid::confirmRemoval(
            this, tr("Confirm Removal"),
            tr("Do you really want to unfavor %1?").arg(index.data(AppListModel::AppNameRole).toString())))
        return;
    db->setFavorApp(app->appId, false);
    load();
}
