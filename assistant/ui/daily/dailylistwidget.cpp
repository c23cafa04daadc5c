#include "dailylistwidget.h"

#include "catalogue/db.h"
#include "catalogue/playlist.h"
#include "core/core.h"
#include "ui/daily/dailyscenelistitemdelegate.h"
#include "ui/daily/dailyscenelistmodel.h"
#include "ui/daily/dailyscenemgmtdialog.h"
#include "ui/dialogs/messages.h"
#include "ui/dialogs/topdialog.h"
#include "ui/lists/pagedgrid.h"

#include <QListView>

DailyListWidget::DailyListWidget(const ClientContext& context, QWidget* parent)
    : PagedListWidget(context, "DailyListWidget", tr("daily list"), parent) {
    m_model = new DailySceneListModel(this);
    auto* delegate = new DailySceneListItemDelegate(this);
    setModelAndDelegate(m_model, delegate);

    connect(delegate, &DailySceneListItemDelegate::editBtnClicked, this, &DailyListWidget::editScene);
    connect(delegate, &DailySceneListItemDelegate::addItemClicked, this, &DailyListWidget::addScene);
    if (DB* db = context.db) {
        connect(db, &DB::dailySceneAdded, this, &DailyListWidget::load);
        connect(db, &DB::dailySceneRemoved, this, &DailyListWidget::load);
        connect(db, &DB::dailySceneUpdated, this, &DailyListWidget::load);
        // A scene whose files went with a pack or a resource is marked at once.
        connect(db, &DB::packRemoved, this, &DailyListWidget::load);
        connect(db, &DB::appRemoved, this, &DailyListWidget::load);
    }
    load();
}

DailyListWidget::~DailyListWidget() {
    m_model->setList(nullptr, false);
}

void DailyListWidget::detachRows() {
    m_model->setList(nullptr, false);
}

int DailyListWidget::fetchPage(unsigned limit, unsigned offset, unsigned& total) {
    DB* db = context().db;
    _DailySceneSearchPara para;
    para.limit = limit;
    para.offset = offset;
    m_scenes.clear();
    m_addRow = false;
    m_sceneCount = 0;
    unsigned scenes = 0;
    if (!db || !db->searchDailyScene(&para, scenes, &m_scenes)) {
        m_scenes.clear();
        return -1;
    }
    m_sceneCount = scenes;
    // The add item is one more cell after the last scene; the pages count it.
    total = scenes + 1;
    m_addRow = offset + unsigned(m_scenes.size()) == scenes && unsigned(m_scenes.size()) < limit;
    return m_scenes.size() + (m_addRow ? 1 : 0);
}

void DailyListWidget::attachRows() {
    QHash<int, int> missing;
    for (const DailyScenePtr& scene : m_scenes) {
        QStringList files;
        if (!playlist::read(context().core->playlistPath(*scene), files))
            missing.insert(scene->id, -1);
        else if (const int gone = playlist::missing(files).size())
            missing.insert(scene->id, gone);
    }
    m_model->setList(&m_scenes, m_addRow);
    m_model->setMissing(missing);
}

QString DailyListWidget::emptyText() const {
    return tr("No daily scenes yet.\nTap the large + to put together the songs and videos of a moment of the "
              "day: the morning exercise, the nap, going home.");
}

QRect DailyListWidget::emptyArea() const {
    // Right of the add tile, which stays in the first cell.
    return m_listView->rect().adjusted(pagedgrid::kCellWidth + 20, 0, 0, 0);
}

void DailyListWidget::openItem(const QModelIndex& index) {
    const DailyScenePtr scene = m_model->record(index);
    Core* core = context().core;
    if (!scene || !core || core->isPlaying())
        return;
    // Files that went away are found before the player is started, and said
    // once, by the names a teacher knows them by.
    QStringList files;
    QStringList titles;
    if (!playlist::read(core->playlistPath(*scene), files, &titles)) {
        messages::warn(
            this, tr("play scene"),
            tr("The playlist of \"%1\" can not be found. Edit the scene to choose its files again.")
                .arg(scene->name));
        return;
    }
    if (files.isEmpty()) {
        messages::inform(
            this, tr("play scene"),
            tr("\"%1\" has no files yet. Edit the scene to add songs or videos.").arg(scene->name));
        return;
    }
    const QStringList missingFiles = playlist::missing(files);
    QStringList gone;
    for (int i = 0; i < files.size(); ++i)
        if (missingFiles.contains(files[i]))
            gone << playlist::shownName(files[i], titles.value(i));
    if (gone.size() == files.size()) {
        messages::warn(
            this, tr("play scene"),
            tr("None of the files of \"%1\" can be found any more:\n%2").arg(scene->name, gone.join('\n')));
        return;
    }
    if (!gone.isEmpty())
        messages::inform(this, tr("play scene"),
                         tr("These files of \"%1\" can not be found; the others are played:\n%2")
                             .arg(scene->name, gone.join('\n')));
    core->playDailyScene(scene.data());
}

void DailyListWidget::addScene(const QModelIndex&) {
    DailySceneMgmtDialog dialog(context(), nullptr, nullptr);
    execAbove(dialog, this);
}

void DailyListWidget::editScene(const QModelIndex& index) {
    const DailyScenePtr scene = m_model->record(index);
    // The dialog edits a copy: the page (and the record) is reloaded when the catalogue reports the change.
    DailyScenePtr copy(scene ? new _DailyScene(*scene) : nullptr);
    DailySceneMgmtDialog dialog(context(), copy.data(), nullptr);
    execAbove(dialog, this);
}

PagedListWidget::Removal DailyListWidget::removal(const QModelIndex& index) {
    const DailyScenePtr scene = m_model->record(index);
    if (!scene || !context().db)
        return {};
    return {tr("Confirm Removal"), tr("Do you really want to remove %1?").arg(scene->name), [this, scene]() {
                // The scene's folder and playlist stay on disk: its songs may be the teacher's own.
                context().db->removeDailyScene(scene->id);
                load();
            }};
}
