// The resource lists: the app model, the delegates' painting and hit squares,
// the paging rule, the search/pack dialog and the favourites tab, on a real
// catalogue.

#include "support/listfixture.h"
#include "ui/favor/favorlistwidget.h"
#include "ui/frame/contentpage.h"
#include "ui/lists/applistdialog.h"
#include "ui/lists/applistitemdelegate.h"
#include "ui/lists/applistmodel.h"
#include "ui/lists/pagedgrid.h"
#include "ui/lists/touchgrid.h"

#include <QFontMetrics>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QThread>
#include <QToolButton>

using namespace listtest;
using testsupport::waitFor;

namespace {

TaviAppPtr makeApp(int id, const QString& name, bool favor = false) {
    TaviAppPtr app(new _TaviApp);
    app->appId = id;
    app->name = name;
    app->favor = favor;
    return app;
}

QStringList names(QListView* view) {
    return shownNames(view, AppListModel::AppNameRole);
}

} // namespace

// ---- model ----------------------------------------------------------------------

TEST(AppListModelTest, RolesGiveTheRecordAndNothingElse) {
    DataSet<TaviApp> page;
    page.append(makeApp(7, "Little Star", true));
    page.append(TaviAppPtr()); // an empty slot
    page.first()->iconPixmap = QPixmap(8, 8);
    AppListModel model;
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.index(0, 0).isValid());

    model.setList(&page);
    ASSERT_EQ(model.rowCount(), 2);
    const QModelIndex first = model.index(0, 0);
    EXPECT_EQ(first.internalPointer(), page.first().data());
    EXPECT_EQ(first.data(Qt::DisplayRole).toString(), "Little Star");
    EXPECT_EQ(first.data(AppListModel::AppNameRole).toString(), "Little Star");
    EXPECT_EQ(first.data(AppListModel::AppIdRole).toInt(), 7);
    EXPECT_TRUE(first.data(AppListModel::AppFavorRole).toBool());
    EXPECT_EQ(first.data(Qt::DecorationRole).value<QPixmap>().size(), QSize(8, 8));
    EXPECT_EQ(int(AppListModel::AppIdRole), 406);
    EXPECT_EQ(int(AppListModel::AppNameRole), 407);
    EXPECT_EQ(int(AppListModel::AppFavorRole), 421);

    // The whole name as a tip: the grid shows at most two lines of it. A
    // name that looks like markup is shown as it is written.
    EXPECT_EQ(testsupport::shownText(first.data(Qt::ToolTipRole).toString()), "Little Star");
    page.first()->name = "<b>Little</b> Star";
    EXPECT_EQ(testsupport::shownText(first.data(Qt::ToolTipRole).toString()), "<b>Little</b> Star");
    page.first()->name = "Little Star";
    EXPECT_FALSE(model.index(1, 0).data(Qt::DisplayRole).isValid());
    EXPECT_FALSE(model.index(2, 0).isValid());
    EXPECT_FALSE(model.index(0, 1).isValid());
    EXPECT_FALSE(model.data(QModelIndex(), Qt::DisplayRole).isValid());

    // An index kept across a page change reaches no record, not a freed one.
    DataSet<TaviApp> other;
    other.append(makeApp(8, "Rain"));
    model.setList(&other);
    EXPECT_TRUE(model.record(first).isNull());
    EXPECT_EQ(model.record(model.index(0, 0))->appId, 8);

    model.setList(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(AppListModelTest, SetFavorWritesTheRecordAndRepaintsItsItem) {
    DataSet<TaviApp> page;
    page.append(makeApp(1, "a"));
    page.append(makeApp(2, "b"));
    AppListModel model;
    model.setList(&page);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setFavor(model.index(1, 0), true);
    EXPECT_TRUE(page[1]->favor);
    EXPECT_FALSE(page[0]->favor);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>().row(), 1);
    EXPECT_EQ(changed[0][1].value<QModelIndex>().row(), 1);
}

// ---- paging rule ------------------------------------------------------------------

TEST(PagedGridTest, PageSizeCountsWholeCellsAndNeverDropsBelowOne) {
    EXPECT_EQ(pagedgrid::pageSizeFor(QSize(700, 420)), 8);
    EXPECT_EQ(pagedgrid::pageSizeFor(QSize(174, 203)), 1);
    EXPECT_EQ(pagedgrid::pageSizeFor(QSize(348, 405)), 2);
    EXPECT_EQ(pagedgrid::pageSizeFor(QSize(173, 900)), 1);
    EXPECT_EQ(pagedgrid::pageSizeFor(QSize(900, 202)), 1);
    EXPECT_EQ(pagedgrid::pageSizeFor(QSize(0, 0)), 1);
    EXPECT_EQ(pagedgrid::pageSizeFor(QSize(-1, -1)), 1);

    EXPECT_EQ(pagedgrid::pageCount(0, 10), 1);
    EXPECT_EQ(pagedgrid::pageCount(10, 10), 1);
    EXPECT_EQ(pagedgrid::pageCount(11, 10), 2);
    EXPECT_EQ(pagedgrid::pageCount(5, 0), 5);
}

TEST(PagedGridTest, EmptyPageBehindTheEndFallsBackAndFailuresShowNothing) {
    // A catalogue of n items, queried as the views do.
    unsigned items = 21;
    bool fail = false;
    QList<unsigned> offsets;
    auto query = [&](unsigned limit, unsigned offset, unsigned& total) {
        offsets << offset;
        if (fail)
            return -1;
        total = items;
        return int(offset >= items ? 0 : qMin(limit, items - offset));
    };
    int page = 2;
    unsigned total = 0;
    pagedgrid::loadPage(page, total, 10, query);
    EXPECT_EQ(page, 2);
    EXPECT_EQ(total, 21u);

    items = 20; // the only item of page 2 went away
    offsets.clear();
    pagedgrid::loadPage(page, total, 10, query);
    EXPECT_EQ(page, 1);
    EXPECT_EQ(offsets, (QList<unsigned>{20, 10}));

    items = 3; // many went at once: straight to the last page there is
    page = 5;
    pagedgrid::loadPage(page, total, 1, query);
    EXPECT_EQ(page, 2);

    items = 0;
    page = 3;
    pagedgrid::loadPage(page, total, 10, query);
    EXPECT_EQ(page, 0);
    EXPECT_EQ(total, 0u);

    items = 30;
    fail = true;
    page = 1;
    pagedgrid::loadPage(page, total, 10, query);
    EXPECT_EQ(total, 0u);
    EXPECT_EQ(page, 0);

    QToolButton prev, next;
    pagedgrid::updateButtons(&prev, &next, 0, 10, 10);
    EXPECT_FALSE(prev.isEnabled());
    EXPECT_FALSE(next.isEnabled());
    pagedgrid::updateButtons(&prev, &next, 0, 11, 10);
    EXPECT_FALSE(prev.isEnabled());
    EXPECT_TRUE(next.isEnabled());
    pagedgrid::updateButtons(&prev, &next, 1, 11, 10);
    EXPECT_TRUE(prev.isEnabled());
    EXPECT_FALSE(next.isEnabled());
    // A picture button looks the same disabled: the dead arrow is faded.
    const auto opacity = [](QToolButton& b) {
        auto* effect = qobject_cast<QGraphicsOpacityEffect*>(b.graphicsEffect());
        return effect ? effect->opacity() : -1.0;
    };
    EXPECT_DOUBLE_EQ(opacity(prev), 1.0);
    EXPECT_LT(opacity(next), 0.5);
    pagedgrid::updateButtons(&prev, &next, 0, 0, 10);
    EXPECT_FALSE(prev.isEnabled());
    EXPECT_FALSE(next.isEnabled());
}

// ---- delegates: hit squares ---------------------------------------------------------

namespace {

class DelegateTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.append(makeApp(1, "one"));
        page.append(makeApp(2, "two"));
        model.setList(&page);
        view.setViewMode(QListView::IconMode);
        view.setMovement(QListView::Static);
        view.setSpacing(20);
        view.setModel(&model);
        view.resize(900, 420);
    }
    void use(IconListItemDelegate* delegate) {
        view.setItemDelegate(delegate);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    DataSet<TaviApp> page;
    AppListModel model;
    QListView view;
};

} // namespace

TEST_F(DelegateTest, SquaresActOnlyOnALeftReleaseWhereThePressWent) {
    AppListItemDelegate delegate;
    use(&delegate);
    QSignalSpy clicked(&delegate, &IconListItemDelegate::clicked);
    QSignalSpy removed(&delegate, &IconListItemDelegate::removeBtnClicked);
    QSignalSpy courseAdd(&delegate, &AppListItemDelegate::courseAddBtnClicked);
    QSignalSpy favor(&delegate, &AppListItemDelegate::favorBtnClicked);

    click(&view, 1, kOnTrash);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][0].value<QModelIndex>().row(), 1);
    EXPECT_EQ(clicked.count(), 0);

    // Pressing the trash and letting go on the icon: no removal, no opening.
    press(&view, 0, kOnTrash);
    release(&view, 0, kOnIcon);
    // Pressing the icon and letting go on the trash: the same.
    press(&view, 0, kOnIcon);
    release(&view, 0, kOnTrash);
    // The right button on the trash does nothing.
    click(&view, 0, kOnTrash, Qt::RightButton);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(clicked.count(), 0);

    click(&view, 0, kOnCourseAdd);
    click(&view, 1, kOnFavor);
    ASSERT_EQ(courseAdd.count(), 1);
    EXPECT_EQ(courseAdd[0][0].value<QModelIndex>().row(), 0);
    ASSERT_EQ(favor.count(), 1);
    EXPECT_EQ(favor[0][0].value<QModelIndex>().row(), 1);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(clicked.count(), 0);

    click(&view, 1, kOnIcon);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0][0].value<QModelIndex>().row(), 1);
    // A click below the trash on the right edge is a click on the item.
    click(&view, 0, QPoint(141, 40));
    EXPECT_EQ(clicked.count(), 2);
}

TEST_F(DelegateTest, FavouriteAndCourseDelegatesHaveOnlyTheTrash) {
    FavorAppListItemDelegate favorDelegate;
    CourseAppListItemDelegate courseDelegate;
    EXPECT_EQ(favorDelegate.actionSquares(), QVector<QRect>{QRect(134, 0, 16, 16)});
    EXPECT_EQ(courseDelegate.actionSquares(), QVector<QRect>{QRect(134, 0, 16, 16)});
    AppListItemDelegate appDelegate;
    EXPECT_EQ(appDelegate.actionSquares(),
              (QVector<QRect>{QRect(134, 0, 16, 16), QRect(134, 87, 16, 16), QRect(134, 117, 16, 16)}));

    use(&favorDelegate);
    QSignalSpy clicked(&favorDelegate, &IconListItemDelegate::clicked);
    QSignalSpy removed(&favorDelegate, &IconListItemDelegate::removeBtnClicked);
    click(&view, 0, kOnFavor);
    click(&view, 0, kOnCourseAdd);
    EXPECT_EQ(clicked.count(), 2);
    click(&view, 0, kOnTrash);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(clicked.count(), 2);
}

TEST_F(DelegateTest, DoubleClickIsReportedAndOpensNothingTwice) {
    AppListItemDelegate delegate;
    QSignalSpy clicked(&delegate, &IconListItemDelegate::clicked);
    QSignalSpy doubled(&delegate, &IconListItemDelegate::doubleClicked);
    QStyleOptionViewItem option;
    option.rect = QRect(40, 40, 147, 173);
    const QModelIndex index = model.index(0, 0);
    const QPoint pos(100, 100);
    auto send = [&](QEvent::Type type) {
        QMouseEvent event(type, pos, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        return delegate.editorEvent(&event, &model, option, index);
    };
    EXPECT_FALSE(send(QEvent::MouseButtonPress));
    EXPECT_FALSE(send(QEvent::MouseButtonRelease));
    EXPECT_TRUE(send(QEvent::MouseButtonDblClick));
    EXPECT_FALSE(send(QEvent::MouseButtonRelease));
    EXPECT_EQ(doubled.count(), 1);
    EXPECT_EQ(clicked.count(), 1);

    QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    EXPECT_FALSE(delegate.editorEvent(&key, &model, option, index));
    // A press on a square is swallowed; one beside it goes on to the view.
    QMouseEvent onTrash(QEvent::MouseButtonPress, option.rect.topLeft() + kOnTrash, Qt::LeftButton,
                        Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(delegate.editorEvent(&onTrash, &model, option, index));
}

// ---- delegates: painting --------------------------------------------------------------

namespace {

QImage paintItem(IconListItemDelegate& delegate, const QModelIndex& index, const QColor& ground) {
    QImage image(200, 200, QImage::Format_ARGB32);
    image.fill(ground);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = QRect(10, 5, 147, 173);
    delegate.paint(&painter, option, index);
    return image;
}

int pixelsOf(const QImage& image, const QRect& area, const QColor& colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixelColor(x, y) == colour ? 1 : 0;
    return n;
}

} // namespace

TEST(DelegatePaintTest, IconFillsTheSquareAndTheNameSitsUnderIt) {
    DataSet<TaviApp> page;
    page.append(makeApp(1, "Snow Day"));
    QPixmap small(32, 16); // scaled to 128x128 whatever its shape
    small.fill(Qt::red);
    page.first()->iconPixmap = small;
    AppListModel model;
    model.setList(&page);

    AppListItemDelegate appDelegate;
    EXPECT_EQ(appDelegate.sizeHint(QStyleOptionViewItem(), model.index(0, 0)), QSize(147, 173));
    EXPECT_EQ(appDelegate.nameFont().family(), QString::fromUtf8("宋体"));
    EXPECT_EQ(appDelegate.nameFont().pointSize(), 11);
    EXPECT_EQ(appDelegate.nameFont().weight(), int(QFont::Normal));
    const QImage image = paintItem(appDelegate, model.index(0, 0), Qt::black);
    // The icon covers (10,5)-(137,132) exactly.
    EXPECT_EQ(image.pixelColor(10, 5), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(137, 132), QColor(Qt::red));
    EXPECT_NE(image.pixelColor(138, 133), QColor(Qt::red));
    EXPECT_NE(image.pixelColor(10, 134), QColor(Qt::red));
    // The name is written in white below the icon, and not between icon and name line.
    EXPECT_GT(pixelsOf(image, QRect(10, 143, 147, 40), Qt::white), 10);
    EXPECT_EQ(pixelsOf(image, QRect(10, 133, 124, 10), Qt::white), 0);

    FavorAppListItemDelegate favorDelegate;
    EXPECT_EQ(favorDelegate.nameFont().family(), QString::fromUtf8("微软雅黑"));
    EXPECT_EQ(favorDelegate.nameColor(), QColor("#011B5E"));
    const QImage favorImage = paintItem(favorDelegate, model.index(0, 0), Qt::white);
    EXPECT_GT(pixelsOf(favorImage, QRect(10, 143, 147, 40), QColor("#011B5E")), 10);

    // An invalid index paints nothing at all.
    const QImage blank = paintItem(appDelegate, QModelIndex(), Qt::black);
    EXPECT_EQ(pixelsOf(blank, blank.rect(), Qt::black), blank.width() * blank.height());
}

TEST(DelegatePaintTest, ALongNameEndsItsSecondLineWithAnEllipsis) {
    const QFont font(QString::fromUtf8("微软雅黑"), 11);
    const int width = 146;
    const QFontMetrics metrics(font);
    const QString shortName = "Snow Day";
    EXPECT_EQ(IconListItemDelegate::nameLines(shortName, font, width), QStringList{shortName});

    const QString longName =
        "The very long story of the little bear who went out to find the moon and came back";
    const QStringList lines = IconListItemDelegate::nameLines(longName, font, width);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(longName.startsWith(lines[0]));
    EXPECT_TRUE(lines[1].endsWith(QChar(0x2026))) << lines[1].toStdString();
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), width) << line.toStdString();

    // Chinese has no blanks to break at; a name without any still wraps and ends in "…".
    const QString chinese = QString::fromUtf8("小熊和月亮的故事从前有一只小熊它每天晚上都看着天上的月亮");
    const QStringList zh = IconListItemDelegate::nameLines(chinese, font, width);
    ASSERT_EQ(zh.size(), 2);
    EXPECT_TRUE(zh[1].endsWith(QChar(0x2026)));
    EXPECT_TRUE(chinese.startsWith(zh[0]));
    // Exactly two lines' worth keeps every character.
    const QString twoLines = zh[0] + chinese.mid(zh[0].size(), 3);
    EXPECT_EQ(IconListItemDelegate::nameLines(twoLines, font, width).join(""), twoLines);
}

TEST(DelegatePaintTest, HeartFollowsTheFavourRoleAndTheActionPicturesArePainted) {
    DataSet<TaviApp> page;
    page.append(makeApp(1, "a", false));
    page.append(makeApp(2, "b", true));
    AppListModel model;
    model.setList(&page);
    AppListItemDelegate delegate;
    const QImage off = paintItem(delegate, model.index(0, 0), Qt::black);
    const QImage on = paintItem(delegate, model.index(1, 0), Qt::black);
    const QRect heart = QRect(134, 117, 16, 16).translated(10, 5);
    const QRect trash = QRect(134, 0, 16, 16).translated(10, 5);
    const QRect courseAdd = QRect(134, 87, 16, 16).translated(10, 5);
    EXPECT_NE(off.copy(heart), on.copy(heart)) << "favor_on and favor_off look the same or are missing";
    EXPECT_LT(pixelsOf(off, trash, Qt::black), 16 * 16) << "no trash picture";
    EXPECT_LT(pixelsOf(off, courseAdd, Qt::black), 16 * 16) << "no course-add picture";
    EXPECT_LT(pixelsOf(on, heart, Qt::black), 16 * 16) << "no heart picture";
}

// ---- AppListDialog on the catalogue ------------------------------------------------------

namespace {

class AppListDialogTest : public CatalogueFixture {
protected:
    void addApps(int n, const QString& prefix, const QString& packId = "pack-a") {
        for (int i = 0; i < n; ++i)
            addApp(QString("%1 %2").arg(prefix).arg(i, 2, 10, QChar('0')), packId);
    }
};

} // namespace

TEST_F(AppListDialogTest, TenMatchesAreOnePageElevenEnableNextOnTheFirstPageOnly) {
    addApps(10, "cat");
    addApps(11, "dog");
    AppListDialog dialog(Core::instance()->context());
    EXPECT_EQ(dialog.objectName(), "AppListDialog");
    EXPECT_EQ(dialog.size(), QSize(960, 500));
    EXPECT_EQ(dialog.windowFlags() & ~Qt::WindowType_Mask, Qt::FramelessWindowHint);
    QToolButton* prev = button(&dialog, "prevBtn");
    QToolButton* next = button(&dialog, "nextBtn");
    ASSERT_TRUE(prev && next);

    dialog.setKeyword("cat");
    EXPECT_EQ(dialog.total(), 10u);
    EXPECT_EQ(listView(&dialog)->model()->rowCount(), 10);
    EXPECT_FALSE(prev->isEnabled());
    EXPECT_FALSE(next->isEnabled());

    dialog.setKeyword("dog");
    EXPECT_EQ(dialog.page(), 0); // a new keyword starts at the first page
    EXPECT_EQ(dialog.total(), 11u);
    EXPECT_FALSE(prev->isEnabled());
    EXPECT_TRUE(next->isEnabled());
    next->click();
    EXPECT_EQ(dialog.page(), 1);
    EXPECT_EQ(names(listView(&dialog)), QStringList{"dog 10"});
    EXPECT_TRUE(prev->isEnabled());
    EXPECT_FALSE(next->isEnabled());
    prev->click();
    EXPECT_EQ(dialog.page(), 0);
    EXPECT_EQ(names(listView(&dialog)).first(), "dog 00");
    EXPECT_TRUE(next->isEnabled());
}

TEST_F(AppListDialogTest, KeywordOrPackChoosesTheAppsInNameOrder) {
    addApp("Zebra song", "pack-a");
    addApp("Apple song", "pack-b");
    addApp("Moon story", "pack-a");
    addApp("Banana song", "pack-a");
    AppListDialog search(Core::instance()->context());
    search.setKeyword("song");
    EXPECT_EQ(names(listView(&search)), (QStringList{"Apple song", "Banana song", "Zebra song"}));

    AppListDialog pack(Core::instance()->context());
    pack.setPack("pack-a");
    EXPECT_EQ(names(listView(&pack)), (QStringList{"Banana song", "Moon story", "Zebra song"}));

    AppListDialog nothing(Core::instance()->context());
    nothing.setKeyword("no such thing");
    EXPECT_EQ(listView(&nothing)->model()->rowCount(), 0);
    EXPECT_FALSE(button(&nothing, "nextBtn")->isEnabled());

    // A quote in the keyword is just a character.
    AppListDialog quoted(Core::instance()->context());
    quoted.setKeyword("it's");
    EXPECT_EQ(quoted.total(), 0u);
}

TEST_F(AppListDialogTest, RemovingTheOnlyAppOfTheLastPageShowsThePageBefore) {
    addApps(21, "owl");
    AppListDialog dialog(Core::instance()->context());
    dialog.setKeyword("owl");
    button(&dialog, "nextBtn")->click();
    button(&dialog, "nextBtn")->click();
    ASSERT_EQ(dialog.page(), 2);
    ASSERT_EQ(names(listView(&dialog)), QStringList{"owl 20"});

    ASSERT_TRUE(db->removeApp(appIdOf("name = 'owl 20'"), true));
    EXPECT_EQ(dialog.page(), 1);
    EXPECT_EQ(listView(&dialog)->model()->rowCount(), 10);
    EXPECT_EQ(dialog.total(), 20u);
    EXPECT_TRUE(button(&dialog, "prevBtn")->isEnabled());
    EXPECT_FALSE(button(&dialog, "nextBtn")->isEnabled());

    // A removal elsewhere keeps the page.
    ASSERT_TRUE(db->removeApp(appIdOf("name = 'owl 00'"), true));
    EXPECT_EQ(dialog.page(), 1);
    EXPECT_EQ(names(listView(&dialog)).first(), "owl 11");
}

TEST_F(AppListDialogTest, TrashAsksFirstAndRemovesTheAppThroughTheJob) {
    addApp("Frog");
    addApp("Goat");
    AppListDialog dialog(Core::instance()->context());
    dialog.setKeyword("");
    dialog.show();
    QListView* view = listView(&dialog);

    auto no = answerNextBox(QMessageBox::No);
    click(view, 0, kOnTrash);
    ASSERT_TRUE(no->seen);
    EXPECT_EQ(no->title, "Confirm Removal");
    EXPECT_EQ(no->text, "Do you really want to remove Frog?");
    EXPECT_EQ(names(view), (QStringList{"Frog", "Goat"}));

    auto yes = answerNextBox(QMessageBox::Yes);
    click(view, 0, kOnTrash);
    ASSERT_TRUE(yes->seen);
    ASSERT_TRUE(waitFor([&] { return names(view) == QStringList{"Goat"}; }));
    unsigned count = 0;
    ASSERT_TRUE(db->getAppCount(count));
    EXPECT_EQ(count, 1u);
}

TEST_F(AppListDialogTest, HeartChangesOnlyWhenTheCatalogueReportsAndTheFavouritesFollow) {
    const int frog = addApp("Frog");
    addApp("Goat");
    std::unique_ptr<QWidget> favourites(
        ContentPage::makeForm(ContentPage::Favor, Core::instance()->context()));
    FavorListWidget* favorList = favourites->findChild<FavorListWidget*>();
    ASSERT_TRUE(favorList);
    QListView* favorView = listView(favorList);
    EXPECT_EQ(favorView->model()->rowCount(), 0);

    AppListDialog dialog(Core::instance()->context());
    dialog.setKeyword("");
    dialog.show();
    QListView* view = listView(&dialog);
    const QModelIndex frogIndex = view->model()->index(0, 0);
    ASSERT_EQ(frogIndex.data(AppListModel::AppIdRole).toInt(), frog);

    // The catalogue takes the change, but while its signal stays away the heart stays as it was.
    db->blockSignals(true);
    click(view, 0, kOnFavor);
    db->blockSignals(false);
    EXPECT_TRUE(isFavor(frog));
    EXPECT_FALSE(view->model()->index(0, 0).data(AppListModel::AppFavorRole).toBool());
    EXPECT_EQ(favorView->model()->rowCount(), 0);

    emit db->favorChanged(frog, true);
    EXPECT_TRUE(view->model()->index(0, 0).data(AppListModel::AppFavorRole).toBool());
    EXPECT_EQ(names(favorView), QStringList{"Frog"});

    // With the signal flowing, a second click takes it back everywhere at once.
    click(view, 0, kOnFavor);
    EXPECT_FALSE(isFavor(frog));
    EXPECT_FALSE(view->model()->index(0, 0).data(AppListModel::AppFavorRole).toBool());
    EXPECT_EQ(favorView->model()->rowCount(), 0);

    // A change for an app not on the page changes nothing.
    QSignalSpy changed(view->model(), &QAbstractItemModel::dataChanged);
    emit db->favorChanged(9999, true);
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(AppListDialogTest, IconsComeFromTheAppIconFolderOrTheFileType) {
    ASSERT_TRUE(writePicture(paths->appIconDir + "/frog.png", Qt::green));
    addApp("Frog", "pack-a", "frog.png");
    addApp("Ghost", "pack-a", "missing.png");
    ASSERT_TRUE(testsupport::writeFile(paths->externalDir + "/song.mp3", "x"));
    ASSERT_TRUE(testsupport::writeFile(paths->customPackDir + "/mine/notes.txt", "x"));
    addUserFile("Song", "song.mp3", true);
    addUserFile("Notes", "mine/notes.txt", false);

    AppListDialog dialog(Core::instance()->context());
    dialog.setKeyword("");
    QAbstractItemModel* model = listView(&dialog)->model();
    ASSERT_EQ(model->rowCount(), 4);
    QMap<QString, QPixmap> icons;
    for (int row = 0; row < 4; ++row)
        icons[model->index(row, 0).data(AppListModel::AppNameRole).toString()] =
            model->index(row, 0).data(Qt::DecorationRole).value<QPixmap>();
    EXPECT_EQ(icons["Frog"].toImage().pixelColor(5, 5), QColor(Qt::green));
    EXPECT_TRUE(icons["Ghost"].isNull());
    EXPECT_FALSE(icons["Song"].isNull());
    EXPECT_FALSE(icons["Notes"].isNull());

    const QString log = root.readLog();
    EXPECT_TRUE(log.contains("fileFullPath:" + paths->externalDir + "/song.mp3")) << qPrintable(log);
    EXPECT_TRUE(log.contains("fileFullPath:" + paths->customPackDir + "/mine/notes.txt"));
    EXPECT_TRUE(log.contains("iconFullPath:" + paths->appIconDir + "/frog.png"));
}

TEST_F(AppListDialogTest, FailedQueryShowsAnEmptyPageWithBothButtonsOff) {
    addApps(15, "bee");
    AppListDialog dialog(Core::instance()->context());
    dialog.setKeyword("bee");
    button(&dialog, "nextBtn")->click();
    ASSERT_TRUE(button(&dialog, "prevBtn")->isEnabled());
    db->close();
    dialog.load();
    EXPECT_EQ(listView(&dialog)->model()->rowCount(), 0);
    EXPECT_EQ(dialog.total(), 0u);
    EXPECT_FALSE(button(&dialog, "prevBtn")->isEnabled());
    EXPECT_FALSE(button(&dialog, "nextBtn")->isEnabled());
}

TEST_F(AppListDialogTest, CloseButtonAcceptsAndCourseAddOpensTheDayPicker) {
    addApp("Frog");
    AppListDialog dialog(Core::instance()->context());
    dialog.setKeyword("");
    dialog.show();
    bool picker = false;
    onNextModal<QDialog>([&](QDialog* modal) {
        picker = modal->objectName() == "SelectCourseDayDialog";
        modal->accept();
    });
    click(listView(&dialog), 0, kOnCourseAdd);
    EXPECT_TRUE(waitFor([&] { return picker; }, 5000));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    button(&dialog, "closeBtn")->click();
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(AppListDialogTest, EmptyResultsSayWhyInsteadOfShowingAnEmptyPanel) {
    addApp("Frog", "pond");
    AppListDialog search(Core::instance()->context());
    search.setKeyword("elephant");
    auto* label = search.findChild<QLabel*>("emptyLabel");
    ASSERT_TRUE(label);
    EXPECT_FALSE(label->isHidden());
    EXPECT_TRUE(label->text().contains("elephant"));
    search.setKeyword("Frog");
    EXPECT_TRUE(label->isHidden());

    AppListDialog emptyPack(Core::instance()->context());
    emptyPack.setPack("no-such-pack");
    EXPECT_FALSE(emptyPack.findChild<QLabel*>("emptyLabel")->isHidden());
    EXPECT_FALSE(emptyPack.findChild<QLabel*>("emptyLabel")->text().isEmpty());
}

TEST_F(AppListDialogTest, HeadingNamesThePackOrTheSearchAndTheCount) {
    addApps(12, "cat", "pets");
    AppListDialog pack(Core::instance()->context());
    pack.setPack("pets", "Pets");
    EXPECT_EQ(pack.heading(), "Pets: 12 resources");
    AppListDialog search(Core::instance()->context());
    search.setKeyword("cat 1");
    EXPECT_EQ(search.heading(), "Search \"cat 1\": 2 found");
    EXPECT_EQ(search.findChild<QLabel*>("heading")->text(), search.heading());
}

// A finger gets a square of at least 44x44 around every action picture of a
// full page; no two of them overlap, none reaches another item, and the spot
// in each square a finger would hit finds that square.
TEST_F(AppListDialogTest, FingerSquaresAreLargeAroundEachPictureAndNeverOverlap) {
    addApps(10, "cat");
    AppListDialog dialog(Core::instance()->context());
    dialog.setKeyword("cat");
    dialog.show();
    QListView* view = listView(&dialog);
    auto* delegate = qobject_cast<AppListItemDelegate*>(view->itemDelegate());
    ASSERT_TRUE(delegate);
    struct Placed {
        int row;
        int square;
        QRect rect;
    };
    QVector<Placed> squares;
    for (int row = 0; row < 10; ++row) {
        const QModelIndex index = view->model()->index(row, 0);
        const QPoint origin = view->visualRect(index).topLeft();
        const QVector<QRect> fingers = delegate->fingerSquares(index);
        ASSERT_EQ(fingers.size(), delegate->actionSquares().size());
        for (int i = 0; i < fingers.size(); ++i) {
            EXPECT_GE(fingers[i].width(), GridItemDelegate::kFingerSide);
            EXPECT_GE(fingers[i].height(), GridItemDelegate::kFingerSide);
            EXPECT_TRUE(fingers[i].contains(delegate->actionSquares()[i])) << "square " << i;
            squares.append({row, i, fingers[i].translated(origin)});
        }
    }
    for (const Placed& a : squares) {
        for (const Placed& b : squares) {
            if (a.row != b.row || a.square != b.square) {
                EXPECT_FALSE(a.rect.intersects(b.rect))
                    << a.row << "/" << a.square << " " << b.row << "/" << b.square;
            }
        }
        for (int row = 0; row < 10; ++row) {
            if (row != a.row) {
                EXPECT_FALSE(a.rect.intersects(view->visualRect(view->model()->index(row, 0))))
                    << "square " << a.square << " of item " << a.row << " reaches item " << row;
            }
        }
        const touchgrid::Target hit = touchgrid::targetAt(view, delegate, a.rect.center());
        EXPECT_EQ(hit.index.row(), a.row);
        EXPECT_EQ(hit.target, a.square);
    }
    // The body is what is left of the item.
    const QPoint icon = view->visualRect(view->model()->index(3, 0)).topLeft() + kOnIcon;
    EXPECT_EQ(touchgrid::targetAt(view, delegate, icon).target, GridItemDelegate::kBody);
}

// ---- favourites ------------------------------------------------------------------------

namespace {

class FavorListTest : public CatalogueFixture {
protected:
    // Marks apps as favourites, the later in the list the more recently.
    void favour(const QList<int>& ids) {
        for (int i = 0; i < ids.size(); ++i) {
            ASSERT_TRUE(db->setFavorApp(ids[i], true));
            QSqlQuery q(QSqlDatabase::database("default"));
            ASSERT_TRUE(q.exec(QString("update AppTbl set favorDate = '2016-03-%1 08:00:00' where appId = %2")
                                   .arg(10 + i)
                                   .arg(ids[i])));
        }
    }
};

} // namespace

TEST_F(FavorListTest, ListAreaOf700By420HoldsEightAndPagesTheRest) {
    QList<int> ids;
    for (int i = 0; i < 9; ++i)
        ids << addApp(QString("fav %1").arg(i));
    favour(ids);
    FavorListWidget widget(Core::instance()->context());
    EXPECT_EQ(widget.objectName(), "FavorListWidget");
    EXPECT_EQ(widget.pageSize(), 1);
    QListView* view = listView(&widget);
    giveListArea(&widget, view, QSize(700, 420));
    ASSERT_EQ(view->size(), QSize(700, 420));
    EXPECT_EQ(widget.pageSize(), 8);
    EXPECT_EQ(view->model()->rowCount(), 8);
    // Most recently marked first.
    EXPECT_EQ(names(view).first(), "fav 8");
    EXPECT_FALSE(button(&widget, "prevBtn")->isEnabled());
    ASSERT_TRUE(button(&widget, "nextBtn")->isEnabled());
    button(&widget, "nextBtn")->click();
    EXPECT_EQ(names(view), QStringList{"fav 0"});
    EXPECT_FALSE(button(&widget, "nextBtn")->isEnabled());

    // A resize starts again at the first page, with the new page size.
    giveListArea(&widget, view, QSize(360, 230));
    EXPECT_EQ(widget.pageSize(), 2);
    EXPECT_EQ(widget.page(), 0);
    EXPECT_EQ(names(view), (QStringList{"fav 8", "fav 7"}));
}

TEST_F(FavorListTest, ListAreaSmallerThanOneItemStillPagesOneByOne) {
    favour({addApp("a"), addApp("b")});
    FavorListWidget widget(Core::instance()->context());
    QListView* view = listView(&widget);
    giveListArea(&widget, view, QSize(120, 150));
    EXPECT_EQ(widget.pageSize(), 1);
    EXPECT_EQ(names(view), QStringList{"b"});
    ASSERT_TRUE(button(&widget, "nextBtn")->isEnabled());
    button(&widget, "nextBtn")->click();
    EXPECT_EQ(names(view), QStringList{"a"});
    EXPECT_FALSE(button(&widget, "nextBtn")->isEnabled());
}

TEST_F(FavorListTest, FollowsChangesMadeOnOtherThreads) {
    const int a = addApp("a", "pack-x");
    const int b = addApp("b", "pack-y");
    std::unique_ptr<QWidget> form(ContentPage::makeForm(ContentPage::Favor, Core::instance()->context()));
    EXPECT_EQ(form->objectName(), "FavorForm");
    form->resize(1200, 800);
    form->show();
    QApplication::processEvents();
    QListView* view = listView(form.get());
    EXPECT_EQ(view->model()->rowCount(), 0);

    // The jobs change the catalogue from their own threads; the tab follows.
    auto onThread = [](const std::function<void()>& work) {
        std::unique_ptr<QThread> thread(QThread::create(work));
        thread->start();
        thread->wait();
    };
    onThread([&] { db->setFavorApp(a, true); });
    onThread([&] { db->setFavorApp(b, true); });
    ASSERT_TRUE(waitFor([&] { return view->model()->rowCount() == 2; }));
    onThread([&] { db->removeApp(a, true); });
    ASSERT_TRUE(waitFor([&] { return names(view) == QStringList{"b"}; }));
    // A pack removal reloads too: its apps were removed silently before.
    onThread([&] {
        db->removeApp(b, false);
        db->removePack("pack-y");
    });
    ASSERT_TRUE(waitFor([&] { return view->model()->rowCount() == 0; }));
}

TEST_F(FavorListTest, TrashAsksBeforeTakingTheFavouriteAway) {
    const int a = addApp("Kite");
    favour({a});
    FavorListWidget widget(Core::instance()->context());
    QListView* view = listView(&widget);
    giveListArea(&widget, view, QSize(700, 420));

    auto no = answerNextBox(QMessageBox::No);
    click(view, 0, kOnTrash);
    ASSERT_TRUE(no->seen);
    EXPECT_EQ(no->title, "Confirm Removal");
    EXPECT_EQ(no->text, "Do you really want to unfavor Kite?");
    EXPECT_TRUE(isFavor(a));
    EXPECT_EQ(view->model()->rowCount(), 1);

    auto yes = answerNextBox(QMessageBox::Yes);
    click(view, 0, kOnTrash);
    ASSERT_TRUE(yes->seen);
    EXPECT_FALSE(isFavor(a));
    EXPECT_EQ(view->model()->rowCount(), 0);
    // The app itself stays in the catalogue.
    EXPECT_EQ(appIdOf("name = 'Kite'"), a);
}
