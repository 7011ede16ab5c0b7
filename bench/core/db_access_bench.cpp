// One insert and one lookup through CADODBAccess, each opening and closing
// its own connection, on a seeded database. Target: at most 1 ms each.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "core/CADODBAccess.h"
#include "core/JetSql.h"
#include "core/ProgramFolder.h"

namespace {

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<fd::CADODBAccess> db;
    Fixture() {
        const auto r = fd::prepareProgramFolder(dir.path(), QStringLiteral(FARROWDALE_DATA_DIR));
        if (!r.ok) throw std::runtime_error(r.message.toStdString());
        db = std::make_unique<fd::CADODBAccess>(fd::connectionStringFor(dir.path()));
        for (int i = 0; i < 1000; ++i)
            db->fnSQL_NoRS(QStringLiteral("INSERT INTO WebSites (WebSiteGenericName) VALUES (%1)")
                               .arg(fd::dq(QStringLiteral("site %1").arg(i))));
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_fnSQL_NoRS_Insert(benchmark::State& state) {
    auto& db = *fixture().db;
    int i = 0;
    for (auto _ : state) {
        db.fnSQL_NoRS(QStringLiteral("INSERT INTO WebSitePages (WebSiteID, PageURL, UpdatedDate) "
                                     "VALUES (1, \"page%1.htm\", #12/7/2026 10:00:00#)")
                          .arg(++i));
    }
    state.SetLabel("target <= 1 ms");
}

void BM_fnSQL_RS_Lookup(benchmark::State& state) {
    auto& db = *fixture().db;
    int i = 0;
    for (auto _ : state) {
        auto rs = db.fnSQL_RS(QStringLiteral("Select WebSiteID from WebSites where "
                                             "WebSiteGenericName = \"site %1\"")
                                  .arg(++i % 1000));
        if (!rs || rs->eof()) state.SkipWithError("lookup failed");
        benchmark::DoNotOptimize(rs);
    }
    state.SetLabel("target <= 1 ms");
}

}  // namespace

BENCHMARK(BM_fnSQL_NoRS_Insert)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_fnSQL_RS_Lookup)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
