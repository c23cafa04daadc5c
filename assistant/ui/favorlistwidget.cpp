#include "favorlistwidget.h"

#include "applistitemdelegate.h"
#include "applistmodel.h"
#include "catalogue/db.h"
#include "core/core.h"
#include "pagedgrid.h"

#include <QBitmap>
#include <QBoxLayout>
#include <QListView>
#include <QMessageBox>
#include <QResizeEvent>
#include <QToolButton>

FavorListWidget::FavorListWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("FavorListWidget");
    setWindowTitle(tr("favor list"));
    setAutoFillBackground(true);

    m_prevBtn = new QToolButton(this);
    m_prevBtn->setFixedSize(26, 45);
    m_prevBtn->setStyleSheet("QToolButton{border-image:url(:/images/left)}");
    m_nextBtn = new QToolButton(this);
    m_nextBtn->setFixedSize(26, 45);
    m_nextBtn->setStyleSheet("QToolButton{border-image:url(:/images/right)}");
    m_prevBtn->setObjectName("prevBtn");
    m_nextBtn->setObjectName("nextBtn");
    m_prevBtn->setEnabled(false);
    m_nextBtn->setEnabled(false);

    m_model = new AppListModel(this);
    m_delegate = new FavorAppListItemDelegate(this);
    m_listView = new QListView(this);
    m_listView->setObjectName("listView");
    m_listView->setStyleSheet("background-color:transparent; border:0px;");
    m_listView->setViewMode(QListView::IconMode);
    m_listView->setMovement(QListView::Static);
    m_listView->setSpacing(20);
    m_listView->setResizeMode(QListView::Adjust);
    m_listView->setModel(m_model);
    m_listView->setItemDelegate(m_delegate);

    auto* row = new QHBoxLayout(this);
    row->addWidget(m_prevBtn);
    row->addSpacing(10);
    row->addWidget(m_listView);
    row->addSpacing(10);
    row->addWidget(m_nextBtn);

    connect(m_prevBtn, &QToolButton::clicked, this, &FavorListWidget::onPrevBtnClicked);
    connect(m_nextBtn, &QToolButton::clicked, this, &FavorListWidget::onNextBtnClicked);
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

void FavorListWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QPixmap background =
        QPixmap(":/images/center_widget_background").scaled(event->size(), Qt::IgnoreAspectRatio);
    setMask(background.mask());
    QPalette pal = palette();
    pal.setBrush(QPalette::All, QPalette::Window, QBrush(background));
    setPalette(pal);

    // The layout has already placed the list view; its area decides.
    m_pageSize = pagedgrid::pageSizeFor(m_listView->size());
    reload();
}

void FavorListWidget::load() {
    m_model->setList(nullptr);
    Core* core = Core::instance();
    pagedgrid::loadPage(m_page, m_total, m_pageSize, [&](unsigned limit, unsigned offset, unsigned& total) {
        _GetFavorAppsPara para;
        para.limit = limit;
        para.offset = offset;
        para.orderBy = 2;
        para.desc = 0;
        m_apps.clear();
        if (!core->db || !core->db->getFavorApps(&para, total, &m_apps)) {
            m_apps.clear();
            return -1;
        }
        return int(m_apps.size());
    });
    if (core->paths)
        AppListModel::setIcons(&m_apps, *core->paths, false);
    pagedgrid::updateButtons(m_prevBtn, m_nextBtn, m_page, m_total, m_pageSize);
    m_model->setList(&m_apps);
}

void FavorListWidget::reload() {
    m_page = 0;
    load();
}

void FavorListWidget::onPrevBtnClicked() {
    m_page -= 1;
    load();
}

void FavorListWidget::onNextBtnClicked() {
    m_page += 1;
    load();
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
    const auto answer = QMessageBox::question(
        this, tr("Confirm Removal"),
        tr("Do you really want to unfavor %1?").arg(index.data(AppListModel::AppNameRole).toString()),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    db->setFavorApp(app->appId, false);
    load();
}
