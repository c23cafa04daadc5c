#pragma once
// The search and pack dialog: a frameless, paged grid of apps, either the
// matches of a keyword (main window's search) or the apps of one pack (pack
// view), ordered by name, ten a page.

#include "catalogue/records.h"
#include "core/clientcontext.h"

#include <QDialog>
#include <QModelIndex>
#include <QString>

class AppListItemDelegate;
class AppListModel;
class QLabel;
class QListView;
class QToolButton;

class AppListDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPageSize = 10;

    explicit AppListDialog(const ClientContext& context, QWidget* parent = nullptr);
    ~AppListDialog() override;

    // Stores the keyword and loads.
    void setKeyword(const QString& text);
    // Stores the pack id and loads.
    // packName, when known, is named in the dialog's heading.
    void setPack(const QString& packId, const QString& packName = QString());
    // The heading over the grid: which pack or which search, and how many resources.
    QString heading() const;

    QString packId() const { return m_packId; }
    int page() const { return m_page; }
    unsigned total() const { return m_total; }

public slots:
    void load();
    void onSetFavor(int appId, bool favor);
    void onPrevBtnClicked();
    void onNextBtnClicked();
    void onAppClicked(const QModelIndex& index);
    void onAddCourseClicked(const QModelIndex& index);
    void onSetFavorClicked(const QModelIndex& index);
    void onRemoveClicked(const QModelIndex& index);

private:
    ClientContext m_context;
    AppListModel* m_model = nullptr;
    AppListItemDelegate* m_delegate = nullptr;
    QListView* m_listView = nullptr;
    QToolButton* m_prevBtn = nullptr;
    QToolButton* m_nextBtn = nullptr;
    QLabel* m_emptyLabel = nullptr;
    QLabel* m_heading = nullptr;
    QString m_packName;
    DataSet<TaviApp> m_apps;
    unsigned m_total = 0;
    int m_page = 0;
    QString m_keyword;
    QString m_packId;
};
