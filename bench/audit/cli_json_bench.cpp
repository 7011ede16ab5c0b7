// "farrowdale-cli audit --json" over 1,000 and 10,000 pages of the
// benchmark site, beside the same audit printing only its findings: each
// command's peak memory, and what it grows by per page between the two
// sizes. The JSON is written as the run goes, so it adds nothing per page to
// what the run itself keeps of a page (its record, for the findings that
// compare pages and for the store). Target: --json grows by at most 0.5 KB
// per page more than the audit without it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

#include "BenchSite.h"
#include "core/CADODBAccess.h"
#include "core/ProgramFolder.h"

extern char** environ;

namespace {

constexpr int kSitePages = 10000;
constexpr double kTargetExtraKbPerPage = 0.5;
std::map<std::pair<int, bool>, double> gPeakMb;  // (pages, json) -> peak resident size

// Runs program with args, stdout into outFile; returns its exit code and
// sets its peak resident size in MB (-1 when it could not run).
int runMeasured(const QString& program, const QStringList& args, const QString& outFile,
                double* peakMb) {
    std::vector<QByteArray> bytes{QFile::encodeName(program)};
    for (const QString& a : args) bytes.push_back(a.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& b : bytes) argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray out = QFile::encodeName(outFile);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    *peakMb = -1;
    if (rc != 0) return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return -1;
    *peakMb = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_CliAudit(benchmark::State& state) {
    static BenchSite site(kSitePages);
    if (!site.ok()) return state.SkipWithError("the site server did not start");
    const int pages = static_cast<int>(state.range(0));
    const bool asJson = state.range(1) != 0;
    QTemporaryDir dir;
    const auto prep = fd::prepareProgramFolder(dir.path(), QStringLiteral(FARROWDALE_DATA_DIR));
    if (!prep.ok) return state.SkipWithError("cannot prepare the program folder");
    {
        const fd::CADODBAccess db(fd::connectionStringFor(dir.path()));
        db.execute(QStringLiteral("INSERT INTO WebSites (WebSiteGenericName) VALUES ('Bench')"));
        db.execute(QStringLiteral("INSERT INTO WebSiteNames (WebSiteID, WebSiteBaseURL, "
                                  "WebSiteEmailAddress) VALUES ((SELECT max(WebSiteID) FROM "
                                  "WebSites), '%1', 'me@example.org')")
                       .arg(site.base() + u'/'));
    }
    QFile list(dir.filePath(QStringLiteral("pages.txt")));
    list.open(QIODevice::WriteOnly);
    for (int i = 0; i < pages; ++i) list.write("p/" + QByteArray::number(i) + ".html\r\n");
    list.close();
    const QStringList folder{QStringLiteral("--program-folder"), dir.path()};
    QProcess import;
    import.start(
        QStringLiteral(FARROWDALE_CLI),
        folder + QStringList{QStringLiteral("pages"), QStringLiteral("import"), list.fileName(),
                             QStringLiteral("--site"), QStringLiteral("Bench")});
    if (!import.waitForFinished(60000) || import.exitCode() != 0)
        return state.SkipWithError("the page list was not imported");

    const QString output = dir.filePath(QStringLiteral("run.out"));
    QStringList args = folder + QStringList{QStringLiteral("audit"), QStringLiteral("--site"),
                                            QStringLiteral("Bench")};
    if (asJson) args << QStringLiteral("--json");
    for (auto _ : state) {
        double peak = 0;
        const int code = runMeasured(QStringLiteral(FARROWDALE_CLI), args, output, &peak);
        QFile f(output);
        f.open(QIODevice::ReadOnly);
        const QByteArray text = f.readAll();
        const QJsonArray listed =
            QJsonDocument::fromJson(text).object().value(QStringLiteral("pages")).toArray();
        const bool complete = asJson ? listed.size() == pages + 1 : !text.isEmpty();
        if (code != 0 || !complete) return state.SkipWithError("the audit did not finish");
        gPeakMb[{pages, asJson}] = peak;
        state.counters["peak_MB"] = peak;
    }
}
BENCHMARK(BM_CliAudit)
    ->ArgNames({"pages", "json"})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (gPeakMb.size() == 4) {
        const auto perPageKb = [](bool json) {
            return (gPeakMb[{10000, json}] - gPeakMb[{1000, json}]) * 1024 / 9000;
        };
        std::printf("\nPeak memory of farrowdale-cli audit, 1,000 and 10,000 pages:\n");
        std::printf("  --json:       %.1f MB and %.1f MB, %.2f KB per page\n",
                    gPeakMb[{1000, true}], gPeakMb[{10000, true}], perPageKb(true));
        std::printf("  findings only: %.1f MB and %.1f MB, %.2f KB per page\n",
                    gPeakMb[{1000, false}], gPeakMb[{10000, false}], perPageKb(false));
        std::printf("  --json adds %.2f KB per page (target: at most %.1f KB)\n",
                    perPageKb(true) - perPageKb(false), kTargetExtraKbPerPage);
    }
    return 0;
}
