#include "AppError.h"

namespace fd {

void logFailure(ErrorSink& sink, const QString& routine, const std::exception& e) {
    if (auto* app = dynamic_cast<const AppError*>(&e)) {
        sink.write(routine, app->number(), app->description(), app->source());
    } else {
        sink.write(routine, err::kInvalidProcedureCall, QString::fromLocal8Bit(e.what()),
                   QStringLiteral("Farrowdale"));
    }
}

bool ResumeTrap::step(const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        ++failures_;
        logFailure(sink_, routine_, e);
        return false;
    }
}

bool leaveOnError(ErrorSink& sink, const QString& routine, const std::function<void()>& body) {
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        logFailure(sink, routine, e);
        return false;
    }
}

}  // namespace fd
