// Printing a bound list of 10,000 rows x 4 columns into a PDF file through
// the print front end, the engine and the Qt printer device. The median is
// printed beside the target (at most 5 s).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>
#include <map>
#include <string>

#include "listcaster/QtPrinterDevice.h"
#include "listcaster/clsPrint.h"
#include "support/Headless.h"
#include "support/MedianReporter.h"

namespace {

constexpr int kRows = 10000;
QTreeWidget* gList = nullptr;
QString gDir;

void buildData() {
    gList = new QTreeWidget;
    gList->setHeaderLabels({"Page", "Engine", "Date", "Count"});
    gList->header()->setStretchLastSection(false);
    const int widths[] = {260, 140, 110, 70};
    for (int c = 0; c < 4; ++c) gList->setColumnWidth(c, widths[c]);
    gList->headerItem()->setTextAlignment(3, Qt::AlignRight);
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < kRows; ++i) {
        auto* it = new QTreeWidgetItem(
            {QStringLiteral("http://www.site%1.example/page%2.htm").arg(i % 97).arg(i),
             QStringLiteral("Engine %1").arg(i % 11),
             QStringLiteral("%1.%2.2026").arg(i % 28 + 1).arg(i % 12 + 1), QString::number(i)});
        if (i % 9 == 0) it->setForeground(1, QBrush(Qt::darkGreen));
        items << it;
    }
    gList->addTopLevelItems(items);
}

void BM_PrintToPdf(benchmark::State& state) {
    for (auto _ : state) {
        listcaster::QtPrinterDevice device(gDir + QStringLiteral("/list.pdf"));
        listcaster::clsPrint print(&device);
        print.setListView(gList);
        print.Title().Text = QStringLiteral("Submissions");
        if (!print.PrintListView()) state.SkipWithError("printing failed");
    }
}
FD_WALL_BENCHMARK(BM_PrintToPdf, 5);

}  // namespace

int main(int argc, char** argv) {
    prepareHeadlessRun();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    gDir = dir.path();
    buildData();
    std::map<std::string, double> medians = runKeepingMedians(&argc, argv);
    const auto ours = medians.find("BM_PrintToPdf");
    if (ours != medians.end())
        std::printf("\nPrint %d rows to PDF: median %.1f ms.\nTarget: at most 5000 ms -> %s\n",
                    kRows, ours->second, ours->second <= 5000 ? "MET" : "NOT MET");
    delete gList;
    benchmark::Shutdown();
    return 0;
}
