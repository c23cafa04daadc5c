#pragma once
// One day's course: the apps planned on a day index (1-14) of the fortnight,
// as many a page as the list area holds. The trash takes an app off this day.

#include "catalogue/records.h"
#include "ui/lists/pagedlistwidget.h"

class AppListModel;

class DayCourseListWidget : public PagedListWidget {
    Q_OBJECT
public:
    DayCourseListWidget(const ClientContext& context, bool ownBackground, QWidget* parent = nullptr);
    ~DayCourseListWidget() override;

    // Shows the day index and its first page.
    void setDay(int dayIndex);
    int day() const { return m_day; }

public slots:
    void onCourseChanged(int day);

protected:
    void detachRows() override;
    int fetchPage(unsigned limit, unsigned offset, unsigned& total) override;
    void attachRows() override;
    QString emptyText() const override;
    void openItem(const QModelIndex& index) override;
    // Takes the app off the shown day (its favourite flag stays).
    Removal removal(const QModelIndex& index) override;

private:
    AppListModel* m_model = nullptr;
    DataSet<TaviApp> m_apps;
    int m_day = 1;
};
