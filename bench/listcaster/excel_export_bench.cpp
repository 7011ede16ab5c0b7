// Excel export of a bound list of 100,000 rows x 8 columns, against a peer
// doing the same job in the same run: Debian's python3-xlsxwriter writing the
// same cells with the same formats (sheet font, text cells, colours, hairline
// bottom rules, grey header with white left edge, widths, alignments, outer
// frame, page header and footer) from the same rows given as tab-separated
// text. Both use the row-streaming (constant memory) mode. The medians are
// printed beside the target (at most half the peer's time).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>
#include <map>
#include <string>

#include "BenchRows.h"
#include "listcaster/clsLVExcelExport.h"
#include "support/Headless.h"
#include "support/MedianReporter.h"

extern char** environ;

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 8;

QTreeWidget* gList = nullptr;
QString gDir;

const char* kPeer = R"PY(
import sys, xlsxwriter
src, out = sys.argv[1], sys.argv[2]
with open(src, encoding="utf-8") as f:
    lines = [l.rstrip("\n").split("\t") for l in f]
captions, rows = lines[0], lines[1:]
n, k = len(captions), len(rows)
aligns = ["left", "right", "center", "left", "right", "left", "center", "left"]
wb = xlsxwriter.Workbook(out, {"constant_memory": True})
ws = wb.add_worksheet()
cache = {}
def fmt(col, row, header):
    key = (col == 0, col == n - 1, row == 0, row == k, header, aligns[col])
    f = cache.get(key)
    if f is None:
        p = {"font_name": "Arial", "font_size": 12 if header else 10, "num_format": "@",
             "align": aligns[col]}
        if header:
            p.update({"bold": True, "pattern": 1, "bg_color": "#C0C0C0", "left": 1,
                      "left_color": "#FFFFFF", "bottom": 1})
        else:
            p.update({"font_color": "#000000", "bottom": 7})
        if col == 0: p.update({"left": 2}); p.pop("left_color", None)
        if col == n - 1: p["right"] = 2
        if row == 0: p["top"] = 2
        if row == k: p["bottom"] = 2
        f = cache[key] = wb.add_format(p)
    return f
for c in range(n):
    ws.set_column(c, c, 120 / 7.37)
for c in range(n):
    ws.write_string(0, c, captions[c], fmt(c, 0, True))
for r, row in enumerate(rows, 1):
    for c in range(n):
        ws.write_string(r, c, row[c], fmt(c, r, False))
ws.set_header("&LSubmissions&R&D, &T")
ws.set_footer("&CSeite &P von &N")
wb.close()
)PY";

void buildData() {
    gList = new QTreeWidget;
    gList->setFont(QFont(QStringLiteral("Arial"), 10));
    gList->header()->setStretchLastSection(false);
    QStringList captions;
    for (int c = 0; c < kColumns; ++c) captions << QStringLiteral("Column %1").arg(c + 1);
    gList->setHeaderLabels(captions);
    const Qt::Alignment aligns[] = {Qt::AlignLeft,    Qt::AlignRight, Qt::AlignHCenter,
                                    Qt::AlignLeft,    Qt::AlignRight, Qt::AlignLeft,
                                    Qt::AlignHCenter, Qt::AlignLeft};
    for (int c = 0; c < kColumns; ++c) {
        gList->setColumnWidth(c, 120);
        gList->headerItem()->setTextAlignment(c, aligns[c]);
    }
    QList<QTreeWidgetItem*> items;
    items.reserve(kRows);
    QByteArray tsv = captions.join(QLatin1Char('\t')).toUtf8() + '\n';
    for (int i = 0; i < kRows; ++i) {
        const QStringList row = makeRow(i);
        auto* item = new QTreeWidgetItem(row);
        for (int c = 0; c < kColumns; ++c) item->setForeground(c, QBrush(Qt::black));
        items << item;
        tsv += row.join(QLatin1Char('\t')).toUtf8() + '\n';
    }
    gList->addTopLevelItems(items);
    QFile f(gDir + QStringLiteral("/rows.tsv"));
    f.open(QIODevice::WriteOnly);
    f.write(tsv);
    QFile py(gDir + QStringLiteral("/peer.py"));
    py.open(QIODevice::WriteOnly);
    py.write(kPeer);
}

void BM_ExcelExport(benchmark::State& state) {
    listcaster::clsLVExcelExport ex;
    ex.setListView(gList);
    ex.Header = QStringLiteral("Submissions");
    ex.Filename = gDir + QStringLiteral("/ours.xlsx");
    for (auto _ : state)
        if (!ex.ExportListViewToExcel()) state.SkipWithError("export failed");
}

void BM_XlsxWriterPeer(benchmark::State& state) {
    const std::string script = (gDir + QStringLiteral("/peer.py")).toStdString();
    const std::string in = (gDir + QStringLiteral("/rows.tsv")).toStdString();
    const std::string out = (gDir + QStringLiteral("/peer.xlsx")).toStdString();
    for (auto _ : state) {
        char arg0[] = "/usr/bin/python3";
        char* argv[] = {arg0, const_cast<char*>(script.c_str()), const_cast<char*>(in.c_str()),
                        const_cast<char*>(out.c_str()), nullptr};
        pid_t pid = 0;
        int status = -1;
        if (posix_spawn(&pid, arg0, nullptr, nullptr, argv, environ) != 0 ||
            waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("python3-xlsxwriter peer failed");
    }
}

FD_WALL_BENCHMARK(BM_ExcelExport, 5);
FD_WALL_BENCHMARK(BM_XlsxWriterPeer, 5);

}  // namespace

int main(int argc, char** argv) {
    prepareHeadlessRun();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    gDir = dir.path();
    buildData();

    std::map<std::string, double> medians = runKeepingMedians(&argc, argv);

    const auto ours = medians.find("BM_ExcelExport");
    const auto peer = medians.find("BM_XlsxWriterPeer");
    if (ours != medians.end() && peer != medians.end())
        std::printf(
            "\nExcel export, %d rows x %d columns: median %.1f ms; peer python3-xlsxwriter "
            "on the same cells and formats: median %.1f ms.\nTarget: at most half the "
            "peer's time -> %s (%.2fx of the peer)\n",
            kRows, kColumns, ours->second, peer->second,
            ours->second <= peer->second / 2 ? "MET" : "NOT MET", ours->second / peer->second);
    delete gList;
    benchmark::Shutdown();
    return 0;
}
