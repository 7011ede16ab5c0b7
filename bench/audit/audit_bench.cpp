// The site audit over 10,000 pages of about 30 KB from a threaded local
// server: pages per second of the whole audit (fetch, read, findings, store)
// next to a Python peer in the same run (urllib one page after the other,
// html.parser), held to ten times the peer; reading alone on one core, held
// to 2,000 pages per second, beside libgumbo's HTML5 parser reading the same
// page (what the plain reader hands a page it cannot build to); and the
// run's peak memory, held under 300 MB.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "BenchSite.h"
#include "audit/PageReader.h"
#include "audit/SiteAudit.h"
#include "core/ProgramFolder.h"

namespace {

constexpr int kPages = 10000;
const QString kScripts = QStringLiteral(FARROWDALE_BENCH_DIR);

double gAuditPagesPerSecond = 0;
double gPeerPagesPerSecond = 0;
double gParsePagesPerSecond = 0;
double gFullParserPagesPerSecond = 0;
bool gPlainRead = false;
double gPeakMb = 0;
double gRenderedPagesPerSecond = 0;
double gRenderPeakMb = 0;
constexpr int kRenderedPages = 100;
double gAuditCpuMs = 0;  // processor time of the whole audit, every thread
double gPeerCpuMs = 0;   // processor time of the peer's process

double cpuMs(int who) {
    rusage u{};
    getrusage(who, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// The site server, started once for every benchmark.
BenchSite& site() {
    static BenchSite s(kPages);
    return s;
}

// The peak resident size of this process since the last reset, in MB.
double peakMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ')[0].toDouble() / 1024;
    return 0;
}

void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

void BM_WholeAudit(benchmark::State& state) {
    if (!site().ok()) return state.SkipWithError("the site server did not start");
    QTemporaryDir dir;
    const auto prep = fd::prepareProgramFolder(dir.path(), QStringLiteral(FARROWDALE_DATA_DIR));
    if (!prep.ok) return state.SkipWithError("cannot prepare the program folder");
    fd::audit::AuditRequest r;
    // The first page is the root URL; the others are listed as full addresses.
    r.rootUrl = site().base() + QStringLiteral("/p/0.html");
    for (int i = 1; i < kPages; ++i) r.pages << site().base() + QStringLiteral("/p/%1.html").arg(i);
    r.databasePath = dir.filePath(QStringLiteral("QELS.db"));
    std::atomic<bool> cancel{false};
    resetPeak();
    for (auto _ : state) {
        const double before = cpuMs(RUSAGE_SELF);
        const fd::audit::AuditResult result = fd::audit::runSiteAudit(r, {}, cancel);
        gAuditCpuMs = cpuMs(RUSAGE_SELF) - before;
        if (result.pages.size() != kPages || !result.storeError.isEmpty())
            state.SkipWithError("the audit did not finish every page");
    }
    gPeakMb = peakMb();
    state.SetItemsProcessed(state.iterations() * kPages);
}

void BM_PythonPeer(benchmark::State& state) {
    if (!site().ok()) return state.SkipWithError("the site server did not start");
    for (auto _ : state) {
        const double before = cpuMs(RUSAGE_CHILDREN);
        QProcess peer;
        peer.start(
            QStringLiteral("/usr/bin/python3"),
            {kScripts + QStringLiteral("/python_peer.py"), site().base(), QString::number(kPages)});
        peer.waitForFinished(-1);
        gPeerCpuMs = cpuMs(RUSAGE_CHILDREN) - before;
        const QList<QByteArray> words = peer.readAllStandardOutput().trimmed().split(' ');
        const double seconds = words.value(3).toDouble();
        if (words.value(0) != "PAGES" || seconds <= 0)
            return state.SkipWithError("the peer did not finish");
        state.SetIterationTime(seconds);
        gPeerPagesPerSecond = kPages / seconds;
    }
    state.SetItemsProcessed(state.iterations() * kPages);
}

QByteArray samplePage() {
    QProcess sample;
    sample.start(QStringLiteral("/usr/bin/python3"),
                 {kScripts + QStringLiteral("/bench_site.py"), QStringLiteral("sample")});
    sample.waitForFinished(60000);
    return sample.readAllStandardOutput();
}

void readPages(benchmark::State& state, bool fullParser) {
    const QByteArray body = samplePage();
    const QString type = QStringLiteral("text/html; charset=utf-8");
    const QString url = QStringLiteral("http://127.0.0.1/p/0.html");
    fd::audit::PageReadOptions options;
    options.fullParser = fullParser;
    for (auto _ : state) {
        fd::audit::PageContent c = fd::audit::readPage(body, type, url, options);
        if (!fullParser) gPlainRead = c.plainRead;
        benchmark::DoNotOptimize(c);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * body.size());
}

void BM_ReadPageOneCore(benchmark::State& state) {
    readPages(state, false);
}

void BM_ReadPageFullParserOneCore(benchmark::State& state) {
    readPages(state, true);
}

// The peak resident size of the largest process this one waited for (the
// rendering program, or one of the browser processes it started), in MB.
double childPeakMb() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_maxrss / 1024.0;
}

// The audit with its pages read as the browser renders them, over the first
// pages of the site: pages per second of rendering (the audit's own fetch
// and read are a small part of it).
void BM_RenderedAudit(benchmark::State& state) {
    if (!site().ok()) return state.SkipWithError("the site server did not start");
    fd::audit::AuditRequest r;
    r.rootUrl = site().base() + QStringLiteral("/p/0.html");
    for (int i = 1; i < kRenderedPages; ++i)
        r.pages << site().base() + QStringLiteral("/p/%1.html").arg(i);
    r.options.rendered = true;
    qputenv("FARROWDALE_RENDER", FARROWDALE_RENDER_PROGRAM);
    std::atomic<bool> cancel{false};
    for (auto _ : state) {
        const fd::audit::AuditResult result = fd::audit::runSiteAudit(r, {}, cancel);
        int rendered = 0;
        for (const fd::audit::AuditPage& p : result.pages)
            rendered += p.rendered.done && p.rendered.error.isEmpty();
        if (!result.renderError.isEmpty() || rendered != kRenderedPages)
            state.SkipWithError("not every page was rendered");
    }
    gRenderPeakMb = childPeakMb();
    state.SetItemsProcessed(state.iterations() * kRenderedPages);
}

class Reporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            const auto it = r.counters.find("items_per_second");
            if (it == r.counters.end()) continue;
            const double rate = it->second.value;
            const std::string name = r.run_name.function_name;
            if (name == "BM_WholeAudit") gAuditPagesPerSecond = rate;
            if (name == "BM_RenderedAudit") gRenderedPagesPerSecond = rate;
            if (name == "BM_ReadPageOneCore") gParsePagesPerSecond = rate;
            if (name == "BM_ReadPageFullParserOneCore") gFullParserPagesPerSecond = rate;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

BENCHMARK(BM_ReadPageOneCore)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_ReadPageFullParserOneCore)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_WholeAudit)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_PythonPeer)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();
BENCHMARK(BM_RenderedAudit)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf(
        "\nReading alone, one core: %.0f pages/s (target >= 2,000 pages/s), %s; libgumbo's "
        "HTML5 parser alone on the same page: %.0f pages/s\n",
        gParsePagesPerSecond, gPlainRead ? "read by the plain reader" : "read by libgumbo",
        gFullParserPagesPerSecond);
    if (gAuditPagesPerSecond > 0 && gPeerPagesPerSecond > 0) {
        std::printf(
            "Whole audit, %d pages: %.0f pages/s; Python peer (urllib + html.parser): %.0f "
            "pages/s; %.1f x the peer (target >= 10 x)\n",
            kPages, gAuditPagesPerSecond, gPeerPagesPerSecond,
            gAuditPagesPerSecond / gPeerPagesPerSecond);
        double load[1] = {0};
        getloadavg(load, 1);
        std::printf(
            "  processor time per page: ours %.2f ms (every thread), the peer's %.2f ms; the "
            "server's is in neither (load average %.1f on %d processors)\n",
            gAuditCpuMs / kPages, gPeerCpuMs / kPages, load[0], int(sysconf(_SC_NPROCESSORS_ONLN)));
    }
    std::printf("Peak memory of the whole audit: %.0f MB (target < 300 MB)\n", gPeakMb);
    if (gRenderedPagesPerSecond > 0)
        std::printf(
            "Rendered, %d pages: %.1f pages/s (target >= 5 pages/s); peak memory of the largest "
            "rendering process: %.0f MB, with the audit's own %.0f MB (target < 1 GB)\n",
            kRenderedPages, gRenderedPagesPerSecond, gRenderPeakMb, gPeakMb);
    return 0;
}
