#pragma once
// The processor time of a benchmark's runs, printed beside the machine's load.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace fd::bench {

// The processor time of the whole program so far (every thread), in ms.
inline double processCpuMs() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Prints the median of the runs' processor times after `label`, with the
// machine's load: wall time waits for the disk and, on a busy machine, for a
// processor, while the processor time is the program's own work.
inline void printProcessorMedian(const char* label, std::vector<double> cpuMs) {
    if (cpuMs.empty()) return;
    std::sort(cpuMs.begin(), cpuMs.end());
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf("%s%8.1f ms   (load average %.1f on %d processors)\n", label,
                cpuMs[cpuMs.size() / 2], load[0], int(sysconf(_SC_NPROCESSORS_ONLN)));
}

}  // namespace fd::bench
