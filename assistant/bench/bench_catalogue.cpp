// Catalogue pages on a catalogue of 100,000 resources with the names teachers
// have (two to eight Chinese characters, some with numbers such as 第12首):
// search pages by name, by pinyin initials and by full pinyin, each next to
// the plain code-point LIKE select of the same text as its baseline; a
// pack's page in reading order, a favourites page and a day's course page,
// ten rows each; and the check of the search index every start runs.
//
// The rows go into AppTbl as an older client or tool writes them; the index
// is then made by setup(), as at the first start of this client on such a
// catalogue (its time is printed).

#include "catalogue/db.h"
#include "names.h"
#include "platform/log.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr int kApps = 100000;
QTemporaryDir* g_dir = nullptr;
DB* g_db = nullptr;

void fill(DB& db) {
    QRandomGenerator rng(20160303);
    QSqlDatabase conn = QSqlDatabase::database("default");
    conn.transaction();
    QSqlQuery q(conn);
    q.prepare("INSERT INTO AppTbl(productId,name,packId,proType,path,isUserFile,favor,favorDate,accessDate) "
              "VALUES(?,?,?,?,?,0,?,?,datetime('now','localtime'))");
    for (int i = 0; i < kApps; ++i) {
        q.addBindValue(i + 1);
        q.addBindValue(benchnames::resourceName(rng));
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
    QElapsedTimer t;
    t.start();
    g_db->setup();
    std::printf("search index of %d resources made in %lld ms\n", kApps, t.elapsed());
    // Baseline run: the tables exactly as created, without the list indexes.
    if (qEnvironmentVariableIsSet("TAVI_BENCH_NO_INDEX")) {
        QSqlQuery q(QSqlDatabase::database("default"));
        for (const char* index : {"AppTbl_name", "AppTbl_favor", "AppTbl_pack"})
            q.exec(QString("drop index %1").arg(index));
    }
}

// A search page as the search dialog asks for it: the count and the third
// page of ten.
void searchPage(benchmark::State& state, const char* typed) {
    setUp();
    _AppSearchPara para;
    para.name = QString::fromUtf8(typed);
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

// The baseline: the same text in a plain LIKE select of the same page in
// code-point order (no count, no ranking, no pinyin).
void codePointLikePage(benchmark::State& state, const char* typed) {
    setUp();
    const QString sql =
        QString("select * from AppTbl where name like '%%1%' order by name asc limit 10 offset 20")
            .arg(QString::fromUtf8(typed));
    DataSet<TaviApp> page;
    for (auto _ : state) {
        g_db->getApps(sql, &page);
        benchmark::DoNotOptimize(page.size());
    }
}

const char* const kByName = "小熊";
const char* const kByInitials = "xhm";
const char* const kByFullPinyin = "xiaoxiong";

void BM_SearchAppsByNamePage(benchmark::State& state) {
    searchPage(state, kByName);
}
void BM_SearchAppsByNamePage_CodePointLike(benchmark::State& state) {
    codePointLikePage(state, kByName);
}
void BM_SearchAppsByPinyinInitialsPage(benchmark::State& state) {
    searchPage(state, kByInitials);
}
void BM_SearchAppsByPinyinInitialsPage_CodePointLike(benchmark::State& state) {
    codePointLikePage(state, kByInitials);
}
void BM_SearchAppsByFullPinyinPage(benchmark::State& state) {
    searchPage(state, kByFullPinyin);
}
void BM_SearchAppsByFullPinyinPage_CodePointLike(benchmark::State& state) {
    codePointLikePage(state, kByFullPinyin);
}
// The broadest searches there are: one character, one letter.
void BM_SearchAppsByOneCharacterPage(benchmark::State& state) {
    searchPage(state, "猫");
}
void BM_SearchAppsByOneLetterPage(benchmark::State& state) {
    searchPage(state, "x");
}

// What the search did before it had an index: the select alone, sorted by
// comparing names with the "names" collation.
void BM_NamePageCollatedSelect(benchmark::State& state) {
    setUp();
    const QString sql = QString("select * from AppTbl where name like '%%1%' order by name collate names asc "
                                "limit 10 offset 20")
                            .arg(QString::fromUtf8(kByName));
    DataSet<TaviApp> page;
    for (auto _ : state) {
        g_db->getApps(sql, &page);
        benchmark::DoNotOptimize(page.size());
    }
}

// A pack's resources in reading order, as the pack view lists them (a pack of 200).
void BM_PackAppsPage(benchmark::State& state) {
    setUp();
    _AppSearchPara para;
    para.packId = "pack123";
    para.orderBy = 1;
    para.limit = 10;
    para.offset = 10;
    unsigned count = 0;
    DataSet<TaviApp> page;
    for (auto _ : state) {
        g_db->searchApps(&para, count, &page);
        benchmark::DoNotOptimize(page.size());
    }
    state.counters["matches"] = count;
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

// Every start: setup() finds the index in step with AppTbl.
void BM_SearchIndexCheck(benchmark::State& state) {
    setUp();
    for (auto _ : state)
        g_db->setup();
}

#define TAVI_PAGE_BENCHMARK(name)                                                                            \
    BENCHMARK(name)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)

TAVI_PAGE_BENCHMARK(BM_SearchAppsByNamePage);
TAVI_PAGE_BENCHMARK(BM_SearchAppsByNamePage_CodePointLike);
TAVI_PAGE_BENCHMARK(BM_SearchAppsByPinyinInitialsPage);
TAVI_PAGE_BENCHMARK(BM_SearchAppsByPinyinInitialsPage_CodePointLike);
TAVI_PAGE_BENCHMARK(BM_SearchAppsByFullPinyinPage);
TAVI_PAGE_BENCHMARK(BM_SearchAppsByFullPinyinPage_CodePointLike);
TAVI_PAGE_BENCHMARK(BM_SearchAppsByOneCharacterPage);
TAVI_PAGE_BENCHMARK(BM_SearchAppsByOneLetterPage);
TAVI_PAGE_BENCHMARK(BM_NamePageCollatedSelect);
TAVI_PAGE_BENCHMARK(BM_PackAppsPage);
TAVI_PAGE_BENCHMARK(BM_FavorAppsPage);
TAVI_PAGE_BENCHMARK(BM_CourseAppsPage);
TAVI_PAGE_BENCHMARK(BM_SearchIndexCheck);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "default.debug=false");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    // The catalogue with its index is some 60 MB: it goes with the run.
    delete g_db;
    delete g_dir;
    return 0;
}
