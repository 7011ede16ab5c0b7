// Start-up cost of the command line: "farrowdale-cli sites" on a program
// folder holding the seed database, from process start to exit, beside the
// sqlite3 shell running the same two queries on the same file in the same
// run. Target: a median of at most 50 ms.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "core/JetSql.h"
#include "core/ProgramFolder.h"
#include "sites/SiteRecords.h"
#include "support/MedianReporter.h"

namespace {

QTemporaryDir* gFolder = nullptr;

void runOnce(benchmark::State& state, const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        state.SkipWithError(("run failed: " + program.toStdString()).c_str());
}

void BM_CliSites(benchmark::State& state) {
    for (auto _ : state)
        runOnce(state, QStringLiteral(FARROWDALE_CLI),
                {QStringLiteral("--program-folder"), gFolder->path(), QStringLiteral("sites")});
}
FD_WALL_BENCHMARK(BM_CliSites, 31);

void BM_Sqlite3SameQueries(benchmark::State& state) {
    const QString sql = fd::translateJetSql(fd::sites::selectWebSitesSql()) + u';' +
                        fd::translateJetSql(fd::sites::selectAllRootsSql()) + u';';
    for (auto _ : state)
        runOnce(state, QStringLiteral("sqlite3"),
                {QDir(gFolder->path()).filePath(QStringLiteral("QELS.db")), sql});
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
    std::printf(
        "\nfarrowdale-cli sites on the seed database: median %.1f ms; target at most 50 ms "
        "-> %s\nsqlite3 running the same queries, same run: median %.1f ms (%.1fx)\n",
        cli->second, cli->second <= 50 ? "met" : "MISSED", peer->second,
        cli->second / peer->second);
    return 0;
}
