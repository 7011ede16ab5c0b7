#pragma once
// errorlog.txt in the program folder: the program's only diagnostic channel.

#include <QString>

#include "AppError.h"

namespace fd {

// The fixed, locale-independent date-and-time form of the log.
QString logTimestamp();

// Appends one entry to folder/errorlog.txt, creating it with its header. The
// entry stays on one line: CR and LF inside a field are written as \r, \n.
// Failures 0, 384, 20 and "Resume without error" are not logged; the writer
// never reports or logs its own failures.
void WriteErrorLog(const QString& programFolder, const QString& routine, long number,
                   const QString& description, const QString& source);

// Appends an entry that records something the program did rather than a
// failure (error number 0, source "Main"), in the same form as the others.
void WriteLogNote(const QString& programFolder, const QString& routine, const QString& text);

class ErrorLog : public ErrorSink {
public:
    explicit ErrorLog(QString programFolder) : folder_(std::move(programFolder)) {}
    void write(const QString& routine, long number, const QString& description,
               const QString& source) override {
        WriteErrorLog(folder_, routine, number, description, source);
    }
    QString path() const;

private:
    QString folder_;
};

}  // namespace fd
