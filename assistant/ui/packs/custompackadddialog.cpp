#include "custompackadddialog.h"

#include "core/worker.h"
#include "packs/fileutil.h"
#include "ui/dialogs/listitems.h"
#include "ui/dialogs/messages.h"
#include "ui/dialogs/pickerfolder.h"
#include "ui/dialogs/processingdialog.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

CustomPackAddDialog::CustomPackAddDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("CustomPackAddDialog");
    // The layout grows it as far as its finger-sized buttons and rows need.
    resize(400, 300);
    setWindowTitle(tr("Add Custom Pack"));

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(tr("pack name"), this));
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName("packNameEdit");
    nameRow->addWidget(m_nameEdit);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(tr("add file"), this));
    auto* selectBtn = new QPushButton(tr("select"), this);
    selectBtn->setObjectName("selectBtn");
    fileRow->addWidget(selectBtn);
    fileRow->addStretch();

    m_fileList = new QListWidget(this);
    m_fileList->setObjectName("fileList");
    m_fileList->setIconSize(QSize(32, 32));
    auto* saveBtn = new QPushButton(tr("save"), this);
    saveBtn->setObjectName("saveBtn");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addLayout(fileRow);
    layout->addWidget(m_fileList);
    layout->addWidget(saveBtn);

    connect(selectBtn, &QPushButton::clicked, this, &CustomPackAddDialog::onAddFileBtnClicked);
    connect(saveBtn, &QPushButton::clicked, this, &CustomPackAddDialog::onSaveBtnClicked);
    // A file chosen by mistake goes with Delete (or Backspace) while it is selected.
    m_fileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_fileList->setToolTip(tr("Select a file and press Delete to leave it out."));
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Delete), QKeySequence(Qt::Key_Backspace)}) {
        auto* remove = new QShortcut(key, m_fileList, nullptr, nullptr, Qt::WidgetShortcut);
        connect(remove, &QShortcut::activated, this, [this] { qDeleteAll(m_fileList->selectedItems()); });
    }
}

QStringList CustomPackAddDialog::files() const {
    return itemData(m_fileList, Qt::UserRole);
}

void CustomPackAddDialog::addFiles(const QStringList& paths) {
    QFileIconProvider icons;
    for (const QString& p : paths) {
        // Listed by the name a teacher knows; the folder it came from is one hover away.
        auto* item = new QListWidgetItem(icons.icon(QFileInfo(p)), QFileInfo(p).fileName());
        item->setData(Qt::UserRole, p);
        item->setToolTip(messages::plainToolTip(p));
        m_fileList->addItem(item);
    }
}

void CustomPackAddDialog::onAddFileBtnClicked() {
    QFileDialog dialog(this, tr("Select file"), pickerStartFolder());
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() == QDialog::Accepted) {
        rememberPickerFolder(dialog.selectedFiles());
        addFiles(dialog.selectedFiles());
    }
}

void CustomPackAddDialog::onSaveBtnClicked() {
    m_packName = m_nameEdit->text();
    if (m_packName.isEmpty()) {
        messages::fail(this, tr("add pack"), tr("pack name is null!"));
        return;
    }
    if (!isUsableFolderName(m_packName)) {
        messages::fail(this, tr("add pack"),
                       tr("The pack name can not be used: it may not contain \"/\" or \"\\\", "
                          "begin with \".\" or hold control characters."));
        return;
    }
    // The job gets its own copy of the list: it runs on another thread.
    WorkerPtr job(new CustomPackAddWorker(m_packName, files()));
    {
        ProcessingDialog processing(job, this);
        processing.exec();
    }
    accept();
}
