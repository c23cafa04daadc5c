#include "daycourselistwidget.h"

#include "catalogue/db.h"
#include "online/calendar.h"
#include "platform/log.h"
#include "ui/lists/applistitemdelegate.h"
#include "ui/lists/applistmodel.h"
#include "ui/lists/pagedgrid.h"

#include <QBoxLayout>

DayCourseListWidget::DayCourseListWidget(const ClientContext& context, bool ownBackground, QWidget* parent)
    : PagedListWidget(context, "DayCourseListWidget", tr("day course list"), parent, ownBackground) {
    layout()->setContentsMargins(0, 0, 0, 0);
    m_model = new AppListModel(this);
    auto* delegate = new CourseAppListItemDelegate(this);
    setModelAndDelegate(m_model, delegate);
    if (DB* db = context.db) {
        connect(db, &DB::courseChanged, this, &DayCourseListWidget::onCourseChanged);
        connect(db, &DB::appRemoved, this, &DayCourseListWidget::load);
        connect(db, &DB::packRemoved, this, &DayCourseListWidget::load);
    }
    // The same index names another date once the day has moved on.
    if (context.calendar)
        connect(context.calendar, &Calendar::currDateChanged, this, &DayCourseListWidget::reload);
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
    DB* db = context().db;
    _GetCourseAppsPara para;
    para.day = m_day;
    para.limit = limit;
    para.offset = offset;
    return pagedgrid::fetchRows(m_apps, [&]() { return db && db->getCourseApps(&para, total, &m_apps); });
}

void DayCourseListWidget::attachRows() {
    if (const DataPaths* paths = context().paths)
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

void DayCourseListWidget::openItem(const QModelIndex& index) {
    openApp(m_model->record(index).data());
}

PagedListWidget::Removal DayCourseListWidget::removal(const QModelIndex& index) {
    const TaviAppPtr app = m_model->record(index);
    if (!app || !context().db)
        return {};
    const QString name = index.data(AppListModel::AppNameRole).toString();
    const int day = m_day;
    // The list follows through courseChanged.
    return {tr("Confirm Removal"), tr("Do you really want to remove %1?").arg(name),
            [this, app, day]() { context().db->removeCourseApp(day, app->appId); }};
}
