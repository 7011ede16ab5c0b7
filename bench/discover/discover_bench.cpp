// Discovery of a site whose robots.txt names an index of 20 gzip sitemaps of
// 50,000 URLs (1,000,000 addresses, each with its <lastmod>), served by a
// local Python server: robots.txt, the index and every sitemap fetched and
// read, the list of node texts built and saved as a page-list file. Held to
// at most 2 s median, peak memory under 400 MB, and at most 0.3 x a Python
// peer (urllib, gzip, ElementTree.iterparse) doing the same in the same run.
// The storing of the 1,000,000 last-modified times, which follows when the
// list is taken, is timed on its own beside it.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "core/ExtraTables.h"
#include "core/ProgramFolder.h"
#include "discover/LastModified.h"
#include "discover/PageDiscovery.h"
#include "sites/PageList.h"
#include "support/MedianReporter.h"
#include "support/ProcessorTime.h"

namespace {

constexpr int kPages = 1000000;
const QString kScripts = QStringLiteral(FARROWDALE_BENCH_DIR);

class Site {
public:
    Site() {
        proc_.start(QStringLiteral("/usr/bin/python3"), {kScripts + "/bench_site.py"});
        while (port_ == 0 && proc_.waitForReadyRead(300000)) {
            const QByteArray line = proc_.readLine().trimmed();
            if (line.startsWith("PORT ")) port_ = line.mid(5).toInt();
        }
    }
    ~Site() {
        proc_.kill();
        proc_.waitForFinished(5000);
    }
    bool ok() const { return port_ > 0; }
    QString root() const { return QStringLiteral("http://127.0.0.1:%1/").arg(port_); }

private:
    QProcess proc_;
    int port_ = 0;
};

Site* gSite = nullptr;
QString gDir;
fd::discover::DiscoveryResult* gResult = nullptr;
std::vector<double> gCpuMs;
std::vector<double> gDiscoverMs, gSaveMs;

double peakMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ')[0].toDouble() / 1024;
    return 0;
}

void BM_DiscoverToSavedList(benchmark::State& state) {
    if (!gSite->ok()) return state.SkipWithError("the site server did not start");
    const QString list = gDir + QStringLiteral("/ours.wsr");
    std::atomic<bool> cancel{false};
    for (auto _ : state) {
        // The last run's list is kept for the storing of its dates, not
        // beside the next run.
        *gResult = fd::discover::DiscoveryResult();
        const double before = fd::bench::processCpuMs();
        QElapsedTimer t;
        t.start();
        fd::discover::DiscoveryResult r =
            fd::discover::discoverPages(gSite->root(), {}, {}, nullptr, cancel);
        gDiscoverMs.push_back(t.nsecsElapsed() / 1e6);
        const qint64 found = t.nsecsElapsed();
        fd::sites::writePageListFile(
            list,
            fd::discover::listAfter(r.pages, r.comparison, {}, fd::discover::ListChange::Replace));
        gSaveMs.push_back((t.nsecsElapsed() - found) / 1e6);
        gCpuMs.push_back(fd::bench::processCpuMs() - before);
        if (r.pages.size() != kPages) {
            state.SkipWithError("not every page was found");
            break;
        }
        *gResult = std::move(r);
    }
}

void BM_StoreLastModified(benchmark::State& state) {
    if (gResult->pages.isEmpty()) return state.SkipWithError("no discovery to store");
    QTemporaryDir dir;
    if (!fd::prepareProgramFolder(dir.path(), QStringLiteral(FARROWDALE_DATA_DIR)).ok)
        return state.SkipWithError("cannot prepare the program folder");
    const QString db = dir.filePath(QStringLiteral("QELS.db"));
    fd::ensureExtraTables(db);
    for (auto _ : state) {
        const QString error = fd::discover::storeLastModified(db, gSite->root(), gResult->pages,
                                                              fd::discover::ListChange::Replace);
        if (!error.isEmpty()) state.SkipWithError(error.toStdString().c_str());
    }
}

void BM_PythonPeer(benchmark::State& state) {
    if (!gSite->ok()) return state.SkipWithError("the site server did not start");
    for (auto _ : state) {
        QProcess peer;
        peer.start(QStringLiteral("/usr/bin/python3"),
                   {kScripts + "/python_peer.py", gSite->root(), gDir + "/peer.wsr"});
        peer.waitForFinished(600000);
        const QList<QByteArray> words = peer.readAllStandardOutput().trimmed().split(' ');
        const double seconds = words.value(3).toDouble();
        if (words.value(0) != "PAGES" || words.value(1).toInt() != kPages || seconds <= 0) {
            state.SkipWithError("the peer did not finish");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

FD_WALL_BENCHMARK(BM_DiscoverToSavedList, 5);
FD_WALL_BENCHMARK(BM_StoreLastModified, 3);
BENCHMARK(BM_PythonPeer)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    gDir = dir.path();
    Site site;
    gSite = &site;
    fd::discover::DiscoveryResult result;
    gResult = &result;

    std::map<std::string, double> medians = runKeepingMedians(&argc, argv);
    benchmark::Shutdown();
    const double peak = peakMb();

    const double ours = medians["BM_DiscoverToSavedList"];
    const double store = medians["BM_StoreLastModified"];
    const double peer = medians["BM_PythonPeer"];
    QFile a(gDir + "/ours.wsr"), b(gDir + "/peer.wsr");
    const bool same =
        a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.readAll() == b.readAll();
    std::printf("\nDiscovery of %d pages (robots.txt, an index, 20 gzip sitemaps), medians:\n",
                kPages);
    std::printf("  to the saved list:  %8.1f ms   target <= 2000 ms        %s\n", ours,
                ours <= 2000.0 ? "met" : "MISSED");
    std::printf("    of which reading: %8.1f ms, saving the list: %.1f ms\n", median(gDiscoverMs),
                median(gSaveMs));
    std::printf("  Python peer:        %8.1f ms   (urllib, gzip, iterparse, same list file)\n",
                peer);
    if (peer > 0)
        std::printf("  ours / peer:        %8.2f x    target <= 0.30 x         %s\n", ours / peer,
                    ours <= 0.3 * peer ? "met" : "MISSED");
    fd::bench::printProcessorMedian("  ours, processor:    ", gCpuMs);
    std::printf("  peak memory:        %8.1f MB   target <  400 MB         %s\n", peak,
                peak < 400 ? "met" : "MISSED");
    std::printf("  storing the 1,000,000 last-modified times afterwards: %.1f ms\n", store);
    std::printf("  same list file as the peer: %s\n", same ? "yes" : "NO");
    return 0;
}
