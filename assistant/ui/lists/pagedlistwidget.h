#pragma once
// A paged icon grid between a previous and a next button, on the rounded
// centre background: what the favourites, pack, course and daily grids have
// in common. Subclasses say which rows a page holds and what removing an item
// means; opening a resource and the removal question are done here.

#include "core/clientcontext.h"

#include <QModelIndex>
#include <QWidget>
#include <functional>

class GridItemDelegate;
struct _TaviApp;
class QAbstractItemModel;
class QLabel;
class QListView;
class QResizeEvent;
class QToolButton;

class PagedListWidget : public QWidget {
    Q_OBJECT
public:
    int page() const { return m_page; }
    int pageSize() const { return m_pageSize; }
    unsigned total() const { return m_total; }

public slots:
    // Shows the current page again from the catalogue.
    void load();
    // Back to the first page.
    void reload();
    void onPrevBtnClicked();
    void onNextBtnClicked();

protected:
    // ownBackground: the grid paints the rounded centre background itself (and
    // takes its shape); a grid inside another panel leaves that to the panel.
    PagedListWidget(const ClientContext& context, const QString& objectName, const QString& title,
                    QWidget* parent, bool ownBackground = true);

    const ClientContext& context() const { return m_context; }

    // Puts the model and delegate into the grid, a click on an item to
    // openItem and its trash to askAndRemove; subclasses call it once.
    void setModelAndDelegate(QAbstractItemModel* model, GridItemDelegate* delegate);

    // Lets go of the rows the model shows (before they are replaced).
    virtual void detachRows() = 0;
    // Fetches the rows of one page; their number, or -1 when the query failed.
    virtual int fetchPage(unsigned limit, unsigned offset, unsigned& total) = 0;
    // Hands the fetched rows to the model.
    virtual void attachRows() = 0;
    // The friendly line an empty list shows instead of an empty panel.
    virtual QString emptyText() const = 0;
    // Whether the list counts as empty (shows its friendly line); no rows by default.
    virtual bool isEmpty() const { return m_total == 0; }
    // Where the friendly line goes, in the list view's coordinates.
    virtual QRect emptyArea() const;
    // A click on an item (not on one of its action squares).
    virtual void openItem(const QModelIndex& index) = 0;
    // What the trash of an item asks (title and question) and does once the
    // teacher said yes; no remove function when there is nothing to remove.
    // It holds what it removes: the page may be reloaded while the question is open.
    struct Removal {
        QString title;
        QString question;
        std::function<void()> remove;
    };
    virtual Removal removal(const QModelIndex& index) = 0;

    // Asks the removal question for the item and removes it on Yes.
    void askAndRemove(const QModelIndex& index);
    // Opens a resource with its launcher.
    void openApp(_TaviApp* app);

    void resizeEvent(QResizeEvent* event) override;

    QListView* m_listView = nullptr;
    QToolButton* m_prevBtn = nullptr;
    QToolButton* m_nextBtn = nullptr;
    QLabel* m_emptyLabel = nullptr;

private:
    ClientContext m_context;
    bool m_ownBackground = true;
    unsigned m_total = 0;
    int m_page = 0;
    int m_pageSize = 1;
};
