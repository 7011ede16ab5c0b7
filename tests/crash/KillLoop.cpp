#include "KillLoop.h"

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>

namespace fd::test {

namespace {

int envNumber(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

void writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += std::size_t(n);
    }
}

std::string readAll(int fd) {
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) out.append(buf, std::size_t(n));
    return out;
}

// A started child: its pid, and the pipe on which it says it is ready.
struct Child {
    pid_t pid = -1;
    int ready = -1;
};

// Forks a child that prepares, says it is ready, works and exits: 0 when the
// work ended, 3 when it threw.
Child startChild(const KillCase& c) {
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::close(fds[0]);
        int code = 0;
        try {
            if (c.prepare) c.prepare();
            writeAll(fds[1], "R");
            c.work();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: the work failed: %s\n", c.name, e.what());
            code = 3;
        } catch (...) {
            std::fprintf(stderr, "%s: the work failed\n", c.name);
            code = 3;
        }
        std::fflush(stderr);
        ::_exit(code);
    }
    ::close(fds[1]);
    return {pid, fds[0]};
}

bool waitReady(Child& child) {
    char byte = 0;
    const bool ok = ::read(child.ready, &byte, 1) == 1;
    ::close(child.ready);
    return ok;
}

int waitExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return status;
}

}  // namespace

unsigned crashSeed() {
    return unsigned(envNumber("FARROWDALE_CRASH_SEED", 20261208));
}

int crashKills() {
    return envNumber("FARROWDALE_CRASH_KILLS", 200);
}

KillReport runKillLoop(const KillCase& c) {
    using Clock = std::chrono::steady_clock;
    KillReport report;

    // The first run is left to finish: its time bounds the delays, and what
    // it leaves is the new state.
    c.arrange();
    Child first = startChild(c);
    if (!waitReady(first)) {
        report.failure = "the child ended before it was ready";
        waitExit(first.pid);
        return report;
    }
    const Clock::time_point start = Clock::now();
    const int status = waitExit(first.pid);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        report.failure = "the work did not finish when left alone";
        return report;
    }
    if (c.recordNew) c.recordNew();
    if (std::string broken = c.check(); !broken.empty()) {
        report.failure = "after a finished run: " + broken;
        return report;
    }

    std::mt19937 random(crashSeed() ^ std::hash<std::string>{}(c.name));
    // The first run's time bounds the delays; a run that ends before its kill
    // comes shows the work can be quicker (the first may have met a busy
    // machine), and the bound comes down to that delay.
    long long bound = took.count() * 11 / 10;
    // Runs that end before their kill comes do not count: the loop goes on
    // until crashKills() kills have landed during the work (five times as
    // many runs at most).
    for (int i = 0; report.kills < crashKills() && i < 5 * crashKills(); ++i) {
        c.arrange();
        Child child = startChild(c);
        if (!waitReady(child)) {
            report.failure = "the child ended before it was ready";
            waitExit(child.pid);
            return report;
        }
        const long long us = std::uniform_int_distribution<long long>(0, bound)(random);
        const timespec pause{time_t(us / 1000000), long(us % 1000000) * 1000};
        ::nanosleep(&pause, nullptr);
        ::kill(child.pid, SIGKILL);
        const int s = waitExit(child.pid);
        if (WIFSIGNALED(s))
            ++report.kills;
        else if (WIFEXITED(s) && WEXITSTATUS(s) == 0) {
            ++report.finished;
            bound = std::max(1LL, us);
        } else {
            report.failure = "the work failed in run " + std::to_string(i);
            return report;
        }
        if (std::string broken = c.check(); !broken.empty()) {
            report.failure = "after the kill " + std::to_string(i) + " at " + std::to_string(us) +
                             " us: " + broken;
            return report;
        }
    }
    std::printf("%s: seed %u, %d kills during the work, %d runs finished first (one run %lld us)\n",
                c.name, crashSeed(), report.kills, report.finished,
                static_cast<long long>(took.count()));
    std::fflush(stdout);
    return report;
}

std::string runInChild(const std::function<std::string()>& fn) {
    int fds[2];
    if (::pipe(fds) != 0) return "pipe failed";
    const pid_t pid = ::fork();
    if (pid < 0) return "fork failed";
    if (pid == 0) {
        ::close(fds[0]);
        std::string out;
        try {
            out = fn();
        } catch (const std::exception& e) {
            out = std::string("the child failed: ") + e.what();
        } catch (...) {
            out = "the child failed";
        }
        writeAll(fds[1], out);
        ::_exit(0);
    }
    ::close(fds[1]);
    const std::string out = readAll(fds[0]);
    ::close(fds[0]);
    waitExit(pid);
    return out;
}

}  // namespace fd::test
