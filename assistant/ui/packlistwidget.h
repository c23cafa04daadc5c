#pragma once
// The grid of installed packs, newest first, as many a page as the list area
// holds. A click opens the pack's apps; the trash removes the pack.

#include "catalogue/records.h"

#include <QModelIndex>
#include <QWidget>

class PackListItemDelegate;
class PackListModel;
class QListView;
class QToolButton;

class PackListWidget : public QWidget {
    Q_OBJECT
public:
    explicit PackListWidget(QWidget* parent = nullptr);
    ~PackListWidget() override;

    int page() const { return m_page; }
    int pageSize() const { return m_pageSize; }
    unsigned total() const { return m_total; }

public slots:
    void load();
    void reload();
    void onPrevBtnClicked();
    void onNextBtnClicked();
    void onPackClicked(const QModelIndex& index);
    void removePack(const QModelIndex& index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    PackListModel* m_model = nullptr;
    PackListItemDelegate* m_delegate = nullptr;
    QListView* m_listView = nullptr;
    QToolButton* m_prevBtn = nullptr;
    QToolButton* m_nextBtn = nullptr;
    DataSet<TaviPack> m_packs;
    unsigned m_total = 0;
    int m_page = 0;
    int m_pageSize = 1;
};
