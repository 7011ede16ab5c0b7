// Navigate on a local page with 2,000 elements until the page-detail fields
// are filled: the median of the whole, of the part after the load finished
// (held to 50 ms) and the snapshot's share of it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "browser/PageDetailsTab.h"
#include "browser/WebEngineBrowser.h"
#include "core/Globals.h"
#include "support/Headless.h"
#include "support/WindowStubs.h"

using namespace fd;

namespace {

struct Hub : bench::StubHub {
    QString rootUrl() const override { return QStringLiteral("file://"); }
    bool rootSelected() const override { return true; }
};

// 2,000 elements: html, head, title, four metas, body, and divs of a
// paragraph and a link.
QByteArray bigPage() {
    QByteArray page =
        "<!DOCTYPE html><html><head><title>Big page</title>"
        "<meta name=\"description\" content=\"many elements\">"
        "<meta name=\"keywords\" content=\"big, page\">"
        "<meta name=\"author\" content=\"Bench\">"
        "<meta name=\"revisit\" content=\"7 days\"></head><body>";
    int elements = 8;
    for (int i = 0; elements + 3 <= 2000; ++i, elements += 3)
        page += "<div><p>Paragraph " + QByteArray::number(i) + " <a name=\"a" +
                QByteArray::number(i) + "\" href=\"#\">link</a></p></div>";
    while (elements++ < 2000) page += "<span></span>";
    page += "</body></html>";
    return page;
}

std::vector<double> totalMs, afterLoadMs, snapshotMs;

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void BM_NavigateToFilledFields(benchmark::State& state) {
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("big.html")));
    f.open(QIODevice::WriteOnly);
    f.write(bigPage());
    f.close();
    const QString url = QUrl::fromLocalFile(f.fileName()).toString();

    Globals g(dir.path());
    bench::QuietDialogs dialogs;
    Hub hub;
    WebEngineBrowser browser;
    PageDetailsTab tab(g, dialogs, hub);
    browser.widget()->resize(1000, 700);
    browser.widget()->show();

    QElapsedTimer clock;
    qint64 loadFinishedAt = -1, filledAt = -1;
    QObject::connect(browser.view(), &QWebEngineView::loadFinished,
                     [&] { loadFinishedAt = clock.nsecsElapsed(); });
    QObject::connect(&browser, &WebBrowser::documentComplete, [&](const QString&) {
        tab.getWebPageInformation(browser.document());
        filledAt = clock.nsecsElapsed();
    });

    int n = 0;
    for (auto _ : state) {
        tab.clearWebPageInfo();
        loadFinishedAt = filledAt = -1;
        clock.start();
        browser.navigate(url + QStringLiteral("?i=%1").arg(n++));
        const QDeadlineTimer deadline(30000);
        while (filledAt < 0 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (filledAt < 0 || tab.titleField()->text() != QLatin1String("Big page")) {
            state.SkipWithError("the fields were not filled");
            break;
        }
        state.SetIterationTime(filledAt / 1e9);
        totalMs.push_back(filledAt / 1e6);
        afterLoadMs.push_back((filledAt - loadFinishedAt) / 1e6);
        snapshotMs.push_back(double(browser.lastSnapshotMs()));
    }
}
BENCHMARK(BM_NavigateToFilledFields)
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    prepareHeadlessRun();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double total = median(totalMs), after = median(afterLoadMs), snap = median(snapshotMs);
    std::printf("Navigate to filled fields, 2,000 elements: median %.1f ms\n", total);
    std::printf("Load finished to filled fields: median %.1f ms (target: within 50 ms)\n", after);
    std::printf(
        "Snapshot (script round trip and parse): median %.1f ms, %.0f%% of the time after "
        "the load, %.0f%% of the whole\n",
        snap, after > 0 ? 100 * snap / after : 0, total > 0 ? 100 * snap / total : 0);
    return 0;
}
