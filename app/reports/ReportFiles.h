#pragma once
// The two reports' rows read from the database, the texts their preview lists
// show, and their report files: what the report windows and any caller without
// a window share.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

#include "ReportLogic.h"
#include "core/FileReplace.h"
#include "core/Recordset.h"

namespace listcaster {
class TableSource;
}

namespace fd {

class CADODBAccess;

// Runs the report query for the filter and reads every row (submissions with
// what each engine answered, when the database keeps answers). Throws
// AppError (91) when the query could not run.
std::vector<ChangeRequestRow> readChangeRequests(const CADODBAccess& db, const ReportFilter& f);
std::vector<SubmissionRow> readSubmissions(const CADODBAccess& db, const ReportFilter& f);
// The rows of a report query's answer (changeRequestQuery, submissionQuery,
// or submissionAnswerQuery, whose answers fill each row's answer).
std::vector<ChangeRequestRow> changeRequestRows(Recordset& rs);
std::vector<SubmissionRow> submissionRows(Recordset& rs);

// The date as a list shows a date value: the short date of the user's
// locale, with the time when there is one.
QString listDate(const QDateTime& dt);

// The preview lists' column captions and the texts of one row. The
// submission list ends with what the engine answered ("Answer").
QStringList changeRequestListColumns();
QStringList changeRequestListRow(const ChangeRequestRow& r);
QStringList submissionListColumns();
QStringList submissionListRow(const SubmissionRow& r);

// The whole report file: the header line, then one line per row.
QByteArray changeLogBytes(const std::vector<ChangeRequestRow>& rows);
QByteArray submissionLogBytes(const std::vector<SubmissionRow>& rows);

// The report's preview list as an Excel workbook, written by the list export
// control's workbook writer as it writes it from a preview window that has
// just opened (its columns, widths and title). The file is replaced whole or
// not at all; throws AppError on failure.
void writeChangeRequestWorkbook(const QString& path, const std::vector<ChangeRequestRow>& rows);
void writeSubmissionWorkbook(const QString& path, const std::vector<SubmissionRow>& rows);

// Any list as a workbook or as tab-separated text (its column captions and a
// rule, under a title block), written by the list export control's writers.
// The file is replaced whole or not at all; throws AppError on failure.
void writeListWorkbook(const QString& path, const listcaster::TableSource& list,
                       const QString& title);
void writeListText(const QString& path, const listcaster::TableSource& list, const QString& title);

// "E&xport Report": the report file copied to target, which it replaces
// whole or not at all. Throws AppError: 53 when the report cannot be read,
// 70 (with the system's reason) when target cannot be written; target is
// then as it was.
void exportReportFile(const QString& report, const QString& target);

// A report file written line by line, beside the earlier report under a
// temporary name: close() puts the finished report in its place, so a
// failure or a crash before then leaves the earlier report as it was.
// Throws AppError (70, permission denied) when the file cannot be created or
// written, saying why.
class ReportFileWriter {
public:
    ReportFileWriter(const QString& path, const QByteArray& header);
    void writeLine(const QByteArray& line);
    void close();

private:
    void writePending();
    [[noreturn]] void fail();
    FileReplacement file_;
    QByteArray pending_;
};

}  // namespace fd
