// The profile page's three lists on the shipped region cache (offline.db:
// every province and city) plus 50,000 cached schools: the provinces, a
// province's cities and a city's schools, each read through OfflineDB and
// filled into a combo box as the page does, against a plain select of the
// same rows as the baseline.
//
//   bench_region_cache --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
//   TAVI_BENCH_NO_INDEX=1 bench_region_cache ...   (the tables without the lookup indexes)

#include "online/offlinedb.h"
#include "platform/log.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int kSchools = 50000;
QTemporaryDir* g_dir = nullptr;
OfflineDB* g_cache = nullptr;
int g_province = 0; // the province with the most cities
int g_city = 0;     // a city with a typical number of schools
int g_bigCity = 0;  // the city with the most schools

int scalar(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database("offline"));
    return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
}

void setUp() {
    if (g_cache)
        return;
    g_dir = new QTemporaryDir;
    tavi::setupClientLogging(g_dir->path());
    const QString path = g_dir->path() + "/offline.db";
    if (!QFile::copy(QString(TAVI_CLIENT_BUILD_DIR) + "/offline.db", path))
        qFatal("no shipped offline.db beside the client: build taviclient first");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    g_cache = new OfflineDB(path, "offline");
    if (!g_cache->open())
        qFatal("cannot open the cache");

    // Schools spread over every city the way real ones are: unevenly, a few
    // big cities holding many.
    std::vector<int> cities;
    {
        QSqlQuery q(QSqlDatabase::database("offline"));
        q.exec("select id from ProCityTbl where parentId <> 0 order by id");
        while (q.next())
            cities.push_back(q.value(0).toInt());
    }
    g_cache->beginBatch();
    for (int i = 0; i < kSchools; ++i) {
        // Every fifth school goes to one of the first ten cities.
        const int city = i % 5 == 0 ? cities[size_t(i / 5 % 10)] : cities[size_t(i) % cities.size()];
        _SchoolInfo s{100000 + i, QString::fromUtf8("第%1幼儿园").arg(i), city};
        g_cache->addSchool(&s);
    }
    g_cache->endBatch();

    if (qEnvironmentVariableIsSet("TAVI_BENCH_NO_INDEX")) {
        QSqlQuery q(QSqlDatabase::database("offline"));
        q.exec("drop index ProCityTbl_parentId");
        q.exec("drop index SchoolTbl_cityId");
    }
    g_province = scalar("select parentId from ProCityTbl where parentId <> 0 group by parentId "
                        "order by count(*) desc limit 1");
    g_bigCity = scalar("select cityId from SchoolTbl group by cityId order by count(*) desc limit 1");
    g_city = cities[cities.size() / 2];
}

// What the page does with a list: clear the box, one entry per row.
template <typename Set> void fillBox(QComboBox& box, const Set& rows) {
    box.clear();
    for (const auto& r : rows)
        box.addItem(r->name, r->id);
}

struct Row {
    int id;
    QString name;
};

// The baseline: a plain select of the same rows, read into plain values.
std::vector<Row> plainSelect(const QString& sql) {
    std::vector<Row> rows;
    QSqlQuery q(QSqlDatabase::database("offline"));
    q.setForwardOnly(true);
    q.exec(sql);
    while (q.next())
        rows.push_back({q.value(0).toInt(), q.value(1).toString()});
    return rows;
}

void BM_Provinces(benchmark::State& state) {
    setUp();
    QComboBox box;
    DataSet<_ProvCityInfo> rows;
    for (auto _ : state) {
        g_cache->getProvinceCity(0, &rows);
        fillBox(box, rows);
    }
    state.counters["rows"] = rows.size();
}

void BM_Cities(benchmark::State& state) {
    setUp();
    QComboBox box;
    DataSet<_ProvCityInfo> rows;
    for (auto _ : state) {
        g_cache->getProvinceCity(g_province, &rows);
        fillBox(box, rows);
    }
    state.counters["rows"] = rows.size();
}

void schools(benchmark::State& state, int city) {
    setUp();
    QComboBox box;
    DataSet<_SchoolInfo> rows;
    for (auto _ : state) {
        g_cache->getSchools(city, &rows);
        fillBox(box, rows);
    }
    state.counters["rows"] = rows.size();
}
void BM_Schools(benchmark::State& state) {
    setUp();
    schools(state, g_city);
}
void BM_SchoolsOfTheBiggestCity(benchmark::State& state) {
    setUp();
    schools(state, g_bigCity);
}

void baseline(benchmark::State& state, const QString& sql) {
    setUp();
    size_t n = 0;
    for (auto _ : state) {
        const std::vector<Row> rows = plainSelect(sql);
        n = rows.size();
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = double(n);
}
void BM_PlainSelectProvinces(benchmark::State& state) {
    baseline(state, "select id,name from ProCityTbl where parentId = 0");
}
void BM_PlainSelectCities(benchmark::State& state) {
    setUp();
    baseline(state, QString("select id,name from ProCityTbl where parentId = %1").arg(g_province));
}
void BM_PlainSelectSchools(benchmark::State& state) {
    setUp();
    baseline(state, QString("select id,name from SchoolTbl where cityId = %1").arg(g_city));
}
void BM_PlainSelectSchoolsOfTheBiggestCity(benchmark::State& state) {
    setUp();
    baseline(state, QString("select id,name from SchoolTbl where cityId = %1").arg(g_bigCity));
}

} // namespace

BENCHMARK(BM_Provinces)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainSelectProvinces)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Cities)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainSelectCities)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Schools)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainSelectSchools)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SchoolsOfTheBiggestCity)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainSelectSchoolsOfTheBiggestCity)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
