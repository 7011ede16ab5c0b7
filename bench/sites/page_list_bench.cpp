// Import of a 100,000-line page list into the site directory tree (read,
// split, tree rebuilt and expanded, as the import does) and the save of that
// tree to a list file. The medians are printed beside their targets.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <string>

#include "sites/PageList.h"
#include "sites/SiteDirectoryTree.h"
#include "support/MedianReporter.h"

namespace {

constexpr int kPages = 100000;
QString gListPath;
QString gSavePath;
fd::sites::SiteDirectoryTree* gTree = nullptr;

void writeList() {
    static const char* const kinds[] = {".htm", ".asp", ".gif", ".doc", ".html", ".zip", ""};
    QByteArray text;
    for (int i = 0; i < kPages; ++i)
        text += QStringLiteral("section%1/page%2%3\r\n")
                    .arg(i % 97)
                    .arg(i)
                    .arg(QLatin1String(kinds[i % 7]))
                    .toUtf8();
    QFile f(gListPath);
    f.open(QIODevice::WriteOnly);
    f.write(text);
}

void BM_ImportList(benchmark::State& state) {
    for (auto _ : state) {
        const QStringList pages = fd::sites::readPageListFile(gListPath);
        gTree->setUpdatesEnabled(false);
        gTree->resetToRoot(QStringLiteral("http://www.example.com/"));
        gTree->addPages(pages);
        gTree->expandItem(gTree->rootNode());
        gTree->setUpdatesEnabled(true);
        QApplication::processEvents();  // the view lays itself out
        if (gTree->nodeCount() != kPages + 1) state.SkipWithError("wrong node count");
    }
}

void BM_SaveList(benchmark::State& state) {
    for (auto _ : state) fd::sites::writePageListFile(gSavePath, gTree->pages());
}

FD_WALL_BENCHMARK(BM_ImportList, 9);
FD_WALL_BENCHMARK(BM_SaveList, 9);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    gListPath = dir.filePath(QStringLiteral("big.wsr"));
    gSavePath = dir.filePath(QStringLiteral("0Big.wsr"));
    writeList();
    fd::sites::SiteDirectoryTree tree;
    tree.resize(300, 700);
    tree.show();
    gTree = &tree;

    std::map<std::string, double> medians = runKeepingMedians(&argc, argv);
    benchmark::Shutdown();

    const double importMs = medians["BM_ImportList"];
    const double saveMs = medians["BM_SaveList"];
    std::printf("\nPage list of %d lines, medians:\n", kPages);
    std::printf("  import into the tree: %8.1f ms   target <= 1000 ms   %s\n", importMs,
                importMs <= 1000.0 ? "met" : "MISSED");
    std::printf("  save of the tree:     %8.1f ms   target <=  200 ms   %s\n", saveMs,
                saveMs <= 200.0 ? "met" : "MISSED");
    return 0;
}
