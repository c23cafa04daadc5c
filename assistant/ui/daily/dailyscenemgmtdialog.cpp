#include "dailyscenemgmtdialog.h"

#include "catalogue/db.h"
#include "catalogue/playlist.h"
#include "core/core.h"
#include "core/dailyscenes.h"
#include "ui/daily/mediapickerdialog.h"
#include "ui/dialogs/listitems.h"
#include "ui/dialogs/messages.h"
#include "ui/dialogs/pickerfolder.h"
#include "ui/dialogs/topdialog.h"

#include <QBoxLayout>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace {

QToolButton* toolButton(const char* name, const char* picture, const QString& tip, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    // Words beside the picture: a board has no hover, so a tool tip alone says nothing.
    b->setMinimumSize(44, 44);
    b->setIconSize(QSize(24, 24));
    b->setIcon(QIcon(QString(":/images/%1").arg(picture)));
    b->setText(tip);
    b->setToolTip(tip);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    // Never squeezed below its words: the dialog grows instead.
    b->ensurePolished();
    b->setMinimumSize(b->sizeHint().expandedTo(QSize(44, 44)));
    return b;
}

} // namespace

DailySceneMgmtDialog::DailySceneMgmtDialog(const ClientContext& context, _DailyScene* scene, QWidget* parent)
    : QDialog(parent), m_context(context), m_scene(scene) {
    setObjectName("DailySceneMgmtDialog");
    // The layout grows it as far as its finger-sized buttons and rows need.
    resize(400, 300);
    setWindowTitle(tr("Add Scene"));

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(tr("name:"), this));
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName("nameEdit");
    // The name is a folder and a playlist file name: kept well inside what a
    // file name may hold, also in Chinese (three bytes a character).
    m_nameEdit->setMaxLength(kMaxSceneName);
    nameRow->addWidget(m_nameEdit);

    // A row of buttons rather than a tool bar: one too narrow for the words
    // would hide the last buttons behind its overflow arrow.
    auto* toolBar = new QHBoxLayout;
    m_addBtn = toolButton("addBtn", "playlist_add", tr("add a file"), this);
    m_libraryBtn =
        toolButton("libraryBtn", "playlist_library", tr("add songs and videos of the library"), this);
    m_removeBtn = toolButton("removeBtn", "playlist_remove", tr("remove"), this);
    m_upBtn = toolButton("upBtn", "playlist_up", tr("up"), this);
    m_downBtn = toolButton("downBtn", "playlist_down", tr("down"), this);
    for (QToolButton* b : {m_addBtn, m_libraryBtn, m_removeBtn, m_upBtn, m_downBtn})
        toolBar->addWidget(b);
    toolBar->addStretch();

    m_list = new QListWidget(this);
    m_list->setObjectName("playlist");
    m_list->setIconSize(QSize(32, 32));
    m_saveBtn = new QPushButton(tr("save"), this);
    m_saveBtn->setObjectName("saveBtn");

    auto* column = new QVBoxLayout(this);
    column->addLayout(nameRow);
    column->addLayout(toolBar);
    column->addWidget(m_list);
    column->addWidget(m_saveBtn, 1, Qt::AlignRight);

    onListItemChanged(nullptr, nullptr);
    connect(m_list, &QListWidget::currentItemChanged, this, &DailySceneMgmtDialog::onListItemChanged);
    connect(m_addBtn, &QToolButton::clicked, this, &DailySceneMgmtDialog::onAddBtnClicked);
    connect(m_libraryBtn, &QToolButton::clicked, this, &DailySceneMgmtDialog::onLibraryBtnClicked);
    connect(m_removeBtn, &QToolButton::clicked, this, &DailySceneMgmtDialog::onRemoveBtnClicked);
    connect(m_upBtn, &QToolButton::clicked, this, [this]() { moveCurrent(-1); });
    connect(m_downBtn, &QToolButton::clicked, this, [this]() { moveCurrent(1); });
    connect(m_saveBtn, &QPushButton::clicked, this, [this]() {
        if (save())
            accept();
    });

    if (m_scene) {
        setWindowTitle(tr("modify scene"));
        m_nameEdit->setText(m_scene->name);
        QStringList entries;
        QStringList titles;
        // A missing or unreadable playlist gives an empty list.
        if (m_context.core && playlist::read(m_context.core->playlistPath(*m_scene), entries, &titles))
            addFiles(entries, titles);
    }
}

QListWidgetItem* DailySceneMgmtDialog::makeItem(const QString& path, const QString& title) const {
    // The name is what a teacher looks for; the whole path is one hover away
    // (a long path cut at the right would hide the name).
    auto* item = new QListWidgetItem(playlist::shownName(path, title));
    item->setData(kPathRole, path);
    item->setData(kTitleRole, title);
    item->setToolTip(messages::plainToolTip(path));
    if (!path.isEmpty() && QFileInfo(path).isFile()) {
        item->setIcon(QFileIconProvider().icon(QFileInfo(path)));
        return item;
    }
    // Still listed (saving keeps it), but the teacher sees it is gone.
    item->setIcon(QIcon(":/images/warning"));
    item->setForeground(QColor(0xC0, 0x39, 0x2B));
    item->setToolTip(messages::plainToolTip(tr("This file can not be found.") + "\n" + path));
    item->setData(Qt::UserRole, true);
    return item;
}

QStringList DailySceneMgmtDialog::files() const {
    return itemData(m_list, kPathRole);
}

QStringList DailySceneMgmtDialog::titles() const {
    return itemData(m_list, kTitleRole);
}

void DailySceneMgmtDialog::addFiles(const QStringList& paths, const QStringList& titles) {
    for (int i = 0; i < paths.size(); ++i)
        m_list->addItem(makeItem(paths[i], titles.value(i)));
}

void DailySceneMgmtDialog::onListItemChanged(QListWidgetItem* current, QListWidgetItem*) {
    for (QToolButton* b : {m_removeBtn, m_upBtn, m_downBtn})
        b->setEnabled(current != nullptr);
}

void DailySceneMgmtDialog::onAddBtnClicked() {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Select media file"), pickerStartFolder(),
        tr("Media Files(*.avi *.mp3 *.mp4 *.mkv *.wmv *.ogg *.flac *.wav *.m4a *.webm *.mov)"));
    if (!path.isEmpty()) {
        rememberPickerFolder({path});
        m_list->addItem(makeItem(path));
    }
}

void DailySceneMgmtDialog::onLibraryBtnClicked() {
    MediaPickerDialog picker(m_context, nullptr);
    if (execAbove(picker, this) == QDialog::Accepted)
        addFiles(picker.selectedFiles(), picker.selectedTitles());
}

void DailySceneMgmtDialog::onRemoveBtnClicked() {
    const int row = m_list->currentRow();
    if (row >= 0)
        delete m_list->takeItem(row);
    m_removeBtn->setEnabled(m_list->count() > 0);
}

void DailySceneMgmtDialog::moveCurrent(int by) {
    const int row = m_list->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= m_list->count())
        return;
    QListWidgetItem* item = m_list->takeItem(row);
    m_list->insertItem(to, item);
    m_list->setCurrentRow(to);
}

bool DailySceneMgmtDialog::save() {
    const QString title = m_scene ? tr("edit scene") : tr("add scene");
    auto refuse = [&](const QString& text) {
        messages::fail(this, title, text);
        return false;
    };
    if (!m_context.db || !m_context.paths)
        return refuse(tr("write db failed!"));
    const QString name = m_nameEdit->text().trimmed();
    QString error;
    switch (dailyscenes::save(*m_context.db, *m_context.paths, m_scene, name, files(), titles(), &error)) {
    case dailyscenes::Saved:
        return true;
    case dailyscenes::NoName:
        return refuse(tr("scene name is null!"));
    case dailyscenes::UnusableName:
        return refuse(tr("The scene name can not be used: it may not contain \"/\" or \"\\\", begin with "
                         "\".\" or hold control characters."));
    case dailyscenes::NameTaken:
        return refuse(tr("A scene named \"%1\" exists already. Choose another name.").arg(name));
    case dailyscenes::PlaylistFailed:
        return refuse(tr("The playlist could not be written, nothing was saved:\n%1").arg(error));
    case dailyscenes::CatalogueFailed:
        return refuse(tr("write db failed!"));
    }
    return false;
}
