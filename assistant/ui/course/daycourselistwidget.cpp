#include "daycourselistwidget.h"

#include "catalogue/db.h"
#include "core/core.h"
#include "online/calendar.h"
#include "platform/log.h"
#include "ui/lists/applistitemdelegate.h"
#include "ui/lists/applistmodel.h"
#include "ui/lists/pagedgrid.h"

#include <QBoxLayout>
#include <QMessageBox>

DayCourseListWidget::DayCourseListWidget(bool ownBackground, QWidget* parent)
    : PagedListWidget("DayCourseListWidget", tr("day course list"), parent, ownBackground) {
    layout()->setContentsMargins(0, 0, 0, 0);
    m_model = new AppListModel(this);
    m_delegate = new CourseAppListItemDelegate(this);
    setModelAndDelegate(m_model, m_delegate);

    connect(m_delegate, &CourseAppListItemDelegate::removeBtnClicked, this,
            &DayCourseListWidget::removeFavorApp);
    connect(m_delegate, &CourseAppListItemDelegate::clicked, this, &DayCourseListWidget::onAppClicked);
    Core* core = Core::instance();
    if (DB* db = core->db) {
        connect(db, &DB::courseChanged, this, &DayCourseListWidget::onCourseChanged);
        connect(db, &DB::appRemoved, this, &DayCourseListWidget::load);
        connect(db, &DB::packRemoved, this, &DayCourseListWidget::load);
    }
    // The same index names another date once the day has moved on.
    if (core->calendar)
        connect(core->calendar, &Calendar::currDateChanged, this, &DayCourseListWidget::reload);
    load();
}

DayCourseListWidget::~DayCourseListWidget() {
    m_model->setList(nullptr);
}

void DayCourseListWidget::setDay(int dayIndex) {
    m_day = dayIndex;
    reload();
}

void DayCourseListWidget::detachRows() {
    m_model->setList(nullptr);
}

int DayCourseListWidget::fetchPage(unsigned limit, unsigned offset, unsigned& total) {
    DB* db = Core::instance()->db;
    _GetCourseAppsPara para;
    para.day = m_day;
    para.limit = limit;
    para.offset = offset;
    m_apps.clear();
    if (!db || !db->getCourseApps(&para, total, &m_apps)) {
        m_apps.clear();
        return -1;
    }
    return int(m_apps.size());
}

void DayCourseListWidget::attachRows() {
    if (const DataPaths* paths = Core::instance()->paths)
        AppListModel::setIcons(&m_apps, *paths, false);
    TLOG_DEBUG("total:" << total());
    m_model->setList(&m_apps);
}

QString DayCourseListWidget::emptyText() const {
    return tr("Nothing planned for this day. Tap \"+\" on a resource to plan it here.");
}

void DayCourseListWidget::onCourseChanged(int day) {
    if (day == m_day)
        load();
}

void DayCourseListWidget::onAppClicked(const QModelIndex& index) {
    const TaviAppPtr app = m_model->record(index);
    if (app)
        Core::instance()->openApp(app.data());
}

void DayCourseListWidget::removeFavorApp(const QModelIndex& index) {
    const TaviAppPtr app = m_model->record(index);
    DB* db = Core::instance()->db;
    if (!app || !db)
        return;
    if (!pagedgrid::confirmRemoval(
            this, tr("Confirm Removal"),
            tr("Do you really want to remove %1?").arg(index.data(AppListModel::AppNameRole).toString())))
        return;
    // The list follows through courseChanged.
    db->removeCourseApp(m_day, app->appId);
}
