#include "applistdialog.h"

#include "catalogue/db.h"
#include "core/core.h"
#include "core/dailyscenes.h"
#include "core/worker.h"
#include "platform/log.h"
#include "ui/course/selectcoursedaydialog.h"
#include "ui/dialogs/messages.h"
#include "ui/dialogs/processingdialog.h"
#include "ui/dialogs/topdialog.h"
#include "ui/lists/applistitemdelegate.h"
#include "ui/lists/applistmodel.h"
#include "ui/lists/pagedgrid.h"
#include "ui/lists/touchgrid.h"
#include "ui/look/pictures.h"

#include <QBoxLayout>
#include <QLabel>
#include <QListView>
#include <QToolButton>

AppListDialog::AppListDialog(const ClientContext& context, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint), m_context(context) {
    setObjectName("AppListDialog");
    setWindowTitle(tr("app list"));
    setFixedSize(960, 500);
    setAutoFillBackground(true);

    // Transparent parts of the picture are no part of the window.
    pictures::setBackground(this, ":/images/app_background", size(), true);

    auto* closeBtn = pictures::button("closeBtn", "frame_close", QSize(44, 44), this);
    m_prevBtn = pictures::button("prevBtn", "left", QSize(26, 45), this);
    m_nextBtn = pictures::button("nextBtn", "right", QSize(26, 45), this);
    m_prevBtn->setEnabled(false);
    m_nextBtn->setEnabled(false);

    m_model = new AppListModel(this);
    m_delegate = new AppListItemDelegate(this);
    m_listView = new QListView(this);
    m_listView->setObjectName("listView");
    m_listView->setStyleSheet("background-color:transparent; border:0px;");
    // Five cells across (5 x 167 + 20) and two down leave room for both arrows
    // inside the 960-pixel dialog: a wider list would lie over the next arrow.
    m_listView->setFixedSize(860, 420);
    // A page always fits: with a scroll bar allowed, the view would keep its
    // width free and wrap the fifth cell into a third row.
    m_listView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setViewMode(QListView::IconMode);
    // Items stay in their grid places: dragging an icon would only disorder the page.
    m_listView->setMovement(QListView::Static);
    m_listView->setSpacing(20);
    m_listView->setModel(m_model);
    m_listView->setItemDelegate(m_delegate);
    touchgrid::attach(m_listView, m_delegate, m_prevBtn, m_nextBtn);
    m_emptyLabel = pagedgrid::makeEmptyLabel(m_listView);
    // On the dark teal the line is white, as the names are.
    m_emptyLabel->setStyleSheet("QLabel{color:#FFFFFF; font-size:22px; background:transparent;}");
    m_heading = new QLabel(this);
    m_heading->setObjectName("heading");
    m_heading->setTextFormat(Qt::PlainText);
    m_heading->setStyleSheet(
        "QLabel{color:#FFFFFF; font-size:24px; font-weight:bold; background:transparent;}");

    auto* topRow = new QHBoxLayout;
    topRow->addSpacing(60);
    topRow->addWidget(m_heading, 1);
    topRow->addWidget(closeBtn);
    topRow->addSpacing(40);

    auto* middleRow = new QHBoxLayout;
    middleRow->addStretch();
    middleRow->addWidget(m_prevBtn);
    middleRow->addSpacing(10);
    middleRow->addWidget(m_listView);
    middleRow->addSpacing(10);
    middleRow->addWidget(m_nextBtn);
    middleRow->addStretch();

    auto* column = new QVBoxLayout(this);
    column->addStretch();
    column->addLayout(topRow);
    column->addLayout(middleRow);
    column->addSpacing(80);
    // Made before the list, the arrows would otherwise lie below it where they meet.
    m_prevBtn->raise();
    m_nextBtn->raise();

    connect(closeBtn, &QToolButton::clicked, this, &AppListDialog::accept);
    connect(m_prevBtn, &QToolButton::clicked, this, &AppListDialog::onPrevBtnClicked);
    connect(m_nextBtn, &QToolButton::clicked, this, &AppListDialog::onNextBtnClicked);
    connect(m_delegate, &AppListItemDelegate::removeBtnClicked, this, &AppListDialog::onRemoveClicked);
    connect(m_delegate, &AppListItemDelegate::courseAddBtnClicked, this, &AppListDialog::onAddCourseClicked);
    connect(m_delegate, &AppListItemDelegate::favorBtnClicked, this, &AppListDialog::onSetFavorClicked);
    connect(m_delegate, &AppListItemDelegate::clicked, this, &AppListDialog::onAppClicked);
    if (DB* db = m_context.db) {
        connect(db, &DB::appRemoved, this, &AppListDialog::load);
        connect(db, &DB::favorChanged, this, &AppListDialog::onSetFavor);
    }
}

AppListDialog::~AppListDialog() {
    // The view must not look at records while they go.
    m_model->setList(nullptr);
}

void AppListDialog::setKeyword(const QString& text) {
    m_keyword = text;
    load();
}

void AppListDialog::setPack(const QString& packId, const QString& packName) {
    m_packId = packId;
    m_packName = packName;
    load();
}

void AppListDialog::load() {
    m_model->setList(nullptr);
    DB* db = m_context.db;
    pagedgrid::loadPage(m_page, m_total, kPageSize, [&](unsigned limit, unsigned offset, unsigned& total) {
        _AppSearchPara para;
        para.name = m_keyword;
        para.packId = m_packId;
        para.limit = limit;
        para.offset = offset;
        para.orderBy = 1; // name
        para.desc = 0;
        return pagedgrid::fetchRows(m_apps, [&]() { return db && db->searchApps(&para, total, &m_apps); });
    });
    if (m_context.paths)
        AppListModel::setIcons(&m_apps, *m_context.paths, true);
    pagedgrid::updateButtons(m_prevBtn, m_nextBtn, m_page, m_total, kPageSize);
    m_model->setList(&m_apps);
    m_heading->setText(heading());
    pagedgrid::showWhenEmpty(m_emptyLabel, m_total,
                             m_keyword.isEmpty()
                                 ? tr("This pack holds no resources.")
                                 : tr("Nothing found for \"%1\". Try a shorter word, or the initials of its "
                                      "pinyin.")
                                       .arg(m_keyword));
}

QString AppListDialog::heading() const {
    if (!m_keyword.isEmpty())
        return tr("Search \"%1\": %2 found").arg(m_keyword).arg(m_total);
    if (!m_packName.isEmpty())
        return tr("%1: %2 resources").arg(m_packName).arg(m_total);
    return tr("%1 resources").arg(m_total);
}

void AppListDialog::onPrevBtnClicked() {
    m_page -= 1;
    load();
}

void AppListDialog::onNextBtnClicked() {
    m_page += 1;
    load();
}

void AppListDialog::onSetFavor(int appId, bool favor) {
    for (int i = 0; i < m_apps.size(); ++i) {
        if (m_apps[i] && m_apps[i]->appId == appId) {
            TLOG_DEBUG("found i=" << i);
            m_model->setFavor(m_model->index(i), favor);
            return;
        }
    }
}

void AppListDialog::onSetFavorClicked(const QModelIndex& index) {
    const TaviAppPtr app = m_model->record(index);
    DB* db = m_context.db;
    if (!app || !db)
        return;
    TLOG_DEBUG("favorApp");
    // The heart changes when the catalogue confirms (favorChanged), not before.
    db->setFavorApp(app->appId, !app->favor);
}

void AppListDialog::onAddCourseClicked(const QModelIndex& index) {
    const TaviAppPtr app = m_model->record(index);
    if (!app)
        return;
    SelectCourseDayDialog dialog(m_context, *app, nullptr);
    execAbove(dialog, this);
}

void AppListDialog::onAppClicked(const QModelIndex& index) {
    const TaviAppPtr app = m_model->record(index);
    if (app && m_context.core)
        m_context.core->openApp(app.data());
}

void AppListDialog::onRemoveClicked(const QModelIndex& index) {
    const TaviAppPtr app = m_model->record(index);
    if (!app)
        return;
    QString question = tr("Do you really want to remove %1?").arg(app->name);
    if (m_context.db && m_context.paths) {
        const QStringList scenes = dailyscenes::scenesUsingApp(*m_context.db, *m_context.paths, *app);
        if (!scenes.isEmpty())
            question +=
                "\n" + tr("The daily scenes %1 play its file and will miss it.").arg(scenes.join(", "));
    }
    if (!messages::ask(this, tr("Confirm Removal"), question))
        return;
    // The job works on its own copy: the page (and the record in it) is
    // reloaded while the job still runs, as soon as the catalogue reports the removal.
    const TaviAppPtr victim(new _TaviApp(*app));
    WorkerPtr worker(new AppDeletingWorker(victim.data()));
    ProcessingDialog dialog(worker, this);
    dialog.exec();
}
