#pragma once
// A failure as the program reports it: number, description and source, the
// three values every error-log line carries.

#include <QString>
#include <exception>
#include <functional>

namespace fd {

// Error numbers the program's platform stand-ins raise.
namespace err {
constexpr long kDialogCancelled = 32755;
constexpr long kTransferBusy = 35764;
constexpr long kCannotConnect = 35754;
constexpr long kTransferTimedOut = 35761;  // no answer within the time limit
constexpr long kTransferFailed = 35750;    // any other transfer failure
constexpr long kFileNotFound = 53;
constexpr long kPathNotFound = 76;
constexpr long kPermissionDenied = 70;
constexpr long kPathFileAccess = 75;
constexpr long kDatabase = 3001;
constexpr long kInvalidProcedureCall = 5;
}  // namespace err

class AppError : public std::exception {
public:
    AppError(long number, QString description, QString source)
        : number_(number),
          description_(std::move(description)),
          source_(std::move(source)),
          what_(description_.toStdString()) {}
    long number() const { return number_; }
    const QString& description() const { return description_; }
    const QString& source() const { return source_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    long number_;
    QString description_;
    QString source_;
    std::string what_;
};

// Where failures are written; the program's error log implements it.
class ErrorSink {
public:
    virtual ~ErrorSink() = default;
    virtual void write(const QString& routine, long number, const QString& description,
                       const QString& source) = 0;
};

// A routine with a "resume" handler: each step runs through step(); a failing
// step is logged under the routine's label and the routine goes on with the
// next one.
class ResumeTrap {
public:
    ResumeTrap(ErrorSink& sink, QString routine) : sink_(sink), routine_(std::move(routine)) {}
    // Runs fn; returns false when it failed (and was logged).
    bool step(const std::function<void()>& fn);
    int failures() const { return failures_; }

private:
    ErrorSink& sink_;
    QString routine_;
    int failures_ = 0;
};

// A routine with a "leave" handler: runs the whole body once; the first
// failure is logged under the routine's label and the routine returns.
// Returns true when the body completed.
bool leaveOnError(ErrorSink& sink, const QString& routine, const std::function<void()>& body);

// Logs any failure of fn under routine; returns true when fn completed.
void logFailure(ErrorSink& sink, const QString& routine, const std::exception& e);

}  // namespace fd
