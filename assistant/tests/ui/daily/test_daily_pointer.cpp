// The daily tab on a real X server, used with a real pointer: the add item,
// making a scene from the library's songs (moved up and down) and from a
// file on disk, editing and renaming it, playing it from its picture (not its
// name), the trash only on the teacher's own scenes, and paging.

#include "catalogue/playlist.h"
#include "launch/dailysceneplayer.h"
#include "support/listfixture.h"
#include "support/pointer.h"
#include "support/testplayer.h"
#include "ui/daily/dailylistwidget.h"
#include "ui/daily/dailyscenelistitemdelegate.h"
#include "ui/daily/dailyscenelistmodel.h"
#include "ui/daily/dailyscenemgmtdialog.h"
#include "ui/daily/mediapickerdialog.h"
#include "ui/frame/contentpage.h"
#include "ui/frame/mainframe.h"
#include "ui/lists/pagedgrid.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWindow>

using namespace listtest;
using pointer::clickAt;
using pointer::settle;
using testsupport::readFile;
using testsupport::waitFor;
using testsupport::writeFile;
using testsupport::Xvfb;

namespace {

class DailyByPointer : public CatalogueFixture {
protected:
    void SetUp() override {
        CatalogueFixture::SetUp();
        ASSERT_TRUE(x.isRunning()) << x.error().toStdString();
        player.clear();
        player.setStayMs(1500);
    }
    void TearDown() override {
        Core::instance()->dailyScenePlayer()->wait(10000);
        frame.reset();
        CatalogueFixture::TearDown();
    }
    void show() {
        frame = std::make_unique<MainFrame>(Core::instance()->context());
        frame->showOnWholeScreen();
        ASSERT_TRUE(waitFor([&] { return frame->windowHandle() && frame->windowHandle()->isExposed(); }));
        settle();
        list = named<ContentPage>(frame, "ContentPage")->findChild<DailyListWidget*>();
        ASSERT_TRUE(list && list->isVisible()) << "the daily tab is the first screen";
    }
    void addScene(const QString& name, const QStringList& files, bool custom) {
        QDir().mkpath(paths->dailyDir + "/" + name);
        ASSERT_TRUE(playlist::write(QString("%1/%2/%2.pls").arg(paths->dailyDir, name), files));
        _DailyScene scene;
        scene.name = name;
        scene.playlist = QString("%1/%1.pls").arg(name);
        scene.isCustom = custom;
        ASSERT_TRUE(db->addDailyScene(&scene));
    }
    void addSong(int id, const QString& name) {
        _TaviApp song;
        song.productId = id;
        song.name = name;
        song.proType = "music";
        song.path = QString("music/s%1").arg(id);
        song.fileName = name + ".mp3";
        ASSERT_TRUE(db->addApp(&song));
        ASSERT_TRUE(writeFile(paths->appsDir + "/" + song.path, "ID3"));
    }
    QListView* grid() const { return listView(list); }
    int rows() const { return grid()->model()->rowCount(); }
    QString nameAt(int row) const { return grid()->model()->index(row, 0).data(Qt::DisplayRole).toString(); }
    bool isAdd(int row) const {
        return grid()->model()->index(row, 0).data(DailySceneListModel::SceneKindRole).toInt() == 0;
    }
    // A point of a grid item, in the item's coordinates (the delegate's squares).
    void clickItem(int row, const QPoint& inItem) {
        const QRect item = grid()->visualRect(grid()->model()->index(row, 0));
        clickAt(x, grid()->viewport(), item.topLeft() + inItem);
    }
    static QPoint centreOf(const QRect& r) { return r.center(); }
    QStringList savedPlaylist(const QString& name) {
        QStringList files;
        EXPECT_TRUE(playlist::read(QString("%1/%2/%2.pls").arg(paths->dailyDir, name), files));
        return files;
    }
    // Runs body on the next scene dialog, then makes sure it is gone.
    void inNextSceneDialog(const std::function<void(DailySceneMgmtDialog*)>& body, bool* done) {
        onNextModal<DailySceneMgmtDialog>([=](DailySceneMgmtDialog* dialog) {
            settle();
            body(dialog);
            if (dialog->isVisible() && !QApplication::activeModalWidget()->inherits("QMessageBox"))
                dialog->reject();
            *done = true;
        });
    }

    Xvfb x{Xvfb::Current{}};
    testsupport::TestPlayer& player = testsupport::TestPlayer::instance();
    std::unique_ptr<MainFrame> frame;
    DailyListWidget* list = nullptr;
};

TEST_F(DailyByPointer, TheAddItemFollowsTheLastSceneAndLeadsToANewScene) {
    addScene("Morning", {}, true);
    addScene("Nap", {}, false);
    ASSERT_NO_FATAL_FAILURE(show());
    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(nameAt(0), "Morning");
    EXPECT_TRUE(isAdd(2));

    addSong(1, "Apple");
    addSong(2, "Banana");
    addSong(3, "Cherry");
    bool done = false;
    inNextSceneDialog(
        [&](DailySceneMgmtDialog* dialog) {
            auto* name = dialog->findChild<QLineEdit*>("nameEdit");
            clickAt(x, name);
            ASSERT_TRUE(x.type("Music time"));
            settle();
            // The library's songs, picked by name.
            bool picked = false;
            onNextModal<MediaPickerDialog>([&](MediaPickerDialog* picker) {
                settle();
                QListWidget* songs = named<QListWidget>(picker, "mediaList");
                EXPECT_EQ(songs->count(), 3);
                for (int row = 0; row < songs->count(); ++row)
                    clickAt(x, songs->viewport(), songs->visualItemRect(songs->item(row)).center());
                clickAt(x, picker->findChild<QPushButton*>("addBtn"));
                picked = true;
            });
            clickAt(x, dialog->findChild<QToolButton*>("libraryBtn"));
            ASSERT_TRUE(waitFor([&] { return picked; }, 10000));
            auto* entries = dialog->findChild<QListWidget*>("playlist");
            ASSERT_EQ(entries->count(), 3);
            // Cherry up twice, then Apple (now second) down once.
            clickAt(x, entries->viewport(), entries->visualItemRect(entries->item(2)).center());
            clickAt(x, dialog->findChild<QToolButton*>("upBtn"));
            clickAt(x, dialog->findChild<QToolButton*>("upBtn"));
            clickAt(x, entries->viewport(), entries->visualItemRect(entries->item(1)).center());
            clickAt(x, dialog->findChild<QToolButton*>("downBtn"));
            clickAt(x, dialog->findChild<QPushButton*>("saveBtn"));
        },
        &done);
    clickItem(2, centreOf(DailySceneListItemDelegate::addSquare()));
    ASSERT_TRUE(waitFor([&] { return done && !QApplication::activeModalWidget(); }, 30000));

    const QString apps = paths->appsDir + "/music/";
    EXPECT_EQ(savedPlaylist("Music time"), (QStringList{apps + "s3", apps + "s2", apps + "s1"}));
    const QString raw = readFile(paths->dailyDir + "/Music time/Music time.pls");
    // Picked from the library, each entry carries the song's name as its title.
    EXPECT_TRUE(raw.contains("File1=" + apps + "s3\nTitle1=Cherry\nFile2=" + apps +
                             "s2\nTitle2=Banana\nFile3=" + apps +
                             "s1\nTitle3=Apple\nNumberOfEntries=3\nVersion=2\n"))
        << raw.toStdString();
    ASSERT_TRUE(waitFor([&] { return rows() == 4; }));
    EXPECT_EQ(nameAt(2), "Music time");
    EXPECT_TRUE(isAdd(3));
}

TEST_F(DailyByPointer, AFileFromDiskAnEmptyListAChineseNameAndADuplicate) {
    addScene("Morning", {}, true);
    ASSERT_NO_FATAL_FAILURE(show());
    const QString song = root.path("my songs/clap.mp3");
    writeFile(song, "ID3");
    bool done = false;
    inNextSceneDialog(
        [&](DailySceneMgmtDialog* dialog) {
            dialog->findChild<QLineEdit*>("nameEdit")->setText(QString::fromUtf8("午睡 音乐"));
            bool chosen = false;
            onNextModal<QFileDialog>([&](QFileDialog* files) {
                settle();
                EXPECT_TRUE(files->nameFilters().join(' ').contains("*.ogg"));
                x.type(song);
                x.key("Return");
                chosen = true;
            });
            clickAt(x, dialog->findChild<QToolButton*>("addBtn"));
            ASSERT_TRUE(waitFor([&] { return chosen; }, 10000));
            EXPECT_EQ(dialog->files(), QStringList{song});
            clickAt(x, dialog->findChild<QPushButton*>("saveBtn"));
        },
        &done);
    clickItem(1, centreOf(DailySceneListItemDelegate::addSquare()));
    ASSERT_TRUE(waitFor([&] { return done && !QApplication::activeModalWidget(); }, 30000));
    EXPECT_EQ(savedPlaylist(QString::fromUtf8("午睡 音乐")), QStringList{song});
    EXPECT_TRUE(readFile(paths->dailyDir + QString::fromUtf8("/午睡 音乐/午睡 音乐.pls"))
                    .toUtf8()
                    .contains(song.toUtf8()));

    // An empty playlist; then a name another scene has, refused before anything is written.
    done = false;
    inNextSceneDialog(
        [&](DailySceneMgmtDialog* dialog) {
            auto* name = dialog->findChild<QLineEdit*>("nameEdit");
            // Blanks around a name are no part of it; a name fits a file name.
            EXPECT_EQ(name->maxLength(), DailySceneMgmtDialog::kMaxSceneName);
            name->setText("  Quiet ");
            clickAt(x, dialog->findChild<QPushButton*>("saveBtn"));
        },
        &done);
    ASSERT_TRUE(waitFor([&] { return rows() == 3; }));
    clickItem(2, centreOf(DailySceneListItemDelegate::addSquare()));
    ASSERT_TRUE(waitFor([&] { return done && !QApplication::activeModalWidget(); }, 30000));
    EXPECT_EQ(readFile(paths->dailyDir + "/Quiet/Quiet.pls"), "[playlist]\nNumberOfEntries=0\nVersion=2\n");

    const QString before = readFile(paths->dailyDir + "/Morning/Morning.pls");
    done = false;
    auto box = answerNextBox(QMessageBox::Ok);
    inNextSceneDialog(
        [&](DailySceneMgmtDialog* dialog) {
            dialog->findChild<QLineEdit*>("nameEdit")->setText(" Morning");
            dialog->addFiles({song});
            clickAt(x, dialog->findChild<QPushButton*>("saveBtn"));
            EXPECT_TRUE(waitFor([&] { return box->seen; }, 5000));
            EXPECT_TRUE(dialog->isVisible()) << "the dialog stays open for another name";
            dialog->reject();
        },
        &done);
    ASSERT_TRUE(waitFor([&] { return rows() == 4; }));
    clickItem(3, centreOf(DailySceneListItemDelegate::addSquare()));
    ASSERT_TRUE(waitFor([&] { return done && !QApplication::activeModalWidget(); }, 30000));
    EXPECT_TRUE(box->text.contains("Morning"));
    EXPECT_EQ(readFile(paths->dailyDir + "/Morning/Morning.pls"), before)
        << "the other scene's playlist is untouched";
}

TEST_F(DailyByPointer, ThePicturePlaysTheNameDoesNotAndOnlyOwnScenesHaveATrash) {
    const QString song = root.path("songs/a.mp3");
    writeFile(song, "ID3");
    addScene("Own", {song}, true);
    addScene("Shipped", {song}, false);
    ASSERT_NO_FATAL_FAILURE(show());

    clickItem(0, QPoint(73, 160)); // on the name
    settle(600);
    EXPECT_TRUE(player.calls().isEmpty()) << "a click on the name played the scene";
    clickItem(0, QPoint(64, 64)); // on the picture
    ASSERT_TRUE(waitFor([&] { return !player.calls().isEmpty(); }, 10000)) << "the picture did not play";
    EXPECT_EQ(player.calls().value(0), "arg=" + paths->dailyDir + "/Own/Own.pls");
    ASSERT_TRUE(Core::instance()->dailyScenePlayer()->wait(10000));

    // The shipped scene has no trash: a click there asks nothing.
    clickItem(1, centreOf(DailySceneListItemDelegate::trashSquare()));
    settle(400);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(rows(), 3);

    // The own scene's trash asks; No keeps it, Yes removes the row and keeps the folder.
    auto no = answerNextBox(QMessageBox::No);
    clickItem(0, centreOf(DailySceneListItemDelegate::trashSquare()));
    ASSERT_TRUE(waitFor([&] { return no->seen && !QApplication::activeModalWidget(); }, 10000));
    EXPECT_EQ(rows(), 3);
    settle(600); // a second press on the same spot at once would be a double click
    auto yes = answerNextBox(QMessageBox::Yes);
    clickItem(0, centreOf(DailySceneListItemDelegate::trashSquare()));
    ASSERT_TRUE(waitFor([&] { return yes->seen && rows() == 2; }, 10000));
    EXPECT_TRUE(yes->text.contains("Own"));
    EXPECT_EQ(nameAt(0), "Shipped");
    EXPECT_TRUE(QFileInfo::exists(paths->dailyDir + "/Own/Own.pls"));
}

TEST_F(DailyByPointer, MissingFilesAreMarkedAndSaidOnceAndARenameMovesTheFolder) {
    const QString here = root.path("songs/here.mp3");
    writeFile(here, "ID3");
    const QString gone = root.path("songs/gone.mp3");
    addScene("Mixed", {gone, here}, true);
    addScene("Lost", {gone}, true);
    ASSERT_NO_FATAL_FAILURE(show());
    EXPECT_EQ(grid()->model()->index(0, 0).data(DailySceneListModel::SceneMissingRole).toInt(), 1);
    EXPECT_EQ(grid()->model()->index(1, 0).data(DailySceneListModel::SceneMissingRole).toInt(), 1);

    auto told = answerNextBox(QMessageBox::Ok);
    clickItem(0, QPoint(64, 64));
    ASSERT_TRUE(waitFor([&] { return told->seen; }, 10000));
    EXPECT_TRUE(told->text.contains("gone.mp3"));
    EXPECT_FALSE(told->text.contains(root.path("songs")))
        << "files are named as a teacher knows them, not by path";
    ASSERT_TRUE(waitFor([&] { return !player.calls().isEmpty(); }, 10000));
    EXPECT_TRUE(player.calls().contains("entry=File1=" + here)) << player.calls().join('\n').toStdString();
    ASSERT_TRUE(Core::instance()->dailyScenePlayer()->wait(10000));

    player.clear();
    auto none = answerNextBox(QMessageBox::Ok);
    clickItem(1, QPoint(64, 64));
    ASSERT_TRUE(waitFor([&] { return none->seen; }, 10000));
    settle(500);
    EXPECT_TRUE(player.calls().isEmpty()) << "a scene without any of its files started the player";

    // Renamed, the scene takes its folder along (it held nothing but the playlist).
    bool done = false;
    inNextSceneDialog(
        [&](DailySceneMgmtDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), "modify scene");
            auto* entries = dialog->findChild<QListWidget*>("playlist");
            ASSERT_EQ(entries->count(), 1);
            EXPECT_TRUE(entries->item(0)->data(Qt::UserRole).toBool()) << "the missing entry is marked";
            dialog->addFiles({here});
            EXPECT_FALSE(entries->item(1)->data(Qt::UserRole).toBool());
            // Listed by name, the whole path on hover.
            EXPECT_EQ(entries->item(1)->text(), QFileInfo(here).fileName());
            EXPECT_EQ(testsupport::shownText(entries->item(1)->toolTip()), here);
            dialog->findChild<QLineEdit*>("nameEdit")->setText("Found");
            clickAt(x, dialog->findChild<QPushButton*>("saveBtn"));
        },
        &done);
    clickItem(1, centreOf(DailySceneListItemDelegate::editSquare()));
    ASSERT_TRUE(waitFor([&] { return done && !QApplication::activeModalWidget(); }, 30000));
    EXPECT_FALSE(QFileInfo::exists(paths->dailyDir + "/Lost"));
    EXPECT_EQ(savedPlaylist("Found"), (QStringList{gone, here}));
    ASSERT_TRUE(waitFor([&] { return nameAt(1) == "Found"; }));
}

TEST_F(DailyByPointer, ManyScenesPageWithTheArrowsAndAFullPageHasNoAddItem) {
    for (int i = 0; i < 40; ++i)
        addScene(QString("Scene %1").arg(i, 2, 10, QChar('0')), {}, true);
    ASSERT_NO_FATAL_FAILURE(show());
    const int size = list->pageSize();
    ASSERT_LT(size, 40);
    EXPECT_EQ(rows(), size) << "a full page holds scenes only";
    EXPECT_FALSE(isAdd(rows() - 1));
    const int pages = pagedgrid::pageCount(list->total(), size);
    pointer::pageThrough(
        x, list, [&] { return list->page(); }, pages, "daily scenes");
    for (int p = 1; p < pages; ++p)
        clickAt(x, button(list, "nextBtn"));
    ASSERT_TRUE(waitFor([&] { return list->page() == pages - 1; }));
    EXPECT_TRUE(isAdd(rows() - 1)) << "the add item comes after the last scene";
}

} // namespace
