#pragma once
// The favourites grid: the apps marked as favourite, most recently marked
// first, as many a page as the list area holds.

#include "catalogue/records.h"

#include <QModelIndex>
#include <QWidget>

class AppListModel;
class FavorAppListItemDelegate;
class QListView;
class QToolButton;

class FavorListWidget : public QWidget {
    Q_OBJECT
public:
    explicit FavorListWidget(QWidget* parent = nullptr);
    ~FavorListWidget() override;

    int page() const { return m_page; }
    int pageSize() const { return m_pageSize; }
    unsigned total() const { return m_total; }

public slots:
    void load();
    void reload();
    void onPrevBtnClicked();
    void onNextBtnClicked();
    void onAppClicked(const QModelIndex& index);
    void removeFavorApp(const QModelIndex& index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    AppListModel* m_model = nullptr;
    FavorAppListItemDelegate* m_delegate = nullptr;
    QListView* m_listView = nullptr;
    QToolButton* m_prevBtn = nullptr;
    QToolButton* m_nextBtn = nullptr;
    DataSet<TaviApp> m_apps;
    unsigned m_total = 0;
    int m_page = 0;
    int m_pageSize = 1;
};
