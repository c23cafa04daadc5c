#pragma once
// The grid of installed packs, newest first, as many a page as the list area
// holds. A click opens the pack's apps; the trash removes the pack.

#include "catalogue/records.h"
#include "ui/lists/pagedlistwidget.h"

class PackListModel;

class PackListWidget : public PagedListWidget {
    Q_OBJECT
public:
    explicit PackListWidget(const ClientContext& context, QWidget* parent = nullptr);
    ~PackListWidget() override;

protected:
    void detachRows() override;
    int fetchPage(unsigned limit, unsigned offset, unsigned& total) override;
    void attachRows() override;
    QString emptyText() const override;
    // Opens the pack's apps.
    void openItem(const QModelIndex& index) override;
    Removal removal(const QModelIndex& index) override;

private:
    PackListModel* m_model = nullptr;
    DataSet<TaviPack> m_packs;
};
