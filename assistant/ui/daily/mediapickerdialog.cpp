#include "mediapickerdialog.h"

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "ui/dialogs/listitems.h"
#include "ui/dialogs/messages.h"
#include "ui/lists/applistmodel.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
// More than a teacher scrolls through; the search narrows it.
constexpr unsigned kShown = 500;
} // namespace

MediaPickerDialog::MediaPickerDialog(const ClientContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName("MediaPickerDialog");
    setWindowTitle(tr("Songs and videos of the library"));
    resize(640, 480);

    m_search = new QLineEdit(this);
    m_search->setObjectName("searchEdit");
    m_search->setPlaceholderText(tr("search songs and videos"));
    m_list = new QListWidget(this);
    m_list->setObjectName("mediaList");
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(64, 64));
    m_list->setGridSize(QSize(120, 110));
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setWordWrap(true);
    m_list->setSelectionMode(QAbstractItemView::MultiSelection);
    m_addBtn = new QPushButton(tr("add"), this);
    m_addBtn->setObjectName("addBtn");
    auto* cancel = new QPushButton(tr("cancel"), this);
    cancel->setObjectName("cancelBtn");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_addBtn);
    buttons->addWidget(cancel);
    auto* column = new QVBoxLayout(this);
    column->addWidget(m_search);
    column->addWidget(m_list);
    column->addLayout(buttons);

    connect(m_search, &QLineEdit::textChanged, this, &MediaPickerDialog::refill);
    connect(m_addBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this]() { m_addBtn->setEnabled(!m_list->selectedItems().isEmpty()); });
    refill();
}

void MediaPickerDialog::refill() {
    m_list->clear();
    DB* db = m_context.db;
    const DataPaths* paths = m_context.paths;
    if (!db || !paths)
        return;
    for (const char* kind : {"music", "video"}) {
        _AppSearchPara para;
        para.proType = kind;
        para.name = m_search->text();
        para.limit = kShown;
        para.orderBy = 1; // by name
        unsigned total = 0;
        DataSet<TaviApp> apps;
        if (!db->searchApps(&para, total, &apps))
            continue;
        for (const TaviAppPtr& app : apps) {
            auto* item = new QListWidgetItem(QIcon(AppListModel::iconFor(*app, *paths, false)), app->name);
            item->setToolTip(messages::plainToolTip(app->name));
            item->setData(kPathRole, paths->appsDir + "/" + app->path);
            m_list->addItem(item);
        }
    }
    m_addBtn->setEnabled(false);
}

QStringList MediaPickerDialog::selectedTitles() const {
    return itemData(m_list, Qt::DisplayRole, true);
}

QStringList MediaPickerDialog::selectedFiles() const {
    return itemData(m_list, kPathRole, true);
}
