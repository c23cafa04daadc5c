// The pack tab: the pack grid and its pictures, opening and removing packs,
// importing several real archives (built by packbuilder) one after another,
// the custom pack and the store button, on a real catalogue.

#include "core/dailyscenes.h"
#include "support/listfixture.h"
#include "support/packsupport.h"
#include "ui/daily/dailylistwidget.h"
#include "ui/daily/dailyscenelistmodel.h"
#include "ui/dialogs/processingdialog.h"
#include "ui/favor/favorlistwidget.h"
#include "ui/lists/applistdialog.h"
#include "ui/lists/applistmodel.h"
#include "ui/packs/custompackadddialog.h"
#include "ui/packs/packform.h"
#include "ui/packs/packlistitemdelegate.h"
#include "ui/packs/packlistmodel.h"
#include "ui/packs/packlistwidget.h"
#include "ui/packs/storedialog.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSqlQuery>
#include <QToolButton>

using namespace listtest;
using testsupport::waitFor;

namespace {

QStringList packNames(QListView* view) {
    return shownNames(view, PackListModel::PackNameRole);
}

QImage decoration(QListView* view, int row) {
    return view->model()->index(row, 0).data(Qt::DecorationRole).value<QPixmap>().toImage();
}

class PackViewTest : public CatalogueFixture {
protected:
    // Sets a pack's install day, so "newest first" has something to sort.
    void installedOn(const QString& packId, const QString& day) {
        QSqlQuery q(QSqlDatabase::database("default"));
        ASSERT_TRUE(q.exec(
            QString("update PackTbl set installDate = '%1 09:00:00' where packId = '%2'").arg(day, packId)));
    }
    // A real archive of one pack with two books.
    QString buildArchive(const QString& file, const QString& packId, const QString& name, int firstProduct) {
        packsupport::PackSource src(root.path("work/src-" + packId), packId, name, "art/pack.png");
        src.add(packsupport::resource(firstProduct, name + " book", "books", "books/a.zip", "art/a.png"));
        src.add(packsupport::resource(firstProduct + 1, name + " song", "music", "music/b.mp3", "art/b.png"));
        const QString archive = root.path("work/" + file);
        const testsupport::ProcessResult r = src.build(archive);
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
        return archive;
    }
    QStringList cataloguePacks() {
        _PackSearchPara para;
        para.orderBy = 0;
        unsigned count = 0;
        DataSet<TaviPack> packs;
        EXPECT_TRUE(db->searchPacks(&para, count, &packs));
        QStringList ids;
        for (const TaviPackPtr& p : packs)
            ids << p->packId;
        return ids;
    }
};

// Watches the processing dialogs: how many were shown, how many at once, and
// which packs the catalogue held when each one appeared.
class ProcessingWatch : public QObject {
public:
    explicit ProcessingWatch(std::function<QStringList()> packs) : m_packs(std::move(packs)) {
        qApp->installEventFilter(this);
    }
    ~ProcessingWatch() override { qApp->removeEventFilter(this); }
    int shown = 0;
    int open = 0;
    int mostAtOnce = 0;
    QList<QStringList> packsAtShow;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (qobject_cast<ProcessingDialog*>(watched) && watched->isWidgetType()) {
            if (event->type() == QEvent::Show) {
                ++shown;
                mostAtOnce = qMax(mostAtOnce, ++open);
                packsAtShow << m_packs();
            } else if (event->type() == QEvent::Hide) {
                --open;
            }
        }
        return false;
    }

private:
    std::function<QStringList()> m_packs;
};

// Chooses files in the next pack file dialog (or cancels it when files is
// empty) and reports how the dialog was set up.
struct FileDialogSeen {
    bool seen = false;
    QString title;
    QStringList filters;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    QString directory;
};
std::shared_ptr<FileDialogSeen> chooseFiles(const QString& folder, const QStringList& files) {
    auto seen = std::make_shared<FileDialogSeen>();
    onNextModal<QFileDialog>([seen, folder, files](QFileDialog* dialog) {
        seen->seen = true;
        seen->title = dialog->windowTitle();
        seen->filters = dialog->nameFilters();
        seen->mode = dialog->fileMode();
        seen->directory = dialog->directory().absolutePath();
        if (files.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->setDirectory(folder);
        QStringList quoted;
        for (const QString& f : files)
            quoted << "\"" + f + "\"";
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(quoted.join(' '));
        // As the Open button does (accept() is protected in QFileDialog).
        QMetaObject::invokeMethod(dialog, "accept");
    });
    return seen;
}

} // namespace

// ---- model and delegate ------------------------------------------------------------------

TEST(PackListModelTest, RolesGiveThePackAndNothingElse) {
    DataSet<TaviPack> page;
    TaviPackPtr pack(new TaviPack);
    pack->packId = "animals";
    pack->name = "Animals";
    pack->iconPixmap = QPixmap(4, 4);
    page.append(pack);
    PackListModel model;
    EXPECT_EQ(model.rowCount(), 0);
    model.setList(&page);
    ASSERT_EQ(model.rowCount(), 1);
    const QModelIndex index = model.index(0, 0);
    EXPECT_EQ(index.internalPointer(), pack.data());
    EXPECT_EQ(index.data(Qt::DisplayRole).toString(), "Animals");
    EXPECT_EQ(index.data(PackListModel::PackNameRole).toString(), "Animals");
    EXPECT_EQ(index.data(PackListModel::PackIdRole).toString(), "animals");
    EXPECT_EQ(index.data(Qt::DecorationRole).value<QPixmap>().size(), QSize(4, 4));
    EXPECT_EQ(int(PackListModel::PackIdRole), 356);
    EXPECT_EQ(int(PackListModel::PackNameRole), 357);
    EXPECT_EQ(testsupport::shownText(index.data(Qt::ToolTipRole).toString()), "Animals");
    EXPECT_FALSE(index.data(AppListModel::AppIdRole).isValid());
    EXPECT_FALSE(model.index(1, 0).isValid());
    EXPECT_FALSE(model.data(QModelIndex(), Qt::DisplayRole).isValid());
}

TEST(PackListItemDelegateTest, PaintsIconNameAndTrashAndHitsLikeTheFavourites) {
    DataSet<TaviPack> page;
    TaviPackPtr pack(new TaviPack);
    pack->name = "Animals";
    page.append(pack); // no icon: the square stays empty, the name is still there
    PackListModel model;
    model.setList(&page);
    PackListItemDelegate delegate;
    EXPECT_EQ(delegate.sizeHint(QStyleOptionViewItem(), model.index(0, 0)), QSize(147, 173));
    EXPECT_EQ(delegate.actionSquares(), QVector<QRect>{QRect(134, 0, 16, 16)});

    QImage image(200, 200, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 147, 173);
        delegate.paint(&painter, option, model.index(0, 0));
    }
    int nameInk = 0, iconInk = 0, trashInk = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            const bool ink = image.pixelColor(x, y) != QColor(Qt::white);
            if (y >= 138 && x < 147)
                nameInk += image.pixelColor(x, y) == QColor("#011B5E") ? 1 : 0;
            else if (x < 128 && y < 128)
                iconInk += ink ? 1 : 0;
            else if (x >= 134 && x < 150 && y < 16)
                trashInk += ink ? 1 : 0;
        }
    }
    EXPECT_GT(nameInk, 10);
    EXPECT_EQ(iconInk, 0);
    EXPECT_GT(trashInk, 10) << "no trash picture";
}

// ---- the grid on the catalogue -----------------------------------------------------------------

TEST_F(PackViewTest, CustomPackShowsTheCustomIconWhateverItsIconSays) {
    ASSERT_TRUE(writePicture(paths->packIconDir + "/green.png", Qt::green));
    addPack("publisher", "Publisher", "green.png", false);
    addPack("mine", "Mine", "green.png", true);
    addPack("lost", "Lost", "missing.png", false);
    installedOn("publisher", "2016-03-01");
    installedOn("mine", "2016-03-02");
    installedOn("lost", "2016-03-03");

    PackListWidget widget(Core::instance()->context());
    EXPECT_EQ(widget.objectName(), "PackListWidget");
    QListView* view = listView(&widget);
    giveListArea(&widget, view, QSize(700, 420));
    ASSERT_EQ(packNames(view), (QStringList{"Lost", "Mine", "Publisher"}));

    const QImage custom = QPixmap(":/images/custom_pack_icon").toImage();
    ASSERT_FALSE(custom.isNull()) << "the custom pack picture is missing from the resources";
    EXPECT_EQ(decoration(view, 1), custom);
    EXPECT_EQ(decoration(view, 2).pixelColor(1, 1), QColor(Qt::green));
    EXPECT_TRUE(decoration(view, 0).isNull());
}

TEST_F(PackViewTest, NewestFirstPagedAndRemovingTheLastPackStepsBack) {
    for (int i = 1; i <= 5; ++i) {
        addPack(QString("p%1").arg(i), QString("Pack %1").arg(i));
        installedOn(QString("p%1").arg(i), QString("2016-03-0%1").arg(i));
    }
    PackListWidget widget(Core::instance()->context());
    QListView* view = listView(&widget);
    giveListArea(&widget, view, QSize(360, 230)); // two columns, one row
    ASSERT_EQ(widget.pageSize(), 2);
    EXPECT_EQ(packNames(view), (QStringList{"Pack 5", "Pack 4"}));
    EXPECT_FALSE(button(&widget, "prevBtn")->isEnabled());
    button(&widget, "nextBtn")->click();
    button(&widget, "nextBtn")->click();
    EXPECT_EQ(packNames(view), QStringList{"Pack 1"});
    EXPECT_FALSE(button(&widget, "nextBtn")->isEnabled());
    EXPECT_TRUE(button(&widget, "prevBtn")->isEnabled());

    ASSERT_TRUE(db->removePack("p1"));
    EXPECT_EQ(widget.page(), 1);
    EXPECT_EQ(packNames(view), (QStringList{"Pack 3", "Pack 2"}));
    EXPECT_FALSE(button(&widget, "nextBtn")->isEnabled());

    // A pack added anywhere shows up, at the front once the grid is back on page 0.
    addPack("p6", "Pack 6");
    widget.reload();
    EXPECT_EQ(packNames(view).first(), "Pack 6");

    // Without a catalogue the grid is empty, both buttons off.
    db->close();
    widget.load();
    EXPECT_EQ(view->model()->rowCount(), 0);
    EXPECT_FALSE(button(&widget, "prevBtn")->isEnabled());
    EXPECT_FALSE(button(&widget, "nextBtn")->isEnabled());
}

TEST_F(PackViewTest, ClickingAPackOpensItsAppsByName) {
    addPack("farm", "Farm");
    addPack("sea", "Sea");
    installedOn("farm", "2016-03-02");
    installedOn("sea", "2016-03-01");
    addApp("Pig", "farm");
    addApp("Cow", "farm");
    addApp("Fish", "sea");
    PackListWidget widget(Core::instance()->context());
    QListView* view = listView(&widget);
    giveListArea(&widget, view, QSize(700, 420));
    ASSERT_EQ(packNames(view).first(), "Farm");

    QString packId;
    QStringList apps;
    bool frameless = false;
    onNextModal<AppListDialog>([&](AppListDialog* dialog) {
        packId = dialog->packId();
        frameless = dialog->windowFlags().testFlag(Qt::FramelessWindowHint);
        QAbstractItemModel* model = dialog->findChild<QListView*>("listView")->model();
        for (int row = 0; row < model->rowCount(); ++row)
            apps << model->index(row, 0).data(AppListModel::AppNameRole).toString();
        dialog->findChild<QToolButton*>("closeBtn")->click();
    });
    click(view, 0, kOnIcon);
    EXPECT_EQ(packId, "farm");
    EXPECT_EQ(apps, (QStringList{"Cow", "Pig"}));
    EXPECT_TRUE(frameless);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(PackViewTest, TrashRemovesAnImportedPackAfterTheQuestionAndTheFavouritesAndScenesFollow) {
    ASSERT_EQ(Core::instance()->importPack(buildArchive("zoo.tvp", "zoo", "Zoo", 2001)), 0);
    const int book = appIdOf("productId = 2001");
    ASSERT_NE(book, 0);
    ASSERT_TRUE(db->setFavorApp(book, true));
    // A daily scene that plays the pack's song (picked from the library, so it carries the song's name).
    ASSERT_EQ(
        dailyscenes::save(*db, *paths, nullptr, "Morning", {paths->appsDir + "/music/b.mp3"}, {"Zoo song"}),
        dailyscenes::Saved);
    DailyListWidget daily(Core::instance()->context());
    QListView* scenes = listView(&daily);
    giveListArea(&daily, scenes, QSize(700, 420));
    ASSERT_EQ(scenes->model()->index(0, 0).data(DailySceneListModel::SceneMissingRole).toInt(), 0);

    PackListWidget widget(Core::instance()->context());
    QListView* view = listView(&widget);
    giveListArea(&widget, view, QSize(700, 420));
    FavorListWidget favourites(Core::instance()->context());
    giveListArea(&favourites, favourites.findChild<QListView*>("listView"), QSize(700, 420));
    ASSERT_EQ(favourites.findChild<QListView*>("listView")->model()->rowCount(), 1);
    ASSERT_EQ(packNames(view), QStringList{"Zoo"});

    auto no = answerNextBox(QMessageBox::No);
    click(view, 0, kOnTrash);
    ASSERT_TRUE(no->seen);
    EXPECT_EQ(no->title, "Confirm Removal");
    EXPECT_EQ(
        no->text,
        "Do you really want to remove Zoo?\nThe daily scenes Morning play its files and will miss them.")
        << "the question names the scenes that use the pack";
    EXPECT_EQ(cataloguePacks(), QStringList{"zoo"});

    auto yes = answerNextBox(QMessageBox::Yes);
    click(view, 0, kOnTrash);
    ASSERT_TRUE(yes->seen);
    EXPECT_TRUE(cataloguePacks().isEmpty());
    ASSERT_TRUE(waitFor([&] { return view->model()->rowCount() == 0; }));
    ASSERT_TRUE(
        waitFor([&] { return favourites.findChild<QListView*>("listView")->model()->rowCount() == 0; }));
    unsigned apps = 1;
    ASSERT_TRUE(db->getAppCount(apps));
    EXPECT_EQ(apps, 0u);
    // The daily tab marks the scene at once, and playing it names the song as the teacher knows it.
    ASSERT_TRUE(waitFor([&] {
        return scenes->model()->index(0, 0).data(DailySceneListModel::SceneMissingRole).toInt() == 1;
    }));
    auto told = answerNextBox(QMessageBox::Ok);
    click(scenes, 0, kOnIcon);
    ASSERT_TRUE(told->seen);
    EXPECT_EQ(told->text, "None of the files of \"Morning\" can be found any more:\nZoo song");
}

// ---- the pack tab -------------------------------------------------------------------------------

TEST_F(PackViewTest, ChoosingThreePackFilesImportsThemOneAfterAnother) {
    const QString work = root.path("work");
    buildArchive("1-birds.tvp", "birds", "Birds", 3001);
    buildArchive("2-bugs.tvp", "bugs", "Bugs", 3011);
    buildArchive("3-cats.tvp", "cats", "Cats", 3021);

    PackForm form(Core::instance()->context());
    EXPECT_EQ(form.objectName(), "PackForm");
    form.resize(1200, 800);
    form.show();
    ProcessingWatch watch([this] { return cataloguePacks(); });

    auto seen = chooseFiles(work, {"1-birds.tvp", "2-bugs.tvp", "3-cats.tvp"});
    auto summary = answerNextBox(QMessageBox::Ok);
    button(&form, "importPackBtn")->click();
    ASSERT_TRUE(seen->seen);
    // One summary at the end, a line per file.
    ASSERT_TRUE(summary->seen);
    EXPECT_EQ(summary->text, "1-birds.tvp: imported with 2 resources\n2-bugs.tvp: imported with 2 resources\n"
                             "3-cats.tvp: imported with 2 resources")
        << summary->text.toStdString();
    EXPECT_EQ(seen->title, "Select tavi pack");
    EXPECT_EQ(seen->filters, QStringList{"Pack Files(*.tvp)"});
    EXPECT_EQ(seen->mode, QFileDialog::ExistingFiles);
    EXPECT_NE(seen->directory, QDir::current().absolutePath())
        << "the client's own folder is no place for packs";

    // Each file had a processing dialog of its own, one at a time, in the order chosen.
    EXPECT_EQ(watch.shown, 3);
    EXPECT_EQ(watch.mostAtOnce, 1);
    EXPECT_EQ(watch.packsAtShow,
              (QList<QStringList>{QStringList{}, QStringList{"birds"}, QStringList{"birds", "bugs"}}));
    EXPECT_EQ(cataloguePacks(), (QStringList{"birds", "bugs", "cats"}));
    QListView* view = listView(&form);
    ASSERT_TRUE(waitFor([&] { return view->model()->rowCount() == 3; }));
    // Their own icons, copied in by the import.
    for (int row = 0; row < 3; ++row)
        EXPECT_FALSE(decoration(view, row).isNull());

    // The next choice starts where the packs were.
    auto again = chooseFiles(work, {});
    button(&form, "importPackBtn")->click();
    ASSERT_TRUE(again->seen);
    EXPECT_EQ(again->directory, QDir(work).absolutePath());
}

TEST_F(PackViewTest, AFailedImportIsReportedAndTheNextFileStillComes) {
    const QString work = root.path("work");
    buildArchive("1-birds.tvp", "birds", "Birds", 3001);
    ASSERT_TRUE(testsupport::writeFile(work + "/2-broken.tvp", "this is no archive"));
    buildArchive("3-cats.tvp", "cats", "Cats", 3021);

    PackForm form(Core::instance()->context());
    form.resize(1200, 800);
    form.show();
    auto error = answerNextBox(QMessageBox::Ok);
    chooseFiles(work, {"1-birds.tvp", "2-broken.tvp", "3-cats.tvp"});
    button(&form, "importPackBtn")->click();
    EXPECT_TRUE(error->seen);
    EXPECT_EQ(error->title, "import");
    EXPECT_TRUE(error->text.contains("2-broken.tvp: skipped: not a pack")) << error->text.toStdString();
    EXPECT_EQ(cataloguePacks(), (QStringList{"birds", "cats"}));
}

TEST_F(PackViewTest, APackFileThatIsNotThereIsSaidByName) {
    const QString work = root.path("work");
    buildArchive("1-birds.tvp", "birds", "Birds", 3001);
    PackForm form(Core::instance()->context());
    auto summary = answerNextBox(QMessageBox::Ok);
    form.importFiles({work + "/gone.tvp", work + "/1-birds.tvp"});
    ASSERT_TRUE(summary->seen);
    EXPECT_EQ(summary->text, "gone.tvp: not found\n1-birds.tvp: imported with 2 resources");
    EXPECT_EQ(cataloguePacks(), QStringList{"birds"});

    auto alone = answerNextBox(QMessageBox::Ok);
    form.importFiles({work + "/gone.tvp"});
    ASSERT_TRUE(alone->seen);
    EXPECT_EQ(alone->text, "The pack file \"" + work + "/gone.tvp\" was not found.");
    EXPECT_TRUE(root.readLog().contains("ERROR - pack file not found: " + work + "/gone.tvp"));
}

TEST_F(PackViewTest, CancellingTheFileDialogImportsNothing) {
    buildArchive("1-birds.tvp", "birds", "Birds", 3001);
    PackForm form(Core::instance()->context());
    form.show();
    ProcessingWatch watch([this] { return cataloguePacks(); });
    auto seen = chooseFiles(root.path("work"), {});
    button(&form, "importPackBtn")->click();
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(watch.shown, 0);
    EXPECT_TRUE(cataloguePacks().isEmpty());
}

TEST_F(PackViewTest, MakingAPackOfOwnFilesShowsItWithTheCustomIcon) {
    ASSERT_TRUE(testsupport::writeFile(root.path("work/morning.mp3"), "la"));
    ASSERT_TRUE(testsupport::writeFile(root.path("work/sun.png"), "png"));
    PackForm form(Core::instance()->context());
    form.resize(1200, 800);
    form.show();
    QListView* view = listView(&form);

    bool parentless = false;
    onNextModal<CustomPackAddDialog>([&](CustomPackAddDialog* dialog) {
        parentless = dialog->parentWidget() == nullptr;
        dialog->findChild<QLineEdit*>("packNameEdit")->setText("My Songs");
        dialog->addFiles({root.path("work/morning.mp3"), root.path("work/sun.png")});
        dialog->findChild<QPushButton*>("saveBtn")->click();
    });
    button(&form, "makePackBtn")->click();
    EXPECT_TRUE(parentless);
    ASSERT_TRUE(waitFor([&] { return packNames(view) == QStringList{"My Songs"}; }));
    EXPECT_EQ(decoration(view, 0), QPixmap(":/images/custom_pack_icon").toImage());
    EXPECT_FALSE(decoration(view, 0).isNull());

    // Its files are apps of the pack, each with the icon of its file type.
    QStringList apps;
    onNextModal<AppListDialog>([&](AppListDialog* dialog) {
        QAbstractItemModel* model = dialog->findChild<QListView*>("listView")->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            apps << model->index(row, 0).data(AppListModel::AppNameRole).toString();
            EXPECT_FALSE(model->index(row, 0).data(Qt::DecorationRole).value<QPixmap>().isNull());
        }
        dialog->accept();
    });
    click(view, 0, kOnIcon);
    EXPECT_EQ(apps, (QStringList{"morning.mp3", "sun.png"}));
}

TEST_F(PackViewTest, StoreButtonOpensTheStoreDialogAndAddsNothing) {
    PackForm form(Core::instance()->context());
    form.show();
    bool opened = false;
    onNextModal<StoreDialog>([&](StoreDialog* dialog) {
        opened = true;
        dialog->reject();
    });
    button(&form, "downloadPackBtn")->click();
    EXPECT_TRUE(opened);
    EXPECT_TRUE(cataloguePacks().isEmpty());
}

// The pack tab's several-file import ends with one summary.
class ImportSummary : public listtest::CatalogueFixture {};

TEST_F(ImportSummary, FourFilesFourLines) {
    const QString work = root.path("work");
    auto make = [&](const QString& id, int product, const QString& file, const QStringList& options = {}) {
        packsupport::PackSource src(work + "/src-" + file, id, "Pack " + id);
        src.add(packsupport::resource(product, "Book", "books", "b/a.zip"), "a");
        src.add(packsupport::resource(product + 1, "Song", "music", "m/b.mp3"), "b");
        EXPECT_EQ(src.build(work + "/" + file, options).exitCode, 0);
        return work + "/" + file;
    };
    const QString good = make("birds", 10, "1-birds.tvp");
    ASSERT_EQ(Core::instance()->importPack(make("cats", 20, "old-cats.tvp")), 0);
    const QString replaced = make("cats", 30, "2-cats.tvp");
    const QString tooNew = make("future", 40, "3-future.tvp", {"--ini-ver", "2"});
    const QString junk = work + "/4-junk.tvp";
    ASSERT_TRUE(testsupport::writeFile(junk, "this is no archive"));

    PackForm form(Core::instance()->context());
    form.show();
    auto summary = listtest::answerNextBox(QMessageBox::Ok);
    form.importFiles({good, replaced, tooNew, junk});
    ASSERT_TRUE(summary->seen) << "no summary";
    EXPECT_EQ(summary->title, "import");
    EXPECT_EQ(
        summary->text.split('\n'),
        (QStringList{"1-birds.tvp: imported with 2 resources",
                     "2-cats.tvp: imported with 2 resources, replacing an older copy",
                     "3-future.tvp: skipped: needs a newer client", "4-junk.tvp: skipped: not a pack"}));

    // A single file that imports needs no box at all.
    auto none = listtest::answerNextBox(QMessageBox::Ok);
    form.importFiles({make("owls", 50, "5-owls.tvp")});
    QApplication::processEvents();
    EXPECT_FALSE(none->seen);
}
