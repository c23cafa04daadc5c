#include "packlistwidget.h"

#include "catalogue/db.h"
#include "core/dailyscenes.h"
#include "core/worker.h"
#include "ui/dialogs/processingdialog.h"
#include "ui/dialogs/topdialog.h"
#include "ui/lists/applistdialog.h"
#include "ui/lists/pagedgrid.h"
#include "ui/look/pictures.h"
#include "ui/packs/packlistitemdelegate.h"
#include "ui/packs/packlistmodel.h"

PackListWidget::PackListWidget(const ClientContext& context, QWidget* parent)
    : PagedListWidget(context, "PackListWidget", tr("pack list"), parent) {
    m_model = new PackListModel(this);
    auto* delegate = new PackListItemDelegate(this);
    setModelAndDelegate(m_model, delegate);
    if (DB* db = context.db) {
        // The pointer packAdded carries may be gone by the time a queued signal
        // arrives: the list always reloads from the catalogue.
        connect(db, &DB::packAdded, this, &PackListWidget::load);
        connect(db, &DB::packRemoved, this, &PackListWidget::load);
    }
    load();
}

PackListWidget::~PackListWidget() {
    m_model->setList(nullptr);
}

void PackListWidget::detachRows() {
    m_model->setList(nullptr);
}

int PackListWidget::fetchPage(unsigned limit, unsigned offset, unsigned& total) {
    DB* db = context().db;
    _PackSearchPara para;
    para.limit = limit;
    para.offset = offset;
    para.orderBy = 1; // install date
    para.desc = 1;    // newest first
    return pagedgrid::fetchRows(m_packs, [&]() { return db && db->searchPacks(&para, total, &m_packs); });
}

QString PackListWidget::emptyText() const {
    return tr("No packs yet. Import a pack file or make a pack of your own files.");
}

void PackListWidget::attachRows() {
    const DataPaths* paths = context().paths;
    for (const TaviPackPtr& pack : m_packs) {
        if (!pack)
            continue;
        if (pack->isCustom)
            pack->iconPixmap = pictures::at(":/images/custom_pack_icon", QSize(128, 128));
        else if (paths)
            pack->iconPixmap = QPixmap(QString("%1/%2").arg(paths->packIconDir, pack->icon));
    }
    m_model->setList(&m_packs);
}

void PackListWidget::openItem(const QModelIndex& index) {
    const TaviPackPtr pack = m_model->record(index);
    if (!pack)
        return;
    AppListDialog dialog(context(), nullptr);
    dialog.setPack(pack->packId, pack->name);
    execAbove(dialog, this);
}

PagedListWidget::Removal PackListWidget::removal(const QModelIndex& index) {
    const TaviPackPtr pack = m_model->record(index);
    if (!pack)
        return {};
    QString question = tr("Do you really want to remove %1?").arg(pack->name);
    if (context().db && context().paths) {
        const QStringList scenes =
            dailyscenes::scenesUsingPack(*context().db, *context().paths, pack->packId);
        if (!scenes.isEmpty())
            question +=
                "\n" + tr("The daily scenes %1 play its files and will miss them.").arg(scenes.join(", "));
    }
    return {tr("Confirm Removal"), question, [this, pack]() {
                // The job gets a copy that outlives the reload packRemoved causes while it runs.
                const TaviPackPtr victim(new TaviPack(*pack));
                WorkerPtr worker(new PackDeletingWorker(victim.data()));
                ProcessingDialog dialog(worker, this);
                dialog.exec();
            }};
}
