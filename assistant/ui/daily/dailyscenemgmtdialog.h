#pragma once
// Makes a new daily scene or edits one: its name and its playlist (files
// added from disk or from the library's songs and videos, moved up and down,
// removed). Saving writes the scene's playlist into daily/<name>/<name>.pls
// and records the scene.

#include "catalogue/records.h"
#include "core/clientcontext.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QToolButton;

class DailySceneMgmtDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxSceneName = 40;
    // Each playlist entry's full path (its text is the file name).
    static constexpr int kPathRole = Qt::UserRole + 1;
    // Each entry's title (a library song's name; empty for a file from disk).
    static constexpr int kTitleRole = Qt::UserRole + 2;
    // scene: the scene to edit (kept by the caller while the dialog runs), or null to add one.
    DailySceneMgmtDialog(const ClientContext& context, _DailyScene* scene, QWidget* parent = nullptr);

    // The playlist as it stands, in order.
    QStringList files() const;
    QStringList titles() const;
    void addFiles(const QStringList& paths, const QStringList& titles = QStringList());

public slots:
    void onListItemChanged(QListWidgetItem* current, QListWidgetItem* previous);
    void onAddBtnClicked();
    void onLibraryBtnClicked();
    void onRemoveBtnClicked();

private:
    QListWidgetItem* makeItem(const QString& path, const QString& title = QString()) const;
    void moveCurrent(int by);
    // Checks and writes; a message and false when something stops the save.
    bool save();

    ClientContext m_context;
    _DailyScene* m_scene = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QToolButton* m_addBtn = nullptr;
    QToolButton* m_libraryBtn = nullptr;
    QToolButton* m_removeBtn = nullptr;
    QToolButton* m_upBtn = nullptr;
    QToolButton* m_downBtn = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_saveBtn = nullptr;
};
