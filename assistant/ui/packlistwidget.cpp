#include "packlistwidget.h"

#include "applistdialog.h"
#include "catalogue/db.h"
#include "core/core.h"
#include "core/worker.h"
#include "packlistitemdelegate.h"
#include "packlistmodel.h"
#include "pagedgrid.h"
#include "processingdialog.h"

#include <QBitmap>
#include <QBoxLayout>
#include <QListView>
#include <QMessageBox>
#include <QResizeEvent>
#include <QToolButton>

PackListWidget::PackListWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("PackListWidget");
    setWindowTitle(tr("pack list"));
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

    m_model = new PackListModel(this);
    m_delegate = new PackListItemDelegate(this);
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

    connect(m_prevBtn, &QToolButton::clicked, this, &PackListWidget::onPrevBtnClicked);
    connect(m_nextBtn, &QToolButton::clicked, this, &PackListWidget::onNextBtnClicked);
    connect(m_delegate, &PackListItemDelegate::removeBtnClicked, this, &PackListWidget::removePack);
    connect(m_delegate, &PackListItemDelegate::clicked, this, &PackListWidget::onPackClicked);
    if (DB* db = Core::instance()->db) {
        // The pointer packAdded carries may be gone by the time a queued signal
        // arrives: the list always reloads from the catalogue.
        connect(db, &DB::packAdded, this, &PackListWidget::load);
        connect(db, &DB::packRemoved, this, &PackListWidget::load);
    }
    load();
}

PackListWidget::~PackListWidget() {
    m_model->setList(nullptr);
}

void PackListWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QPixmap background =
        QPixmap(":/images/center_widget_background").scaled(event->size(), Qt::IgnoreAspectRatio);
    setMask(background.mask());
    QPalette pal = palette();
    pal.setBrush(QPalette::All, QPalette::Window, QBrush(background));
    setPalette(pal);

    m_pageSize = pagedgrid::pageSizeFor(m_listView->size());
    reload();
}

void PackListWidget::load() {
    m_model->setList(nullptr);
    Core* core = Core::instance();
    pagedgrid::loadPage(m_page, m_total, m_pageSize, [&](unsigned limit, unsigned offset, unsigned& total) {
        _PackSearchPara para;
        para.limit = limit;
        para.offset = offset;
        para.orderBy = 1; // install date
        para.desc = 1;    // newest first
        m_packs.clear();
        if (!core->db || !core->db->searchPacks(&para, total, &m_packs)) {
            m_packs.clear();
            return -1;
        }
        return int(m_packs.size());
    });
    for (const TaviPackPtr& pack : m_packs) {
        if (!pack)
            continue;
        if (pack->isCustom)
            pack->iconPixmap = QPixmap(":/images/custom_pack_icon");
        else if (core->paths)
            pack->iconPixmap = QPixmap(QString("%1/%2").arg(core->paths->packIconDir, pack->icon));
    }
    pagedgrid::updateButtons(m_prevBtn, m_nextBtn, m_page, m_total, m_pageSize);
    m_model->setList(&m_packs);
}

void PackListWidget::reload() {
    m_page = 0;
    load();
}

void PackListWidget::onPrevBtnClicked() {
    m_page -= 1;
    load();
}

void PackListWidget::onNextBtnClicked() {
    m_page += 1;
    load();
}

void PackListWidget::onPackClicked(const QModelIndex& index) {
    const TaviPackPtr pack = m_model->record(index);
    if (!pack)
        return;
    AppListDialog dialog(nullptr);
    dialog.setPack(pack->packId);
    dialog.exec();
}

void PackListWidget::removePack(const QModelIndex& index) {
    const TaviPackPtr pack = m_model->record(index);
    if (!pack)
        return;
    const auto answer = QMessageBox::question(this, tr("Confirm Removal"),
                                              tr("Do you really want to remove %1?").arg(pack->name),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    // The job gets a copy that outlives the reload packRemoved causes while it runs.
    const TaviPackPtr victim(new TaviPack(*pack));
    WorkerPtr worker(new PackDeletingWorker(victim.data()));
    ProcessingDialog dialog(worker, this);
    dialog.exec();
}
