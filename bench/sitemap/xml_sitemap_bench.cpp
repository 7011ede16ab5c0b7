// XML sitemaps of 1,000,000 pages (plain paths, paths with spaces, queries
// with "&", paths outside ASCII, a few log files left out, every other page
// with its day), against a Python peer in the same run that builds the same
// files from the same list with urllib.parse.quote and
// xml.sax.saxutils.escape. The peer times its own build, reading its list
// not included. Prints the medians beside the targets (at most 1 s, at most
// 0.3 x the peer), the peak memory beside its 200 MB target, and whether both
// wrote the same bytes.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "sitemap/XmlSitemap.h"
#include "support/MedianReporter.h"
#include "support/ProcessorTime.h"

namespace {

constexpr int kPages = 1000000;
const QString kRoot = QStringLiteral("http://www.example.com/");

QList<fd::SitemapPage>* gPages = nullptr;
QString gDir;

QString entryFor(int i) {
    if (i % 1000 == 999) return QStringLiteral("/logs/access-%1.log").arg(i);
    switch (i % 10) {
        case 0:
            return QStringLiteral("/docs/annual report %1.pdf").arg(i);
        case 1:
            return QStringLiteral("/shop/item.asp?id=%1&colour=red").arg(i);
        case 2:
            return QStringLiteral("/städte/zürich-%1.htm").arg(i);
        default:
            return QStringLiteral("/section-%1/page-%2.htm").arg(i % 97).arg(i);
    }
}

// The pages in memory, and the same list as tab-separated text for the peer.
void buildPages() {
    gPages = new QList<fd::SitemapPage>;
    gPages->reserve(kPages);
    QFile list(gDir + QStringLiteral("/pages.tsv"));
    list.open(QIODevice::WriteOnly);
    const QDate first(2026, 1, 1);
    for (int i = 0; i < kPages; ++i) {
        const QDate day = i % 2 == 0 ? first.addDays(i % 365) : QDate();
        gPages->append({entryFor(i), day});
        list.write((gPages->back().entry + u'\t' +
                    (day.isValid() ? day.toString(Qt::ISODate) : QString()) + u'\n')
                       .toUtf8());
    }
}

long peakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::vector<double> gCpuMs;

void BM_XmlSitemap(benchmark::State& state) {
    QDir(gDir).mkpath(QStringLiteral("ours"));
    const QString main = gDir + QStringLiteral("/ours/sitemap.xml");
    for (auto _ : state) {
        const double before = fd::bench::processCpuMs();
        const fd::XmlSitemapSummary s = fd::writeXmlSitemaps(kRoot, *gPages, main);
        gCpuMs.push_back(fd::bench::processCpuMs() - before);
        if (s.urls != kPages - kPages / 1000) state.SkipWithError("wrong URL count");
    }
}

void BM_PythonPeer(benchmark::State& state) {
    QDir(gDir).mkpath(QStringLiteral("peer"));
    for (auto _ : state) {
        QProcess peer;
        peer.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral(FARROWDALE_SITEMAP_PEER), gDir + QStringLiteral("/pages.tsv"),
                    gDir + QStringLiteral("/peer/sitemap.xml")});
        bool ok = false;
        const double seconds = peer.waitForFinished(600000) && peer.exitCode() == 0
                                   ? peer.readAllStandardOutput().trimmed().toDouble(&ok)
                                   : 0;
        if (!ok) {
            state.SkipWithError("python peer failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

FD_WALL_BENCHMARK(BM_XmlSitemap, 5);
BENCHMARK(BM_PythonPeer)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// True when both folders hold the same files with the same bytes.
bool sameFiles(const QString& a, const QString& b) {
    const QStringList names = QDir(a).entryList(QDir::Files);
    if (names.isEmpty() || names != QDir(b).entryList(QDir::Files)) return false;
    for (const QString& n : names) {
        QFile x(a + u'/' + n), y(b + u'/' + n);
        if (!x.open(QIODevice::ReadOnly) || !y.open(QIODevice::ReadOnly) ||
            x.readAll() != y.readAll())
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    gDir = dir.path();
    const long startKb = peakKb();
    buildPages();
    const long listKb = peakKb();

    std::map<std::string, double> medians = runKeepingMedians(&argc, argv);
    benchmark::Shutdown();
    const long peak = peakKb();

    const double ours = medians["BM_XmlSitemap"];
    const double peer = medians["BM_PythonPeer"];
    std::printf("\nXML sitemaps of %d pages (%d files and an index), medians:\n", kPages,
                (kPages - kPages / 1000 + 49999) / 50000);
    std::printf("  ours:              %8.1f ms   target <= 1000 ms        %s\n", ours,
                ours <= 1000.0 ? "met" : "MISSED");
    std::printf("  Python peer:       %8.1f ms   (quote + escape, same files)\n", peer);
    if (peer > 0)
        std::printf("  ours / peer:       %8.2f x    target <= 0.30 x         %s\n", ours / peer,
                    ours <= 0.3 * peer ? "met" : "MISSED");
    fd::bench::printProcessorMedian("  ours, processor:   ", gCpuMs);
    std::printf("  peak memory:       %8.1f MB   target <  200 MB         %s\n", peak / 1024.0,
                peak < 200 * 1024 ? "met" : "MISSED");
    std::printf(
        "    of which the program and the page list before the build: %.1f MB "
        "(program alone %.1f MB)\n",
        listKb / 1024.0, startKb / 1024.0);
    std::printf(
        "  same bytes as the peer: %s\n",
        sameFiles(gDir + QStringLiteral("/ours"), gDir + QStringLiteral("/peer")) ? "yes" : "NO");
    delete gPages;
    return 0;
}
