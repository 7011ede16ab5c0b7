#include "ReportLogic.h"

#include <cmath>

#include "core/JetSql.h"

namespace fd {

namespace {

// "(Column="a" " for the first selected site, then " OR Column="b" " for
// each further one; the caller closes the bracket.
QString siteFilter(const QString& column, const QStringList& sites) {
    QString filter;
    for (const QString& s : sites) {
        const QString term = column + u'=' + dq(s) + u' ';
        filter = filter.isEmpty() ? u'(' + term : filter + QStringLiteral(" OR ") + term;
    }
    return filter;
}

QString dateCondition(const QString& column, const ReportFilter& f) {
    const ReportFilter days = wholeDays(f);
    return QStringLiteral("where  ((") + column + QStringLiteral(" between #") +
           jetDateTime(days.from) + QStringLiteral("# And #") + jetDateTime(days.to) +
           QStringLiteral("#) ");
}

QString withFilter(QString sql, const QString& filter) {
    if (!filter.isEmpty()) sql += QStringLiteral(" AND ") + filter + u')';
    return sql + u')';
}

QByteArray line(const QStringList& fields) {
    return fields.join(u'|').toUtf8() + "\r\n";
}

// A page-detail field in a report line: "|" would split the record into
// fields and a line break into lines, so each becomes ":" (a CR LF pair one
// ":").
QString oneLineField(QString s) {
    s.replace(QStringLiteral("\r\n"), QStringLiteral(":"));
    for (const QChar c : {u'|', u'\r', u'\n'}) s.replace(c, u':');
    return s;
}

}  // namespace

ReportFilter wholeDays(const ReportFilter& f) {
    ReportFilter days = f;
    days.from = QDateTime(f.from.date(), QTime(0, 0, 0));
    days.to = QDateTime(f.to.date(), QTime(23, 59, 59));
    return days;
}

QString changeRequestQuery(const ReportFilter& f) {
    const QString sql = QStringLiteral(
                            "Select SubmissionDate, RootWebSite, "
                            "WebPage,PageTitle,Revisit,Author,Description,Keywords "
                            "from WebPageUpdateRequests ") +
                        dateCondition(QStringLiteral("SubmissionDate"), f);
    return withFilter(sql, siteFilter(QStringLiteral("RootWebSite"), f.sites)) +
           QStringLiteral(" order by SubmissionDate");
}

namespace {

QString submissionSelect(bool withAnswers) {
    QString sql = QStringLiteral(
        "Select Submissions.SubmitDate, SearchEngines.SearchEngineName, "
        "WebSiteNames.WebSiteBaseURL, WebSitePages.PageURL ");
    if (withAnswers)
        sql += QStringLiteral(", SubmissionAnswers.HTTPStatus, SubmissionAnswers.AnswerText ");
    sql += QStringLiteral(
        "from WebSitePages INNER JOIN (WebSiteNames INNER JOIN (SearchEngines INNER JOIN "
        "Submissions ON SearchEngines.SearchEngineID = Submissions.SearchEngineID) ON "
        "WebSiteNames.WebSiteNameID = Submissions.WebSiteNameID) ON "
        "WebSitePages.WebSitePageID = Submissions.WebSitePageID ");
    // Every submission stays, with or without an answer on record.
    if (withAnswers)
        sql += QStringLiteral(
            "LEFT JOIN SubmissionAnswers ON SubmissionAnswers.SubmissionID = "
            "Submissions.SubmissionID ");
    return sql;
}

QString submissionReportQuery(const ReportFilter& f, bool withAnswers) {
    const QString sql =
        submissionSelect(withAnswers) + dateCondition(QStringLiteral("Submissions.SubmitDate"), f);
    return withFilter(sql, siteFilter(QStringLiteral("WebSiteBaseURL"), f.sites)) +
           QStringLiteral("order by Submissions.SubmitDate, SearchEngines.SearchEngineName");
}

}  // namespace

QString submissionQuery(const ReportFilter& f) {
    return submissionReportQuery(f, false);
}

QString submissionAnswerQuery(const ReportFilter& f) {
    return submissionReportQuery(f, true);
}

QString latestChangeRequestQuery(const QString& webPage) {
    // Every request of a page shares its WebSiteID, so the newest is found by
    // its date, and among requests of one day by the counter.
    return QStringLiteral(
               "SELECT PageTitle, Revisit, Author, Description,Keywords from "
               "WebPageupdateRequests WHERE WebPage = ") +
           dq(webPage) + QStringLiteral(" ORDER BY SubmissionDate Desc, ChangeRequestID Desc");
}

QDateTime storedDate(const QString& text) {
    if (text.trimmed().isEmpty()) return {};
    return parseJetDate(text.trimmed()).value_or(QDateTime());
}

QString reportDate(const QDateTime& dt) {
    return dt.isValid() ? dt.toString(QStringLiteral("MM/dd/yy")) : QString();
}

QByteArray changeLogHeader() {
    return line({QStringLiteral("Date"), QStringLiteral("Root"), QStringLiteral("SubmitPage"),
                 QStringLiteral("Title"), QStringLiteral("Revisit"), QStringLiteral("Author"),
                 QStringLiteral("Description"), QStringLiteral("Keywords")});
}

QByteArray changeLogLine(const ChangeRequestRow& r) {
    return line({reportDate(r.date), r.root, r.webPage, oneLineField(r.title),
                 oneLineField(r.revisit), oneLineField(r.author), oneLineField(r.description),
                 oneLineField(r.keywords)});
}

QString pageWithoutRoot(const QString& webPage, const QString& root) {
    if (root.isEmpty()) return webPage;
    return QString(webPage).remove(root, Qt::CaseSensitive);
}

QString submissionPageAddress(const QString& baseUrl, const QString& pageUrl) {
    return (baseUrl + pageUrl).left(kMaxPageAddress);
}

QString submissionListAddress(const QString& address) {
    const qsizetype at = address.lastIndexOf(QStringLiteral("http://"));
    return at < 0 ? address : address.mid(at);
}

QString submissionAnswerText(const QString& status, const QString& text) {
    if (status.isEmpty()) return text;
    return text.isEmpty() ? status : status + u' ' + text;
}

QByteArray submissionLogHeader() {
    return line(
        {QStringLiteral("Date"), QStringLiteral("SearchEngineName"), QStringLiteral("URL")});
}

QByteArray submissionLogLine(const SubmissionRow& r) {
    return line({reportDate(r.date), r.engine, submissionPageAddress(r.baseUrl, r.pageUrl)});
}

std::optional<std::vector<int>> changeRequestColumnWidths(int innerWidth, int columns) {
    if (columns <= 0) return std::nullopt;
    // Halves go to the even neighbour (the default rounding mode).
    const int avg = static_cast<int>(std::nearbyint(static_cast<double>(innerWidth) / columns));
    if (avg <= 900) return std::nullopt;
    // By position: narrow, wide, wide, plain, wide, plain, narrow, narrow.
    static const int offsets[] = {-900, 900, 900, 0, 900, 0, -900, -900};
    std::vector<int> widths;
    for (int i = 0; i < columns; ++i) widths.push_back(avg + (i < 8 ? offsets[i] : 0));
    return widths;
}

int submissionLastColumnWidth(int listWidth, int firstWidth, int secondWidth, int answerWidth) {
    const int rest = listWidth - firstWidth - secondWidth - answerWidth;
    return rest < 1 ? 50 : rest;
}

}  // namespace fd
