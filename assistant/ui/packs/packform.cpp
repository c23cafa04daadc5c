#include "packform.h"

#include "core/worker.h"
#include "platform/log.h"
#include "ui/dialogs/messages.h"
#include "ui/dialogs/notice.h"
#include "ui/dialogs/pickerfolder.h"
#include "ui/dialogs/processingdialog.h"
#include "ui/dialogs/topdialog.h"
#include "ui/look/pictures.h"
#include "ui/packs/custompackadddialog.h"
#include "ui/packs/packlistwidget.h"
#include "ui/packs/storedialog.h"

#include <QBoxLayout>
#include <QFileDialog>
#include <QFileInfo>
#include <QToolButton>

PackForm::PackForm(const ClientContext& context, QWidget* parent) : QWidget(parent) {
    setObjectName("PackForm");
    setWindowTitle(tr("pack"));

    QToolButton* download = pictures::button("downloadPackBtn", "download_pack", QSize(119, 42), this);
    QToolButton* import = pictures::button("importPackBtn", "import_pack", QSize(119, 42), this);
    QToolButton* make = pictures::button("makePackBtn", "make_pack", QSize(119, 42), this);
    connect(download, &QToolButton::clicked, this, &PackForm::onDownloadPackClicked);
    connect(import, &QToolButton::clicked, this, &PackForm::onImportPackClicked);
    connect(make, &QToolButton::clicked, this, &PackForm::onMakePackClicked);

    m_list = new PackListWidget(context, this);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(download);
    buttonRow->addSpacing(5);
    buttonRow->addWidget(import);
    buttonRow->addSpacing(5);
    buttonRow->addWidget(make);

    auto* listRow = new QHBoxLayout;
    listRow->addStretch(1);
    listRow->addWidget(m_list, 18);
    listRow->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->addLayout(buttonRow, 2);
    column->addSpacing(5);
    column->addLayout(listRow, 18);
    column->addStretch(2);
}

void PackForm::onDownloadPackClicked() {
    StoreDialog dialog(nullptr);
    execAbove(dialog, this);
}

void PackForm::onMakePackClicked() {
    // The new pack reaches the grid through the catalogue's packAdded.
    CustomPackAddDialog dialog(nullptr);
    execAbove(dialog, this);
}

void PackForm::onImportPackClicked() {
    QStringList files;
    {
        QFileDialog dialog(this, tr("Select tavi pack"), pickerStartFolder(), tr("Pack Files(*.tvp)"));
        dialog.setFileMode(QFileDialog::ExistingFiles);
        if (dialog.exec() != QDialog::Accepted)
            return;
        files = dialog.selectedFiles();
        rememberPickerFolder(files);
    }
    importFiles(files);
}

void PackForm::importFiles(const QStringList& files) {
    // One job at a time: the next import starts once the previous one's
    // dialog has closed. Several files end with one summary of what happened
    // to each; a single file's failure gets its own box, its success a notice.
    QStringList lines;
    bool anyTrouble = false;
    const int count = files.size() - files.count(QString());
    for (const QString& path : files) {
        if (path.isEmpty())
            continue;
        // A name from the command line may point nowhere: say so in words,
        // not with the unpacker's "unknown error!".
        if (!QFileInfo(path).isFile()) {
            TLOG_ERROR("pack file not found: " << path);
            anyTrouble = true;
            lines << tr("%1: not found").arg(QFileInfo(path).fileName());
            if (count == 1)
                messages::warn(this, tr("import"), tr("The pack file \"%1\" was not found.").arg(path));
            continue;
        }
        auto* job = new PackImportWorker(path);
        WorkerPtr worker(job);
        {
            ProcessingDialog processing(worker, this);
            processing.setShowsErrorBox(count == 1);
            processing.exec();
        }
        lines << job->outcome();
        const packs::ImportReport& report = job->report();
        anyTrouble = anyTrouble || report.result != packs::ImportOk || !report.damaged.isEmpty() ||
                     !report.clashing.isEmpty();
        if (count != 1 || report.result != packs::ImportOk)
            continue;
        if (!report.damaged.isEmpty())
            messages::warn(this, tr("import"),
                           tr("Some files of the pack are damaged and were left out:\n%1")
                               .arg(report.damaged.join("\n")));
        if (!report.clashing.isEmpty())
            messages::warn(this, tr("import"),
                           tr("These resources already belong to another pack and were left out:\n%1")
                               .arg(report.clashing.join("\n")));
        if (report.damaged.isEmpty() && report.clashing.isEmpty())
            notice::show(this, tr("Imported: %1, %2 resources")
                                   .arg(report.packName.isEmpty() ? QFileInfo(path).completeBaseName()
                                                                  : report.packName)
                                   .arg(report.resources));
    }
    if (count > 1) {
        const QString text = lines.join("\n");
        if (anyTrouble)
            messages::warn(this, tr("import"), text);
        else
            messages::inform(this, tr("import"), text);
    }
}
