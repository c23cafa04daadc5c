#pragma once
// The daily grid: the daily scenes, as many a page as the list area holds, and
// an "add" item after the last scene (on a page of its own when the last page
// is full, so a new scene can always be made). The picture of a scene plays it.

#include "catalogue/records.h"
#include "ui/lists/pagedlistwidget.h"

class DailySceneListModel;

class DailyListWidget : public PagedListWidget {
    Q_OBJECT
public:
    explicit DailyListWidget(const ClientContext& context, QWidget* parent = nullptr);
    ~DailyListWidget() override;

    // Scenes in the catalogue (the add item not counted).
    unsigned sceneCount() const { return m_sceneCount; }

public slots:
    void editScene(const QModelIndex& index);
    void addScene(const QModelIndex& index);

protected:
    void detachRows() override;
    int fetchPage(unsigned limit, unsigned offset, unsigned& total) override;
    void attachRows() override;
    QString emptyText() const override;
    // Without any scene the tab explains itself beside the add tile.
    bool isEmpty() const override { return m_sceneCount == 0; }
    QRect emptyArea() const override;
    // Plays the scene.
    void openItem(const QModelIndex& index) override;
    Removal removal(const QModelIndex& index) override;

private:
    DailySceneListModel* m_model = nullptr;
    DataSet<DailyScene> m_scenes;
    unsigned m_sceneCount = 0;
    bool m_addRow = false;
};
