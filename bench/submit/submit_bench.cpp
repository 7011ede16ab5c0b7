// UpdateSearchEngineLists over a catalogue of 5,000 engines (both lists,
// offscreen), and recording one submission: site, root URL, page, engine and
// the Submissions row, one connection per statement. Prints the medians
// beside their targets (0.3 s and 20 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <string>

#include "core/Globals.h"
#include "core/ProgramFolder.h"
#include "submit/EngineListView.h"
#include "submit/SubmissionRecord.h"
#include "support/Headless.h"
#include "support/MedianReporter.h"

namespace {

constexpr int kEngines = 5000;

QTemporaryDir* gDir = nullptr;
fd::Globals* gGlobals = nullptr;

void prepare() {
    gDir = new QTemporaryDir;
    const auto prep = fd::prepareProgramFolder(gDir->path(), QStringLiteral(FARROWDALE_DATA_DIR));
    if (!prep.ok) {
        std::fprintf(stderr, "cannot prepare the program folder: %s\n", qPrintable(prep.message));
        std::exit(1);
    }
    gGlobals = new fd::Globals(gDir->path());
    gGlobals->gDB->execute(QStringLiteral("DELETE FROM SearchEngines"));
    // One statement with every engine: names, templates of varied length,
    // popularity 0..9 (a tenth of them left out for beginning with "4").
    QString sql = QStringLiteral(
        "INSERT INTO SearchEngines (SearchEngineID, SearchEngineName, ReviewQueryString, "
        "SubmitQueryString, SearchEngineTips, HTTPReviewMethod, HTTPSubmitMethod, Popularity) "
        "VALUES ");
    for (int i = 0; i < kEngines; ++i) {
        if (i) sql += u',';
        sql += QStringLiteral(
                   "(%1, 'Engine %1', 'http://review%1.example/find?q=site:<%URL%>', "
                   "'http://submit%1.example/add?url=<%URL%>&email=<%EMAIL%>&cc=<%COUNTRY%>', "
                   "'%2', 'get', '%3', %4)")
                   .arg(i)
                   .arg(i % 3 ? QStringLiteral("Takes a day or two to list a page.") : QString())
                   .arg(i % 5 ? QStringLiteral("get") : QStringLiteral("post"))
                   .arg(i % 10);
    }
    gGlobals->gDB->execute(sql);
}

void BM_UpdateSearchEngineLists(benchmark::State& state) {
    fd::EngineListView review(QStringLiteral("lvwReviewList"), 1600, 1100);
    fd::EngineListView submission(QStringLiteral("lvwSubmissionList"), 1500, 1000);
    review.resize(800, 300);
    submission.resize(800, 300);
    review.show();
    submission.show();
    for (auto _ : state) {
        fd::UpdateSearchEngineLists(*gGlobals->gDB, *gGlobals->errorLog, review, submission);
        QApplication::processEvents();
    }
    state.counters["entries"] = review.topLevelItemCount() + submission.topLevelItemCount();
}
BENCHMARK(BM_UpdateSearchEngineLists)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// A new page of a known site each time: R1, R2 and R5 find their rows, R4
// inserts and reads back, R6 inserts.
void BM_RecordSubmission(benchmark::State& state) {
    fd::SubmissionInput in;
    in.siteName = QStringLiteral("Acme Tools");
    in.rootUrl = QStringLiteral("http://www.acme.example/");
    in.email = QStringLiteral("webmaster@acme.example");
    in.description = QStringLiteral("Hand tools and parts, shipped the same day.");
    in.keywords = QStringLiteral("tools, parts, hammers");
    in.engineName = QStringLiteral("Engine 1");
    static int page = 0;
    for (auto _ : state) {
        in.submissionUrl =
            QStringLiteral("http://www.acme.example/catalogue/item%1.htm").arg(++page);
        const fd::RecordResult r = fd::recordSubmission(*gGlobals->gDB, in, false);
        if (r.outcome != fd::RecordOutcome::Recorded) state.SkipWithError("not recorded");
    }
}
BENCHMARK(BM_RecordSubmission)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    prepareHeadlessRun();
    QApplication app(argc, argv);
    prepare();
    std::map<std::string, double> medians = runKeepingMedians(&argc, argv);
    benchmark::Shutdown();
    auto line = [&](const char* name, const char* what, double targetMs) {
        const auto it = medians.find(name);
        if (it == medians.end()) return;
        std::printf("%s: median %.2f ms; target at most %.0f ms -> %s\n", what, it->second,
                    targetMs, it->second <= targetMs ? "met" : "MISSED");
    };
    std::printf("\n");
    line("BM_UpdateSearchEngineLists", "UpdateSearchEngineLists, 5,000 engines", 300);
    line("BM_RecordSubmission", "Recording one submission (R1 to R6)", 20);
    delete gGlobals;
    delete gDir;
    return 0;
}
