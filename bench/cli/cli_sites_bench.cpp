// Start-up cost of the command line: "farrowdale-cli sites" on a program
// folder holding the seed database, from process start to exit, beside the
// sqlite3 shell running the same two queries on the same file in the same
// run. Target: a median of at most 50 ms. The processor time each run took
// and the machine's load are printed beside the wall-clock medians: on a
// busy machine the wall clock mostly measures the wait for a processor.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/JetSql.h"
#include "core/ProgramFolder.h"
#include "sites/SiteRecords.h"
#include "support/MedianReporter.h"

namespace {

QTemporaryDir* gFolder = nullptr;
std::vector<double> gCliCpu, gPeerCpu;  // ms of processor time per run

double childCpuMs() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void runOnce(benchmark::State& state, const QString& program, const QStringList& args,
             std::vector<double>& cpu) {
    const double before = childCpuMs();
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        state.SkipWithError(("run failed: " + program.toStdString()).c_str());
    cpu.push_back(childCpuMs() - before);
}

void BM_CliSites(benchmark::State& state) {
    for (auto _ : state)
        runOnce(state, QStringLiteral(FARROWDALE_CLI),
                {QStringLiteral("--program-folder"), gFolder->path(), QStringLiteral("sites")},
                gCliCpu);
}
FD_WALL_BENCHMARK(BM_CliSites, 31);

void BM_Sqlite3SameQueries(benchmark::State& state) {
    const QString sql = fd::translateJetSql(fd::sites::selectWebSitesSql()) + u';' +
                        fd::translateJetSql(fd::sites::selectAllRootsSql()) + u';';
    for (auto _ : state)
        runOnce(state, QStringLiteral("sqlite3"),
                {QDir(gFolder->path()).filePath(QStringLiteral("QELS.db")), sql}, gPeerCpu);
}
FD_WALL_BENCHMARK(BM_Sqlite3SameQueries, 31);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    gFolder = &folder;
    if (!fd::prepareProgramFolder(folder.path(), QStringLiteral(FARROWDALE_DATA_DIR)).ok) return 1;
    const std::map<std::string, double> medians = runKeepingMedians(&argc, argv);
    benchmark::Shutdown();
    const auto cli = medians.find("BM_CliSites");
    const auto peer = medians.find("BM_Sqlite3SameQueries");
    if (cli == medians.end() || peer == medians.end()) return 0;
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf(
        "\nfarrowdale-cli sites on the seed database: median %.1f ms; target at most 50 ms -> %s "
        "(processor time, median: %.1f ms)\n"
        "sqlite3 running the same queries, same run: median %.1f ms (processor time %.1f ms); "
        "%.1fx\nmachine load (1 min): %.1f on %ld processors\n",
        cli->second, cli->second <= 50 ? "met" : "MISSED", median(gCliCpu), peer->second,
        median(gPeerCpu), cli->second / peer->second, load[0], sysconf(_SC_NPROCESSORS_ONLN));
    return 0;
}
