#pragma once
// Helpers for checking the failures routines raise and log.

#include <QStringList>
#include <functional>

#include "core/AppError.h"

namespace fd::test {

// The number of the AppError fn raises; 0 when it raises none.
inline long errorNumberOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const AppError& e) {
        return e.number();
    }
    return 0;
}

// An error sink that keeps each entry as "routine,number,description".
struct RecordingSink : ErrorSink {
    void write(const QString& routine, long number, const QString& description,
               const QString&) override {
        lines << QStringLiteral("%1,%2,%3").arg(routine).arg(number).arg(description);
    }
    QStringList lines;
};

}  // namespace fd::test
