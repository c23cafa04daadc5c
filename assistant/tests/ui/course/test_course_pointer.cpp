// The course tab on a real X server with a real pointer: today's badge and
// list on a Sunday, the two weeks and their weekday buttons (each week
// remembers its day), planning an app from a pack's list with the "+"
// picture (ticking plans it and makes it a favourite, unticking takes it off
// that day only), paging a busy day, and today moving on at midnight.

#include "core/coursecalendar.h"
#include "online/calendar.h"
#include "support/listfixture.h"
#include "support/pointer.h"
#include "ui/course/allcourselistwidget.h"
#include "ui/course/allcoursewidget.h"
#include "ui/course/courseform.h"
#include "ui/course/daybutton.h"
#include "ui/course/daycourselistwidget.h"
#include "ui/course/selectcoursedaydialog.h"
#include "ui/course/todaycoursewidget.h"
#include "ui/favor/favorlistwidget.h"
#include "ui/frame/contentpage.h"
#include "ui/frame/mainframe.h"
#include "ui/lists/applistdialog.h"
#include "ui/lists/pagedgrid.h"
#include "ui/packs/packlistwidget.h"

#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QWindow>

using namespace listtest;
using pointer::clickAt;
using pointer::settle;
using testsupport::waitFor;
using testsupport::Xvfb;

namespace {

// Sunday 2026-12-13, 10:00 local time; tests move it on.
QDateTime g_now = QDateTime(QDate(2026, 12, 13), QTime(10, 0));

class CourseByPointer : public CatalogueFixture {
protected:
    void SetUp() override {
        g_now = QDateTime(QDate(2026, 12, 13), QTime(10, 0));
        calendar = std::make_unique<Calendar>(QHostAddress(), 0, [] { return g_now; });
        Core::instance()->setCalendar(calendar.get());
        CatalogueFixture::SetUp();
        // The catalogue follows the calendar before the views exist, as at start-up.
        followCalendar(*db, *calendar);
        ensureFortnightTables(*db);
        ASSERT_TRUE(x.isRunning()) << x.error().toStdString();
    }
    void TearDown() override {
        frame.reset();
        Core::instance()->setCalendar(nullptr);
        CatalogueFixture::TearDown();
        calendar.reset();
    }
    void show() {
        frame = std::make_unique<MainFrame>(Core::instance()->context());
        frame->showOnWholeScreen();
        ASSERT_TRUE(waitFor([&] { return frame->windowHandle() && frame->windowHandle()->isExposed(); }));
        settle();
        clickAt(x, named<ContentPage>(frame, "ContentPage")->findChild<QWidget*>("courseBtn"));
        form = named<ContentPage>(frame, "ContentPage")->findChild<CourseForm*>();
        ASSERT_TRUE(waitFor([&] { return form && form->isVisible(); }));
        settle();
    }
    QStringList namesOf(DayCourseListWidget* list) { return shownNames(listView(list), Qt::DisplayRole); }

    std::unique_ptr<Calendar> calendar;
    Xvfb x{Xvfb::Current{}};
    std::unique_ptr<MainFrame> frame;
    CourseForm* form = nullptr;
};

TEST_F(CourseByPointer, TodayOnASundayAndTheTwoWeeksWithTheirRememberedDays) {
    const int sunday = addApp("Sunday song");
    const int wednesday = addApp("Wednesday story");
    ASSERT_TRUE(db->addCourseApp(7, sunday));
    ASSERT_TRUE(db->addCourseApp(10, wednesday));
    ASSERT_NO_FATAL_FAILURE(show());

    TodayCourseWidget* today = named<TodayCourseWidget>(form, "TodayCourseWidget");
    EXPECT_EQ(named<DayCourseListWidget>(today, "DayCourseListWidget")->day(), 7);
    EXPECT_TRUE(named<QToolButton>(today, "badge")->styleSheet().contains(":/images/course_day7"));
    EXPECT_EQ(namesOf(named<DayCourseListWidget>(today, "DayCourseListWidget")), QStringList{"Sunday song"});

    clickAt(x, named<QToolButton>(form, "switchBtn"));
    ASSERT_TRUE(waitFor([&] {
        return named<QStackedWidget>(form, "courseStack")->currentWidget() ==
               named<AllCourseWidget>(form, "AllCourseWidget");
    }));
    EXPECT_EQ(named<QToolButton>(form, "switchBtn")->text(), "switch to today");
    AllCourseListWidget* all =
        named<AllCourseListWidget>(named<AllCourseWidget>(form, "AllCourseWidget"), "AllCourseListWidget");
    settle();
    {
        // Checked, the switch still shows the sky behind its text, not a dark panel.
        QToolButton* sw = named<QToolButton>(form, "switchBtn");
        const QRect onScreen(sw->mapToGlobal(QPoint(0, 0)), sw->size());
        const QImage shot = x.screenshot();
        EXPECT_LT(testsupport::colourShare(shot, onScreen, Qt::black, 60), 0.05);
    }
    EXPECT_EQ(named<DayCourseListWidget>(all, "DayCourseListWidget")->day(), 1)
        << "this week starts on Monday";

    clickAt(x, named<AllCourseWidget>(form, "AllCourseWidget")->findChild<QToolButton*>("nextWeekBtn"));
    ASSERT_TRUE(waitFor([&] { return named<DayCourseListWidget>(all, "DayCourseListWidget")->day() == 8; }));
    clickAt(x, named<QToolButton>(all, QString("dayBtn%1").arg(3)));
    ASSERT_TRUE(waitFor([&] { return named<DayCourseListWidget>(all, "DayCourseListWidget")->day() == 10; }))
        << "Wednesday of next week is day 10";
    EXPECT_EQ(namesOf(named<DayCourseListWidget>(all, "DayCourseListWidget")),
              QStringList{"Wednesday story"});

    clickAt(x, named<AllCourseWidget>(form, "AllCourseWidget")->findChild<QToolButton*>("thisWeekBtn"));
    ASSERT_TRUE(waitFor([&] { return named<DayCourseListWidget>(all, "DayCourseListWidget")->day() == 1; }))
        << "this week was left on Monday";
    clickAt(x, named<QToolButton>(all, QString("dayBtn%1").arg(7)));
    ASSERT_TRUE(waitFor([&] { return named<DayCourseListWidget>(all, "DayCourseListWidget")->day() == 7; }));
    clickAt(x, named<AllCourseWidget>(form, "AllCourseWidget")->findChild<QToolButton*>("nextWeekBtn"));
    ASSERT_TRUE(waitFor([&] { return named<DayCourseListWidget>(all, "DayCourseListWidget")->day() == 10; }))
        << "next week comes back on Wednesday";
    EXPECT_TRUE(named<QToolButton>(all, QString("dayBtn%1").arg(3))->isChecked());
    clickAt(x, named<AllCourseWidget>(form, "AllCourseWidget")->findChild<QToolButton*>("thisWeekBtn"));
    ASSERT_TRUE(waitFor([&] { return named<DayCourseListWidget>(all, "DayCourseListWidget")->day() == 7; }));

    clickAt(x, named<QToolButton>(form, "switchBtn"));
    ASSERT_TRUE(waitFor([&] {
        return named<QStackedWidget>(form, "courseStack")->currentWidget() ==
               named<TodayCourseWidget>(form, "TodayCourseWidget");
    }));
    EXPECT_EQ(named<QToolButton>(form, "switchBtn")->text(), "switch to all");
}

TEST_F(CourseByPointer, ThePlusOfAnAppPlansItOnTheTickedDaysAndMakesItAFavourite) {
    const int story = addApp("Bear story", "tales");
    addPack("tales", "Tales");
    ASSERT_FALSE(isFavor(story));
    ASSERT_NO_FATAL_FAILURE(show());

    bool handled = false;
    onNextModal<AppListDialog>([&](AppListDialog* dialog) {
        settle();
        QListView* grid = listView(dialog);
        bool picked = false;
        onNextModal<SelectCourseDayDialog>([&](SelectCourseDayDialog* days) {
            settle();
            for (int d = 1; d <= 14; ++d)
                EXPECT_FALSE(named<DayButton>(days, QString("dayBtn%1").arg(d))->isChecked()) << "day " << d;
            clickAt(x, named<DayButton>(days, QString("dayBtn%1").arg(9))); // next Tuesday
            EXPECT_TRUE(
                waitFor([&] { return named<DayButton>(days, QString("dayBtn%1").arg(9))->isChecked(); }));
            clickAt(x, named<DayButton>(days, QString("dayBtn%1").arg(3)));
            EXPECT_TRUE(
                waitFor([&] { return named<DayButton>(days, QString("dayBtn%1").arg(3))->isChecked(); }));
            settle(500);
            clickAt(x, named<DayButton>(days, QString("dayBtn%1").arg(3))); // and off again
            EXPECT_TRUE(
                waitFor([&] { return !named<DayButton>(days, QString("dayBtn%1").arg(3))->isChecked(); }));
            clickAt(x, days->findChild<QToolButton*>("closeBtn"));
            picked = true;
        });
        const QRect item = grid->visualRect(grid->model()->index(0, 0));
        clickAt(x, grid->viewport(), item.topLeft() + kOnCourseAdd);
        EXPECT_TRUE(waitFor([&] { return picked; }, 20000));
        dialog->reject();
        handled = true;
    });
    clickAt(x, named<ContentPage>(frame, "ContentPage")->findChild<QWidget*>("packBtn"));
    auto* packs = named<ContentPage>(frame, "ContentPage")->findChild<PackListWidget*>();
    ASSERT_TRUE(waitFor([&] { return packs->isVisible(); }));
    settle();
    QListView* packGrid = listView(packs);
    clickAt(x, packGrid->viewport(),
            packGrid->visualRect(packGrid->model()->index(0, 0)).topLeft() + kOnIcon);
    ASSERT_TRUE(waitFor([&] { return handled && !QApplication::activeModalWidget(); }, 30000));

    QList<int> days;
    ASSERT_TRUE(db->getAppCourseDays(story, days));
    EXPECT_EQ(days, QList<int>{9});
    EXPECT_TRUE(isFavor(story)) << "planning an app keeps it among the favourites";
    clickAt(x, named<ContentPage>(frame, "ContentPage")->findChild<QWidget*>("favorBtn"));
    auto* favourites = named<ContentPage>(frame, "ContentPage")->findChild<FavorListWidget*>();
    ASSERT_TRUE(waitFor([&] { return favourites->isVisible(); }));
    EXPECT_EQ(shownNames(listView(favourites), Qt::DisplayRole), QStringList{"Bear story"});
}

TEST_F(CourseByPointer, ABusyDayPagesAndRemovingAnAppReloadsOnlyThatDaysLists) {
    for (int i = 0; i < 60; ++i)
        ASSERT_TRUE(db->addCourseApp(7, addApp(QString("App %1").arg(i, 2, 10, QChar('0')))));
    const int other = addApp("Other day");
    ASSERT_TRUE(db->addCourseApp(3, other));
    ASSERT_NO_FATAL_FAILURE(show());
    DayCourseListWidget* today = named<DayCourseListWidget>(
        named<TodayCourseWidget>(form, "TodayCourseWidget"), "DayCourseListWidget");
    const int pages = pagedgrid::pageCount(today->total(), today->pageSize());
    pointer::pageThrough(
        x, today, [&] { return today->page(); }, pages, "a busy day");

    // Both weeks' list shows day 3; today's shows day 7. Removing from day 3 reloads only the former.
    clickAt(x, named<QToolButton>(form, "switchBtn"));
    AllCourseListWidget* all =
        named<AllCourseListWidget>(named<AllCourseWidget>(form, "AllCourseWidget"), "AllCourseListWidget");
    ASSERT_TRUE(waitFor([&] { return all->isVisible(); }));
    clickAt(x, named<QToolButton>(all, QString("dayBtn%1").arg(3)));
    ASSERT_TRUE(waitFor([&] { return named<DayCourseListWidget>(all, "DayCourseListWidget")->day() == 3; }));
    QSignalSpy todayReloads(listView(today)->model(), &QAbstractItemModel::modelReset);
    QSignalSpy day3Reloads(listView(named<DayCourseListWidget>(all, "DayCourseListWidget"))->model(),
                           &QAbstractItemModel::modelReset);
    auto yes = answerNextBox(QMessageBox::Yes);
    QListView* grid = listView(named<DayCourseListWidget>(all, "DayCourseListWidget"));
    clickAt(x, grid->viewport(), grid->visualRect(grid->model()->index(0, 0)).topLeft() + kOnTrash);
    ASSERT_TRUE(waitFor([&] { return yes->seen && grid->model()->rowCount() == 0; }, 10000));
    EXPECT_TRUE(yes->text.contains("Other day"));
    EXPECT_GT(day3Reloads.count(), 0);
    EXPECT_EQ(todayReloads.count(), 0) << "day 7's list was reloaded for a change of day 3";
    QList<int> left;
    ASSERT_TRUE(db->getAppCourseDays(other, left));
    EXPECT_TRUE(left.isEmpty());
}

TEST_F(CourseByPointer, AtMidnightTodayMovesOnAndItsTablesExist) {
    const int monday = addApp("Monday song");
    ASSERT_NO_FATAL_FAILURE(show());
    ASSERT_EQ(
        named<DayCourseListWidget>(named<TodayCourseWidget>(form, "TodayCourseWidget"), "DayCourseListWidget")
            ->day(),
        7);
    // Sunday night to Monday: a new fortnight, whose Monday is day 1.
    g_now = QDateTime(QDate(2026, 12, 14), QTime(0, 0, 1));
    calendar->checkDate();
    ASSERT_TRUE(waitFor([&] {
        return named<DayCourseListWidget>(named<TodayCourseWidget>(form, "TodayCourseWidget"),
                                          "DayCourseListWidget")
                   ->day() == 1;
    }));
    EXPECT_TRUE(named<QToolButton>(named<TodayCourseWidget>(form, "TodayCourseWidget"), "badge")
                    ->styleSheet()
                    .contains(":/images/course_day1"));
    ASSERT_TRUE(db->addCourseApp(1, monday)) << "the new fortnight's tables were not made";
    ASSERT_TRUE(waitFor([&] {
        return namesOf(named<DayCourseListWidget>(named<TodayCourseWidget>(form, "TodayCourseWidget"),
                                                  "DayCourseListWidget")) == QStringList{"Monday song"};
    }));
}

TEST_F(CourseByPointer, ADayWhoseChangeFailedShowsWhatTheCatalogueHolds) {
    const int story = addApp("Story");
    // Day 9's table is gone (a damaged catalogue): planning there fails.
    QSqlQuery drop(QSqlDatabase::database("default"));
    ASSERT_TRUE(drop.exec("drop table courseTbl_" + calendar->dateOfDay(9).toString("yyyyMMdd")));
    _TaviApp app;
    app.appId = story;
    SelectCourseDayDialog dialog(Core::instance()->context(), app);
    named<DayButton>(dialog, QString("dayBtn%1").arg(9))->setChecked(true);
    EXPECT_FALSE(named<DayButton>(dialog, QString("dayBtn%1").arg(9))->isChecked())
        << "a failed plan looks done";
    named<DayButton>(dialog, QString("dayBtn%1").arg(2))->setChecked(true);
    EXPECT_TRUE(named<DayButton>(dialog, QString("dayBtn%1").arg(2))->isChecked());
    QList<int> days;
    ASSERT_TRUE(db->getAppCourseDays(story, days));
    EXPECT_EQ(days, QList<int>{2});
}

} // namespace
