#include "mainframe.h"
#include "sharedinstall.h"

#include "core/core.h"
#include "core/importqueue.h"
#include "platform/log.h"
#include "ui/dialogs/messages.h"
#include "ui/dialogs/notice.h"
#include "ui/frame/contentpage.h"
#include "ui/frame/indexpage.h"
#include "ui/frame/titlelabel.h"

#include "ui/dialogs/pickerfolder.h"
#include "ui/dialogs/topdialog.h"
#include "ui/lists/applistdialog.h"
#include "ui/look/pictures.h"
#include "ui/packs/packform.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStackedWidget>
#include <QToolButton>
#include <cmath>

namespace {
// The chosen picture in the same round badge as the default avatar: its
// middle square, cut to a circle inside a white ring.
QIcon avatarIcon(const QString& path) {
    const QImage picture(QFileInfo::exists(path) ? path : QString());
    if (picture.isNull())
        return QIcon(":/images/defaultavatar");
    constexpr int kSide = 256;
    const int square = qMin(picture.width(), picture.height());
    const QImage middle =
        picture.copy((picture.width() - square) / 2, (picture.height() - square) / 2, square, square)
            .scaled(kSide, kSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPixmap badge(kSide, kSide);
    badge.fill(Qt::transparent);
    QPainter painter(&badge);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF ring(6, 6, kSide - 12, kSide - 12);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(ring);
    QPainterPath inner;
    inner.addEllipse(ring.adjusted(10, 10, -10, -10));
    painter.setClipPath(inner);
    painter.drawImage(QRect(0, 0, kSide, kSide), middle);
    painter.end();
    return QIcon(badge);
}
} // namespace

MainFrame::MainFrame(const ClientContext& context, QWidget* parent) : QDialog(parent), m_context(context) {
    setObjectName("MainFrame");
    resize(400, 300);
    setWindowTitle(tr("TAVINET"));
    setWindowFlags(Qt::FramelessWindowHint);
    setAutoFillBackground(true);

    const DataPaths* paths = context.paths;
    m_avatarPath = QString("%1/avatar").arg(paths ? paths->dataDir : QString("."));

    // Top row: avatar, school title, search with minimise and close at the right.
    m_avatarBtn = new QToolButton(this);
    m_avatarBtn->setObjectName("avatarBtn");
    m_avatarBtn->setFixedSize(128, 128);
    m_avatarBtn->setIconSize(QSize(128, 128));
    // Without "border:none" Qt draws the button's native frame behind a transparent
    // background, a black square around the round picture.
    m_avatarBtn->setStyleSheet("QToolButton{background:transparent;border:none;}");
    m_avatarBtn->setCursor(Qt::PointingHandCursor);
    m_avatarBtn->setIcon(avatarIcon(m_avatarPath));

    m_titleLabel = new TitleLabel(this);
    m_titleLabel->setObjectName("titleLabel");
    m_titleLabel->setFixedSize(500, 50);
    // The school's name comes from the service or a teacher: shown as written.
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_titleLabel->setText(tr("enter school name"));
    m_titleLabel->setStyleSheet("QLabel{border-image:url(:/images/title_background)}");
    m_titleLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_titleLabel->setCursor(Qt::PointingHandCursor);

    m_searchEdit = new QLineEdit(this);
    m_searchEdit->setObjectName("searchEdit");
    m_searchEdit->setStyleSheet(
        "QLineEdit{background-color: rgba(0,0,0,0); border-width: 1px; border-radius: 4px; font-size:30px; "
        "color: #128A6F; border:1px solid gray;}QLineEdit:hover{border-width: 1px; border-radius: 4px; "
        "font-size:30px; color: #128A6F; border:1px solid rgb(70, 200, 50);}");
    m_searchEdit->setPlaceholderText(tr("search apps"));

    auto* searchBtn = pictures::button("searchBtn", "magnifier", QSize(30, 30), m_searchEdit);
    searchBtn->setCursor(Qt::PointingHandCursor);
    auto* inField = new QHBoxLayout(m_searchEdit);
    inField->setSpacing(0);
    inField->setContentsMargins(0, 0, 0, 0);
    inField->addStretch();
    inField->addWidget(searchBtn);
    // Typed text never runs under the magnifier.
    const QMargins margins = m_searchEdit->textMargins();
    m_searchEdit->setTextMargins(margins.left(), margins.top(), searchBtn->width(), margins.bottom());

    auto* minBtn = pictures::button("minBtn", "frame_min", QSize(44, 44), this);
    auto* closeBtn = pictures::button("closeBtn", "frame_close", QSize(44, 44), this);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(m_searchEdit, 0, Qt::AlignTop);
    searchRow->addWidget(minBtn, 0, Qt::AlignTop);
    searchRow->addWidget(closeBtn, 0, Qt::AlignTop);
    auto* searchColumn = new QVBoxLayout;
    searchColumn->addLayout(searchRow);

    auto* topRow = new QHBoxLayout;
    topRow->addWidget(m_avatarBtn);
    topRow->addWidget(m_titleLabel);
    topRow->addStretch();
    topRow->addLayout(searchColumn);

    // Pages.
    m_indexPage = new IndexPage;
    m_contentPage = new ContentPage(context);
    m_indexPage->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_contentPage->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_indexPage->setContentPage(m_contentPage);

    m_pageStack = new QStackedWidget(this);
    m_pageStack->setObjectName("pageStack");
    m_pageStack->addWidget(m_indexPage);
    m_pageStack->addWidget(m_contentPage);
    m_pageStack->setCurrentWidget(m_contentPage);
    m_contentPage->showForm(ContentPage::Daily);

    auto* mainLayout = new QVBoxLayout(this);
    mainLayout->addLayout(topRow);
    mainLayout->addWidget(m_pageStack);

    connect(m_indexPage, &IndexPage::showContentPage, this, &MainFrame::showContentPage);
    connect(m_contentPage, &ContentPage::showIndexPage, this, &MainFrame::showIndexPage);
    if (Core* core = context.core) {
        connect(core, &Core::userLoaded, this, &MainFrame::refreshUser);
        // A book or a player covered the screen; when it ends, the window the user
        // worked in (a list dialog, or this one) comes back in front.
        connect(core, &Core::playerFinished, this, [this]() { raiseWorkingWindow(this); });
        connect(core, &Core::launchFailed, this, &MainFrame::onLaunchFailed);
        connect(core, &Core::playFailed, this, &MainFrame::onPlayFailed);
        connect(core, &Core::stillPlaying, this, &MainFrame::onStillPlaying);
    }
    connect(m_titleLabel, &TitleLabel::clicked, this, &MainFrame::onTitleClicked);
    connect(m_avatarBtn, &QToolButton::clicked, this, &MainFrame::changeAvatar);
    connect(searchBtn, &QToolButton::clicked, this, &MainFrame::search);
    connect(minBtn, &QToolButton::clicked, this, &MainFrame::showMinimized);
    m_imports = new ImportQueue([]() { return QApplication::activeModalWidget() != nullptr; }, this);
    connect(m_imports, &ImportQueue::ready, this, &MainFrame::importNow);
    connect(m_imports, &ImportQueue::refused, this, &MainFrame::onImportsRefused);
    connect(closeBtn, &QToolButton::clicked, this, &MainFrame::close);

    refreshUser();
}

QString MainFrame::backgroundForRatio(double ratio) {
    if (ratio > 1.2 && ratio <= 1.3)
        return ":/images/contextpage_background_5x4";
    if (ratio > 1.3 && ratio <= 1.4)
        return ":/images/contextpage_background_4x3";
    if (ratio >= 1.6 && ratio < 1.63)
        return ":/images/contextpage_background_16x10";
    if (ratio >= 1.63 && ratio <= 1.7)
        return ":/images/contextpage_background_5x3";
    if (ratio > 1.7 && ratio < 1.8)
        return ":/images/contextpage_background_16x9";
    return QString();
}

QString MainFrame::nearestBackground(double ratio) {
    struct Shape {
        double ratio;
        const char* picture;
    };
    static const Shape shapes[] = {{5.0 / 4.0, ":/images/contextpage_background_5x4"},
                                   {4.0 / 3.0, ":/images/contextpage_background_4x3"},
                                   {16.0 / 10.0, ":/images/contextpage_background_16x10"},
                                   {5.0 / 3.0, ":/images/contextpage_background_5x3"},
                                   {16.0 / 9.0, ":/images/contextpage_background_16x9"}};
    if (!(ratio > 0.0))
        return shapes[0].picture;
    // Distance on a log scale: stretching by a factor costs the same either way.
    const Shape* best = &shapes[0];
    for (const Shape& s : shapes)
        if (std::fabs(std::log(ratio / s.ratio)) < std::fabs(std::log(ratio / best->ratio)))
            best = &s;
    return best->picture;
}

void MainFrame::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    const double ratio = double(width()) / double(height());
    TLOG_DEBUG("MainFrame width:" << width() << " height:" << height() << " ratio:" << ratio);

    QString picture = backgroundForRatio(ratio);
    // Shapes without a row keep the picture they have, drawn again at the new
    // size (a texture of the old size would repeat across the window); a window
    // that has none yet takes the closest shape rather than staying grey.
    if (picture.isEmpty())
        picture = m_background.isEmpty() ? nearestBackground(ratio) : m_background;
    applyBackground(picture);
}

void MainFrame::applyBackground(const QString& picture) {
    pictures::setBackground(this, picture, size(), false);
    m_background = picture;
}

void MainFrame::closeEvent(QCloseEvent* e) {
    // A second close while the question is open (another Alt+F4) waits for the first answer.
    if (m_asking) {
        e->ignore();
        return;
    }
    m_asking = true;
    const bool yes = messages::ask(this, tr("Exit"), tr("Do you really want to exit?"));
    m_asking = false;
    e->setAccepted(yes);
}

void MainFrame::reject() {
    close();
}

void MainFrame::changeAvatar() {
    QFileDialog dialog(this, tr("Open Image"), pickerStartFolder(), tr("Image Files(*.jpg *.png)"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return;
    rememberPickerFolder(files);
    const QString chosen = files.first();
    // The old avatar is replaced only by a picture that can be read and was
    // copied whole; a failed copy keeps the avatar the user had.
    if (QFileInfo(chosen).canonicalFilePath() != QFileInfo(m_avatarPath).canonicalFilePath() &&
        QImageReader(chosen).canRead()) {
        const QString incoming = m_avatarPath + ".new";
        QFile::remove(incoming);
        if (QFile::copy(chosen, incoming)) {
            sharedinstall::shareTree(QFile::encodeName(incoming).toStdString());
            QFile::remove(m_avatarPath);
            if (!QFile::rename(incoming, m_avatarPath))
                QFile::remove(incoming);
        } else {
            TLOG_ERROR("avatar copy failed: " << chosen);
        }
    }
    m_avatarBtn->setIcon(avatarIcon(m_avatarPath));
}

void MainFrame::onTitleClicked() {
    m_pageStack->setCurrentWidget(m_contentPage);
    m_contentPage->showForm(ContentPage::Mgmt);
}

void MainFrame::onLaunchFailed(const QString& name, const QString& reason) {
    TLOG_DEBUG("launch failed: " << name << " " << reason);
    // Over whatever list the click came from, not behind it.
    QWidget* over = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
    messages::warn(
        over, tr("open"),
        tr("No program on this computer can open \"%1\".\nInstall a media player (for example VLC) "
           "or a program for this kind of file, then try again.")
            .arg(name));
}

void MainFrame::onPlayFailed(const QString& name, const QString& reason) {
    TLOG_DEBUG("play failed: " << name << " " << reason);
    QWidget* over = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
    messages::warn(over, tr("open"),
                   tr("\"%1\" could not be played: the player stopped at once.\nCheck that the speakers are "
                      "connected, then try again.")
                       .arg(name));
}

void MainFrame::onStillPlaying() {
    notice::show(QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this,
                 tr("Playing..., close the player first"));
}

void MainFrame::search() {
    const QString text = m_searchEdit->text();
    if (text.isEmpty())
        return;
    AppListDialog dialog(m_context);
    dialog.setKeyword(text);
    execAbove(dialog, this);
}

void MainFrame::importPackFiles(const QStringList& files) {
    if (files.isEmpty())
        return;
    showContentPage();
    m_contentPage->showForm(ContentPage::Pack);
    m_imports->add(files);
}

void MainFrame::importNow(const QStringList& files) {
    showContentPage();
    m_contentPage->showForm(ContentPage::Pack);
    if (auto* packs = qobject_cast<PackForm*>(m_contentPage->form(ContentPage::Pack)))
        packs->importFiles(files);
}

void MainFrame::onImportsRefused(const QStringList& files) {
    QStringList names;
    for (const QString& f : files)
        names << QFileInfo(f).fileName();
    QWidget* over = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
    messages::warn(over, tr("import"),
                   tr("These pack files were not imported; open them again when the client is free:\n%1")
                       .arg(names.join("\n")));
}

void MainFrame::showOnWholeScreen() {
    // A bare X server has no window manager to honour the full-screen request;
    // taking the screen's geometry first gives the same window either way.
    if (QScreen* s = screen())
        setGeometry(s->geometry());
    showFullScreen();
}

void MainFrame::showIndexPage() {
    m_pageStack->setCurrentWidget(m_indexPage);
}

void MainFrame::showContentPage() {
    m_pageStack->setCurrentWidget(m_contentPage);
}

void MainFrame::refreshUser() {
    const QString school = m_context.core ? m_context.core->userSnapshot().schoolName : QString();
    if (!school.isEmpty())
        m_titleLabel->setText(school);
}
