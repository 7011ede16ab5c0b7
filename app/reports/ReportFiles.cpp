#include "ReportFiles.h"

#include <listcaster/ExcelWorkbook.h>
#include <listcaster/TextTable.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryFile>

#include "core/AppError.h"
#include "core/CADODBAccess.h"
#include "core/CommonFunctions.h"

namespace fd {

namespace {

// The rows of a report query; a query that could not run fails here, on
// the first use of its result.
RecordsetPtr runReport(const CADODBAccess& db, const QString& sql) {
    RecordsetPtr rs = db.fnSQL_RS(sql);
    if (!rs)
        throw AppError(91, QStringLiteral("Object variable or With block variable not set"),
                       QStringLiteral("Farrowdale"));
    return rs;
}

// The list texts of every row, as the workbook's cells.
template <class Row>
std::vector<std::vector<QString>> listCells(const std::vector<Row>& rows,
                                            QStringList (*listRow)(const Row&)) {
    std::vector<std::vector<QString>> cells;
    cells.reserve(rows.size());
    for (const Row& r : rows) {
        const QStringList texts = listRow(r);
        cells.emplace_back(texts.begin(), texts.end());
    }
    return cells;
}

// Twips of a width in pixels at 96 dots per inch.
constexpr int twipsOf(int pixels) {
    return pixels * 15;
}

}  // namespace

std::vector<ChangeRequestRow> readChangeRequests(const CADODBAccess& db, const ReportFilter& f) {
    return changeRequestRows(*runReport(db, changeRequestQuery(f)));
}

std::vector<SubmissionRow> readSubmissions(const CADODBAccess& db, const ReportFilter& f) {
    // With what each engine answered; a database without the answer table
    // still gives its report, with no answers.
    RecordsetPtr rs = db.fnSQL_RS(submissionAnswerQuery(f));
    if (!rs) rs = runReport(db, submissionQuery(f));
    return submissionRows(*rs);
}

std::vector<ChangeRequestRow> changeRequestRows(Recordset& rs) {
    std::vector<ChangeRequestRow> rows;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        ChangeRequestRow r;
        r.date = storedDate(rs.field(QStringLiteral("SubmissionDate")));
        r.root = rs.field(QStringLiteral("RootWebSite"));
        r.webPage = rs.field(QStringLiteral("WebPage"));
        r.title = rs.field(QStringLiteral("PageTitle"));
        r.revisit = rs.field(QStringLiteral("Revisit"));
        r.author = rs.field(QStringLiteral("Author"));
        r.description = rs.field(QStringLiteral("Description"));
        r.keywords = rs.field(QStringLiteral("Keywords"));
        rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<SubmissionRow> submissionRows(Recordset& rs) {
    std::vector<SubmissionRow> rows;
    // The answers, when the rows come from the query that joins them.
    const bool answers = rs.columns().contains(QStringLiteral("AnswerText"), Qt::CaseInsensitive);
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        SubmissionRow r;
        r.date = storedDate(rs.field(QStringLiteral("SubmitDate")));
        r.engine = rs.field(QStringLiteral("SearchEngineName"));
        r.baseUrl = rs.field(QStringLiteral("WebSiteBaseURL"));
        r.pageUrl = rs.field(QStringLiteral("PageURL"));
        if (answers)
            r.answer = submissionAnswerText(rs.field(QStringLiteral("HTTPStatus")),
                                            rs.field(QStringLiteral("AnswerText")));
        rows.push_back(std::move(r));
    }
    return rows;
}

QString listDate(const QDateTime& dt) {
    if (!dt.isValid()) return {};
    const QLocale locale;
    if (dt.time() == QTime(0, 0)) return locale.toString(dt.date(), QLocale::ShortFormat);
    return locale.toString(dt, QLocale::ShortFormat);
}

QStringList changeRequestListColumns() {
    return {QStringLiteral("Date"),        QStringLiteral("Root Web Site"),
            QStringLiteral("Web Page"),    QStringLiteral("Page Title"),
            QStringLiteral("Description"), QStringLiteral("Keywords"),
            QStringLiteral("Revisit"),     QStringLiteral("Author")};
}

QStringList changeRequestListRow(const ChangeRequestRow& r) {
    return {listDate(r.date), r.root,        pageWithoutRoot(r.webPage, r.root),
            r.title,          r.description, r.keywords,
            r.revisit,        r.author};
}

QStringList submissionListColumns() {
    return {QStringLiteral("Date"), QStringLiteral("Search Engine"), QStringLiteral("Web Page"),
            QStringLiteral("Answer")};
}

QStringList submissionListRow(const SubmissionRow& r) {
    return {reportDate(r.date), r.engine,
            submissionListAddress(submissionPageAddress(r.baseUrl, r.pageUrl)), r.answer};
}

QByteArray changeLogBytes(const std::vector<ChangeRequestRow>& rows) {
    QByteArray bytes = changeLogHeader();
    for (const ChangeRequestRow& r : rows) bytes += changeLogLine(r);
    return bytes;
}

QByteArray submissionLogBytes(const std::vector<SubmissionRow>& rows) {
    QByteArray bytes = submissionLogHeader();
    for (const SubmissionRow& r : rows) bytes += submissionLogLine(r);
    return bytes;
}

void writeListWorkbook(const QString& path, const listcaster::TableSource& list,
                       const QString& title) {
    // libxlsxwriter writes to a file of its own: a temporary one, whose bytes
    // then replace the target whole.
    QTemporaryFile tmp;
    if (!tmp.open())
        throw AppError(err::kPathNotFound, tmp.errorString(), QStringLiteral("Farrowdale"));
    listcaster::WorkbookOptions options;
    options.header = title;
    try {
        listcaster::writeWorkbook(QFile::encodeName(tmp.fileName()), list, options);
    } catch (const listcaster::WorkbookError& e) {
        throw AppError(e.number, e.description, QStringLiteral("Farrowdale"));
    }
    tmp.seek(0);
    const QByteArray bytes = tmp.readAll();
    FileReplacement file(path);
    if (bytes.isEmpty() || !file.replaceWith(bytes))
        throw AppError(err::kPermissionDenied, file.errorString(), QStringLiteral("Farrowdale"));
}

void writeListText(const QString& path, const listcaster::TableSource& list, const QString& title) {
    FileReplacement file(path);
    if (!file.open())
        throw AppError(err::kPermissionDenied, file.errorString(), QStringLiteral("Farrowdale"));
    listcaster::TextTableOptions options;
    options.header = title;
    if (const auto failure = listcaster::writeTextTable(list, options, file.device()))
        throw AppError(failure->number, failure->description, QStringLiteral("Farrowdale"));
    if (!file.commit())
        throw AppError(err::kPermissionDenied, file.errorString(), QStringLiteral("Farrowdale"));
}

void writeChangeRequestWorkbook(const QString& path, const std::vector<ChangeRequestRow>& rows) {
    const QStringList captions = changeRequestListColumns();
    const auto widths = changeRequestColumnWidths(twipsOf(kChangeRequestPreviewWidth),
                                                  static_cast<int>(captions.size()));
    std::vector<listcaster::TableRows::Column> columns;
    for (qsizetype c = 0; c < captions.size(); ++c)
        columns.push_back({captions[c], widths ? (*widths)[static_cast<std::size_t>(c)] : 1440});
    writeListWorkbook(
        path, listcaster::TableRows(std::move(columns), listCells(rows, changeRequestListRow)),
        kChangeRequestPreviewTitle);
}

void writeSubmissionWorkbook(const QString& path, const std::vector<SubmissionRow>& rows) {
    const QStringList captions = submissionListColumns();
    const int listWidth = twipsOf(kSubmissionPreviewWidth) - 20;
    std::vector<listcaster::TableRows::Column> columns = {
        {captions[0], kSubmissionDateWidth},
        {captions[1], kSubmissionEngineWidth},
        {captions[2], submissionLastColumnWidth(listWidth, kSubmissionDateWidth,
                                                kSubmissionEngineWidth, kSubmissionAnswerWidth)},
        {captions[3], kSubmissionAnswerWidth}};
    writeListWorkbook(path,
                      listcaster::TableRows(std::move(columns), listCells(rows, submissionListRow)),
                      kSubmissionPreviewTitle);
}

void exportReportFile(const QString& report, const QString& target) {
    QFile source(report);
    if (!source.open(QIODevice::ReadOnly))
        throw AppError(err::kFileNotFound, QStringLiteral("File not found"),
                       QStringLiteral("Farrowdale"));
    const QByteArray bytes = source.readAll();
    FileReplacement file(target);
    if (source.error() != QFileDevice::NoError || !file.replaceWith(bytes))
        throw AppError(err::kPermissionDenied,
                       QStringLiteral("Permission denied: %1: %2")
                           .arg(QDir::toNativeSeparators(target),
                                source.error() != QFileDevice::NoError ? source.errorString()
                                                                       : file.errorString()),
                       QStringLiteral("Farrowdale"));
}

ReportFileWriter::ReportFileWriter(const QString& path, const QByteArray& header) : file_(path) {
    if (!file_.open()) fail();
    pending_ = header;
}

void ReportFileWriter::writeLine(const QByteArray& line) {
    pending_ += line;
    if (pending_.size() >= (1 << 20)) writePending();
}

void ReportFileWriter::close() {
    writePending();
    if (!file_.commit()) fail();
}

void ReportFileWriter::writePending() {
    if (file_.device().write(pending_) != pending_.size()) fail();
    pending_.clear();
}

void ReportFileWriter::fail() {
    const QString why = file_.errorString();
    file_.cancel();
    throw AppError(err::kPermissionDenied,
                   QStringLiteral("Permission denied: %1: %2")
                       .arg(QDir::toNativeSeparators(file_.path()), why),
                   QStringLiteral("Farrowdale"));
}

}  // namespace fd
