// Page lists in the site directory tree: a 100,000-line list imported (read,
// split, tree rebuilt and expanded, as the import does) and the tree saved to
// a list file; and a 1,000,000-line list imported the same way, with its
// progress told as the import tells it. The medians are printed beside their
// targets, and so is the process's peak memory after the first import of the
// long list into an empty tree (taken before anything else runs).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <string>

#include "sites/PageList.h"
#include "sites/SiteDirectoryTree.h"
#include "support/Headless.h"
#include "support/MedianReporter.h"

namespace {

constexpr int kPages = 100000;
constexpr int kManyPages = 1000000;
const QString kRoot = QStringLiteral("http://www.example.com/");
QString gListPath;
QString gLongListPath;
QString gSavePath;
fd::sites::SiteDirectoryTree* gTree = nullptr;

// Written line by line, so the writing adds nothing to the peak.
void writeList(const QString& path, int pages) {
    static const char* const kinds[] = {".htm", ".asp", ".gif", ".doc", ".html", ".zip", ""};
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    for (int i = 0; i < pages; ++i)
        f.write(QStringLiteral("section%1/page%2%3\r\n")
                    .arg(i % 97)
                    .arg(i)
                    .arg(QLatin1String(kinds[i % 7]))
                    .toUtf8());
}

// The import's two stages, each telling its progress; false when the tree
// did not end up with every page.
bool importList(const QString& path, int pages) {
    const auto progress = [](qint64, qint64) { return true; };
    const std::optional<QStringList> list = fd::sites::readPageListFile(path, progress);
    if (!list || !gTree->replacePages(kRoot, *list, progress)) return false;
    QApplication::processEvents();  // the view lays itself out
    return gTree->nodeCount() == pages + 1;
}

void BM_ImportList(benchmark::State& state) {
    for (auto _ : state)
        if (!importList(gListPath, kPages)) state.SkipWithError("wrong node count");
}

void BM_SaveList(benchmark::State& state) {
    for (auto _ : state) fd::sites::writePageListFile(gSavePath, gTree->pages());
}

void BM_ImportMillionPages(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        gTree->resetToRoot(kRoot);  // as at start: the tree holds no list
        QApplication::processEvents();
        state.ResumeTiming();
        if (!importList(gLongListPath, kManyPages)) state.SkipWithError("wrong node count");
    }
}

FD_WALL_BENCHMARK(BM_ImportList, 9);
FD_WALL_BENCHMARK(BM_SaveList, 9);
FD_WALL_BENCHMARK(BM_ImportMillionPages, 5);

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

void printLine(const char* what, double value, const char* unit, double target, bool met) {
    std::printf("  %-34s %8.1f %s   target %s %6.0f %s   %s\n", what, value, unit,
                std::string(unit) == "MB" ? "< " : "<=", target, unit, met ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    prepareHeadlessRun();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    gListPath = dir.filePath(QStringLiteral("big.wsr"));
    gLongListPath = dir.filePath(QStringLiteral("million.wsr"));
    gSavePath = dir.filePath(QStringLiteral("0Big.wsr"));
    writeList(gListPath, kPages);
    writeList(gLongListPath, kManyPages);
    fd::sites::SiteDirectoryTree tree;
    tree.resize(300, 700);
    tree.show();
    gTree = &tree;
    tree.resetToRoot(kRoot);
    QApplication::processEvents();

    const double before = peakMegabytes();
    const bool imported = importList(gLongListPath, kManyPages);
    const double peak = peakMegabytes();

    std::map<std::string, double> medians = runKeepingMedians(&argc, argv);
    benchmark::Shutdown();

    const double importMs = medians["BM_ImportList"];
    const double saveMs = medians["BM_SaveList"];
    const double millionMs = medians["BM_ImportMillionPages"];
    std::printf("\nPage lists, medians:\n");
    printLine("import of 100,000 pages:", importMs, "ms", 1000, importMs <= 1000.0);
    printLine("save of 100,000 pages:", saveMs, "ms", 200, saveMs <= 200.0);
    printLine("import of 1,000,000 pages:", millionMs, "ms", 2000, millionMs <= 2000.0);
    printLine("peak memory, 1,000,000 pages:", peak, "MB", 500, imported && peak < 500.0);
    std::printf("  (%.1f MB before that import)\n", before);
    return 0;
}
