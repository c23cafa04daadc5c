// Planning is interactive: on a catalogue of 100,000 apps with 500 planned on
// one day (and 40 on each other day), the both-weeks view switching through
// all fourteen days, against the catalogue's course page of the same size.

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "catalogue/fortnight.h"
#include "core/core.h"
#include "platform/log.h"
#include "ui/course/allcourselistwidget.h"
#include "ui/course/allcoursewidget.h"
#include "ui/course/daycourselistwidget.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kApps = 100000;
constexpr int kBusyDay = 3;
constexpr int kOnBusyDay = 500;

QTemporaryDir* g_dir = nullptr;
DB* g_db = nullptr;
DataPaths* g_paths = nullptr;
AllCourseWidget* g_view = nullptr;

void fill() {
    QSqlDatabase conn = QSqlDatabase::database("default");
    conn.transaction();
    QSqlQuery q(conn);
    q.prepare(
        "INSERT INTO AppTbl(productId,name,packId,proType,path,isUserFile,favor) VALUES(?,?,?,?,?,0,0)");
    for (int i = 0; i < kApps; ++i) {
        q.addBindValue(i + 1);
        q.addBindValue(QString("Story %1").arg(i, 6, 10, QChar('0')));
        q.addBindValue(QString("pack%1").arg(i % 500));
        q.addBindValue("books");
        q.addBindValue(QString("p/%1.tvp").arg(i));
        q.exec();
    }
    conn.commit();
    g_db->beginBatch();
    for (int day = kFirstDay; day <= kLastDay; ++day) {
        const int n = day == kBusyDay ? kOnBusyDay : 40;
        for (int a = 0; a < n; ++a)
            g_db->addCourseApp(day, 1 + (a * 193 + day * 7919) % kApps);
    }
    g_db->endBatch();
}

void setUp() {
    if (g_db)
        return;
    g_dir = new QTemporaryDir;
    tavi::setupClientLogging(g_dir->path());
    g_paths = new DataPaths(g_dir->path() + "/bin");
    g_paths->makeDirs();
    g_db = new DB(g_paths->mainDbPath, "default");
    g_db->open();
    g_db->setup();
    fill();
    Core::instance()->setDb(g_db);
    Core::instance()->setPaths(g_paths);
    g_view = new AllCourseWidget(Core::instance()->context());
    g_view->resize(1700, 850); // the view's share of a full-HD window
    g_view->show();
    QApplication::processEvents();
}

// One iteration: every day of both weeks once, as a teacher leafing through the fortnight.
void BM_SwitchThroughTheFortnight(benchmark::State& state) {
    setUp();
    AllCourseListWidget* list = g_view->findChild<AllCourseListWidget*>("AllCourseListWidget");
    for (auto _ : state) {
        g_view->showWeek(true);
        for (int d = 1; d <= 7; ++d)
            list->onDayBtnClicked(d);
        g_view->showWeek(false);
        for (int d = 1; d <= 7; ++d)
            list->onDayBtnClicked(d);
        QApplication::processEvents();
    }
    state.counters["per_switch_ms"] =
        benchmark::Counter(16, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert,
                           benchmark::Counter::kIs1000);
    state.counters["page_size"] = list->findChild<DayCourseListWidget*>("DayCourseListWidget")->pageSize();
}

// The baseline: the catalogue's page of the busy day, as large as the view's page.
void BM_CourseAppsPageOfTheBusyDay(benchmark::State& state) {
    setUp();
    _GetCourseAppsPara para;
    para.day = kBusyDay;
    para.limit = unsigned(g_view->findChild<DayCourseListWidget*>("DayCourseListWidget")->pageSize());
    unsigned count = 0;
    DataSet<TaviApp> page;
    for (auto _ : state) {
        g_db->getCourseApps(&para, count, &page);
        benchmark::DoNotOptimize(page.size());
    }
    state.counters["matches"] = count;
}

BENCHMARK(BM_SwitchThroughTheFortnight)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_CourseAppsPageOfTheBusyDay)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "default.debug=false");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
