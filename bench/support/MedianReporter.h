#pragma once
// A console reporter that also keeps each benchmark's median wall time in
// milliseconds, so a program can print its figure beside its target (or
// beside a peer's figure) after the runs.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class MedianReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> medianMs;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.aggregate_name == "median")
                medianMs[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

// Registers a benchmark timed by the wall clock, one run per repetition, with
// only the aggregates (mean, median, spread) reported.
#define FD_WALL_BENCHMARK(fn, repetitions) \
    BENCHMARK(fn)                          \
        ->Unit(benchmark::kMillisecond)    \
        ->UseRealTime()                    \
        ->Iterations(1)                    \
        ->Repetitions(repetitions)         \
        ->ReportAggregatesOnly(true)

// Runs the registered benchmarks and returns each one's median in ms.
inline std::map<std::string, double> runKeepingMedians(int* argc, char** argv) {
    benchmark::Initialize(argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return reporter.medianMs;
}
