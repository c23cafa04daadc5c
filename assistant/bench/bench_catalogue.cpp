// Catalogue pages on a catalogue of 100,000 apps: a name search ordered by
// name, a favourites page and a day's course page, ten rows each.

#include "catalogue/db.h"
#include "platform/log.h"

#include <QGuiApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kApps = 100000;
QTemporaryDir* g_dir = nullptr;
DB* g_db = nullptr;

void fill(DB& db) {
    QSqlDatabase conn = QSqlDatabase::database("default");
    conn.transaction();
    QSqlQuery q(conn);
    q.prepare("INSERT INTO AppTbl(productId,name,packId,proType,path,isUserFile,favor,favorDate,accessDate) "
              "VALUES(?,?,?,?,?,0,?,?,datetime('now','localtime'))");
    for (int i = 0; i < kApps; ++i) {
        q.addBindValue(i + 1);
        q.addBindValue(QString("%1 story %2").arg(i % 7 == 0 ? "Panda" : "Rabbit").arg(i, 6, 10, QChar('0')));
        q.addBindValue(QString("pack%1").arg(i % 500));
        q.addBindValue(i % 4 == 0 ? "music" : "books");
        q.addBindValue(QString("p/%1.tvp").arg(i));
        const bool favor = i % 20 == 0;
        q.addBindValue(favor ? 1 : 0);
        q.addBindValue(favor ? QString("2026-01-01 10:%1:%2")
                                   .arg(i / 60 % 60, 2, 10, QChar('0'))
                                   .arg(i % 60, 2, 10, QChar('0'))
                             : QString());
        q.exec();
    }
    conn.commit();
    for (int i = 1; i <= 14; ++i)
        for (int a = 0; a < 40; ++a)
            db.addCourseApp(i, 1 + (a * 2477 + i) % kApps);
}

void setUp() {
    if (g_db)
        return;
    g_dir = new QTemporaryDir;
    tavi::setupClientLogging(g_dir->path());
    g_db = new DB(g_dir->path() + "/main.db", "default");
    g_db->open();
    g_db->setup();
    fill(*g_db);
    // Baseline run: the tables exactly as created, without the list indexes.
    if (qEnvironmentVariableIsSet("TAVI_BENCH_NO_INDEX")) {
        QSqlQuery q(QSqlDatabase::database("default"));
        for (const char* index : {"AppTbl_name", "AppTbl_favor", "AppTbl_pack"})
            q.exec(QString("drop index %1").arg(index));
    }
}

void BM_SearchAppsByNamePage(benchmark::State& state) {
    setUp();
    _AppSearchPara para;
    para.name = "Panda";
    para.orderBy = 1;
    para.limit = 10;
    para.offset = 20;
    unsigned count = 0;
    DataSet<TaviApp> page;
    for (auto _ : state) {
        g_db->searchApps(&para, count, &page);
        benchmark::DoNotOptimize(page.size());
    }
    state.counters["matches"] = count;
}

// The name page's select alone, sorted as the lists sort (the "names"
// collation: numbers by value, Chinese by reading) and, as the baseline, by
// code point.
void namePage(benchmark::State& state, const char* order) {
    setUp();
    const QString sql =
        QString("select * from AppTbl where name like '%Panda%' order by name %1 asc limit 10 offset 20")
            .arg(order);
    DataSet<TaviApp> page;
    for (auto _ : state) {
        g_db->getApps(sql, &page);
        benchmark::DoNotOptimize(page.size());
    }
}
void BM_NamePageReadingOrder(benchmark::State& state) {
    namePage(state, "collate names");
}
void BM_NamePageCodePointOrder(benchmark::State& state) {
    namePage(state, "");
}

void BM_FavorAppsPage(benchmark::State& state) {
    setUp();
    _GetFavorAppsPara para;
    para.limit = 10;
    para.offset = 10;
    unsigned count = 0;
    DataSet<TaviApp> page;
    for (auto _ : state) {
        g_db->getFavorApps(&para, count, &page);
        benchmark::DoNotOptimize(page.size());
    }
    state.counters["matches"] = count;
}

void BM_CourseAppsPage(benchmark::State& state) {
    setUp();
    _GetCourseAppsPara para;
    para.day = 3;
    para.limit = 10;
    unsigned count = 0;
    DataSet<TaviApp> page;
    for (auto _ : state) {
        g_db->getCourseApps(&para, count, &page);
        benchmark::DoNotOptimize(page.size());
    }
    state.counters["matches"] = count;
}

BENCHMARK(BM_SearchAppsByNamePage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_NamePageReadingOrder)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_NamePageCodePointOrder)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_FavorAppsPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_CourseAppsPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "default.debug=false");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
