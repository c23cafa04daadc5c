#include "packform.h"

#include "core/worker.h"
#include "ui/dialogs/processingdialog.h"
#include "ui/dialogs/topdialog.h"
#include "ui/packs/custompackadddialog.h"
#include "ui/packs/packlistwidget.h"
#include "ui/packs/storedialog.h"

#include <QBoxLayout>
#include <QFileDialog>
#include <QToolButton>

namespace {

QToolButton* pictureButton(const char* name, const char* picture, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setFixedSize(119, 42);
    button->setStyleSheet(QString("QToolButton{border-image:url(:/images/%1)}").arg(picture));
    return button;
}

} // namespace

PackForm::PackForm(QWidget* parent) : QWidget(parent) {
    setObjectName("PackForm");
    setWindowTitle(tr("pack"));

    QToolButton* download = pictureButton("downloadPackBtn", "download_pack", this);
    QToolButton* import = pictureButton("importPackBtn", "import_pack", this);
    QToolButton* make = pictureButton("makePackBtn", "make_pack", this);
    connect(download, &QToolButton::clicked, this, &PackForm::onDownloadPackClicked);
    connect(import, &QToolButton::clicked, this, &PackForm::onImportPackClicked);
    connect(make, &QToolButton::clicked, this, &PackForm::onMakePackClicked);

    m_list = new PackListWidget(this);

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
        QFileDialog dialog(this, tr("Select tavi pack"), ".", tr("Pack Files(*.tvp)"));
        dialog.setFileMode(QFileDialog::ExistingFiles);
        if (dialog.exec() != QDialog::Accepted)
            return;
        files = dialog.selectedFiles();
    }
    // One job at a time: the next import starts once the previous one's
    // dialog has closed. Each dialog reports its own failure.
    for (const QString& path : files) {
        if (path.isEmpty())
            continue;
        WorkerPtr worker(new PackImportWorker(path));
        ProcessingDialog processing(worker, this);
        processing.exec();
    }
}
