// Readable text export of a bound list of 100,000 rows x 8 columns, against a
// peer doing the same job in the same run: `column -t -s <tab>` aligning the
// same rows given as tab-separated text. Both write their result to a file;
// the medians are printed side by side with the target (faster than the peer).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "BenchRows.h"
#include "listcaster/clsLVTextExport.h"
#include "support/Headless.h"
#include "support/MedianReporter.h"

extern char** environ;

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 8;

QTreeWidget* gList = nullptr;
QString gTsvPath;
QString gOutDir;

void buildData() {
    gList = new QTreeWidget;
    QStringList captions;
    for (int c = 0; c < kColumns; ++c) captions << QStringLiteral("Column %1").arg(c + 1);
    gList->setHeaderLabels(captions);
    QList<QTreeWidgetItem*> items;
    items.reserve(kRows);
    QByteArray tsv = captions.join(QLatin1Char('\t')).toUtf8() + '\n';
    for (int i = 0; i < kRows; ++i) {
        const QStringList row = makeRow(i);
        items << new QTreeWidgetItem(row);
        tsv += row.join(QLatin1Char('\t')).toUtf8() + '\n';
    }
    gList->addTopLevelItems(items);
    QFile f(gTsvPath);
    f.open(QIODevice::WriteOnly);
    f.write(tsv);
}

void BM_ReadableExport(benchmark::State& state) {
    listcaster::clsLVTextExport ex;
    ex.setListView(gList);
    ex.setHeader(QStringLiteral("Submissions"));
    ex.setFilename(gOutDir + QStringLiteral("/export.txt"));
    for (auto _ : state) {
        if (!ex.ExportListViewToTextfile()) state.SkipWithError("export failed");
    }
}

// column -t -s <tab> < rows.tsv > column.txt, started without a shell.
void BM_ColumnPeer(benchmark::State& state) {
    const std::string in = gTsvPath.toStdString();
    const std::string out = (gOutDir + QStringLiteral("/column.txt")).toStdString();
    for (auto _ : state) {
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        char arg0[] = "column", arg1[] = "-t", arg2[] = "-s", arg3[] = "\t";
        char* argv[] = {arg0, arg1, arg2, arg3, nullptr};
        pid_t pid = 0;
        int status = -1;
        if (posix_spawnp(&pid, "column", &fa, nullptr, argv, environ) != 0 ||
            waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("column failed");
        posix_spawn_file_actions_destroy(&fa);
    }
}

FD_WALL_BENCHMARK(BM_ReadableExport, 9);
FD_WALL_BENCHMARK(BM_ColumnPeer, 9);

}  // namespace

int main(int argc, char** argv) {
    prepareHeadlessRun();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    gOutDir = dir.path();
    gTsvPath = dir.filePath(QStringLiteral("rows.tsv"));
    buildData();

    std::map<std::string, double> medians = runKeepingMedians(&argc, argv);

    const auto ours = medians.find("BM_ReadableExport");
    const auto peer = medians.find("BM_ColumnPeer");
    if (ours != medians.end() && peer != medians.end()) {
        std::printf(
            "\nReadable export, %d rows x %d columns: median %.1f ms; peer `column -t -s TAB` "
            "on the same rows: median %.1f ms.\nTarget: faster than the peer -> %s (%.2fx)\n",
            kRows, kColumns, ours->second, peer->second,
            ours->second < peer->second ? "MET" : "NOT MET", peer->second / ours->second);
    }
    delete gList;
    benchmark::Shutdown();
    return 0;
}
