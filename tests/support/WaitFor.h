#pragma once
// Runs the event loop until a condition holds, for tests that wait on the
// browser, a peer process or a queued call. Bounded: false when the time is up.

#include <QDeadlineTimer>
#include <QTest>
#include <functional>

namespace fd::test {

inline bool waitFor(const std::function<bool()>& done, int ms = 30000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(20);
    }
    return true;
}

}  // namespace fd::test
