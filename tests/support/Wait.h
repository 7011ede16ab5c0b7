#pragma once
// Runs the event loop until a condition holds, for a bounded while.

#include <QDeadlineTimer>
#include <QTest>
#include <functional>

namespace fd::test {

// True once done() holds; false when ms have passed first.
inline bool waitFor(const std::function<bool()>& done, int ms = 30000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(20);
    }
    return true;
}

}  // namespace fd::test
