#pragma once
// Runs a piece of the program's real work in a child process and kills it
// with SIGKILL at random moments, checking after every kill that what it was
// writing is still whole. The delays come from a fixed seed (printed, and
// settable through FARROWDALE_CRASH_SEED); FARROWDALE_CRASH_KILLS sets the
// number of kills per case.

#include <functional>
#include <string>

namespace fd::test {

struct KillCase {
    const char* name;
    // In this process, before every run: puts the old state in place.
    std::function<void()> arrange;
    // In the child: anything the work needs that is not part of it (an
    // application object, a list to export), done before the clock starts.
    std::function<void()> prepare;
    // In the child: the work itself, from start to end. An exception fails
    // the case.
    std::function<void()> work;
    // In this process, once the first run has been left to finish: records
    // the new state the work leaves.
    std::function<void()> recordNew;
    // In this process, after every kill: "" when the state is whole (the old
    // one, the new one, or for a series of writes any state a committed
    // write leaves), else what is wrong.
    std::function<std::string()> check;
};

struct KillReport {
    int kills = 0;        // runs killed before they ended
    int finished = 0;     // runs that ended before the kill came
    std::string failure;  // the first broken state, "" when none
};

// The seed and the number of kills per case this run uses.
unsigned crashSeed();
int crashKills();

// Runs the case: one run left to finish (timing the work), then runs each
// killed after a random delay between 0 and 1.1 times that time, until
// crashKills() of them were killed before they ended.
KillReport runKillLoop(const KillCase& c);

// Runs fn in a child process (where it may change what a process can only
// change for itself: its mounts, its file-size limit) and returns fn's
// answer, or why the child failed.
std::string runInChild(const std::function<std::string()>& fn);

}  // namespace fd::test
