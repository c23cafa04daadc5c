#pragma once
// The favourites grid: the apps marked as favourite, most recently marked
// first, as many a page as the list area holds.

#include "catalogue/records.h"
#include "ui/lists/pagedlistwidget.h"

class AppListModel;

class FavorListWidget : public PagedListWidget {
    Q_OBJECT
public:
    explicit FavorListWidget(const ClientContext& context, QWidget* parent = nullptr);
    ~FavorListWidget() override;

protected:
    void detachRows() override;
    int fetchPage(unsigned limit, unsigned offset, unsigned& total) override;
    void attachRows() override;
    QString emptyText() const override;
    void openItem(const QModelIndex& index) override;
    // Takes the app off the favourites.
    Removal removal(const QModelIndex& index) override;

private:
    AppListModel* m_model = nullptr;
    DataSet<TaviApp> m_apps;
};
