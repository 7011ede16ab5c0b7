#pragma once
// The plain logic of the two reports: the queries the report dialog's values
// give, the lines of the report files, what the preview lists show and the
// column widths of the preview windows. No widgets here.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace fd {

// What the report dialog hands a report: the date range (date and time of
// day) and the selected site-filter entries, in list order.
struct ReportFilter {
    QDateTime from;
    QDateTime to;
    QStringList sites;
};

// Report types of the dialog's "Report:" box.
enum class ReportType { ChangeRequests = 0, Submissions = 1 };

inline constexpr const char* kChangeLogFile = "changelog.txt";
inline constexpr const char* kSubmissionLogFile = "submissionlog.txt";

// The range widened to whole days: from the first moment of the start date to
// the last second of the end date. Change requests are stored at midnight, so
// the pickers' time of day must not cut the first or the last day short.
ReportFilter wholeDays(const ReportFilter& f);

// The queries, over whole days. Dates are written as month/day/year literals
// in a fixed form, whatever the user's locale; site texts are quoted with
// every " doubled.
QString changeRequestQuery(const ReportFilter& f);
QString submissionQuery(const ReportFilter& f);
// The submission query with what each engine answered as two more columns,
// HTTPStatus and AnswerText (null when no answer is on record): the same
// rows in the same order.
QString submissionAnswerQuery(const ReportFilter& f);
// The query of "View Latest Change Request": the newest request for a page.
QString latestChangeRequestQuery(const QString& webPage);

// A stored date ("2026-12-07 14:05:00", or a date alone); invalid when the
// text is empty or not a date.
QDateTime storedDate(const QString& text);
// "mm/dd/yy": two-digit month, day and year, month first.
QString reportDate(const QDateTime& dt);

// One change request as the report query returns it.
struct ChangeRequestRow {
    QDateTime date;
    QString root, webPage, title, revisit, author, description, keywords;
};

// The report file's header line and one line per row, each ended by CR LF,
// in UTF-8. In the five page-detail fields "|", CR and LF become ":" (a CR LF
// pair one ":"), so every record stays one line; the date, root and page are
// written as they are.
QByteArray changeLogHeader();
QByteArray changeLogLine(const ChangeRequestRow& r);
// The "Web Page" column: the page with every occurrence of its root removed
// (exact, case-sensitive); an empty root leaves it unchanged.
QString pageWithoutRoot(const QString& webPage, const QString& root);

// One submission as the report query returns it.
struct SubmissionRow {
    QDateTime date;
    QString engine, baseUrl, pageUrl;
    QString answer;  // the "Answer" column; not part of the report file
};
inline constexpr int kMaxPageAddress = 100;
// The first 100 characters of the base address followed by the page path.
QString submissionPageAddress(const QString& baseUrl, const QString& pageUrl);
// What the "Web Page" column shows: the address from its last "http://" on,
// so a base address followed by a full page address shows the page alone.
QString submissionListAddress(const QString& address);
// The "Answer" column: the HTTP status and the answer's text ("202
// Received; ..."), the text alone when no status came, "" when no answer is
// on record.
QString submissionAnswerText(const QString& status, const QString& text);
QByteArray submissionLogHeader();
QByteArray submissionLogLine(const SubmissionRow& r);

// The preview windows' titles and the sizes (pixels) they open with.
inline const QString kChangeRequestPreviewTitle = QStringLiteral("Report Preview");
inline const QString kSubmissionPreviewTitle = QStringLiteral("Web Site Submission Report");
inline constexpr int kChangeRequestPreviewWidth = 900, kChangeRequestPreviewHeight = 500;
inline constexpr int kSubmissionPreviewWidth = 900, kSubmissionPreviewHeight = 460;
// The submission preview's first two columns and its "Answer" column (twips).
inline constexpr int kSubmissionDateWidth = 1200, kSubmissionEngineWidth = 2400;
inline constexpr int kSubmissionAnswerWidth = 3600;

// Column widths (twips) of the change-request preview for a window whose
// inner width is innerWidth: avg = innerWidth / columns rounded half to even;
// above 900, "Date", "Revisit" and "Author" get avg - 900, "Root Web Site",
// "Web Page" and "Description" avg + 900, the other two avg. Nothing (widths
// stay) when avg is 900 or less.
std::optional<std::vector<int>> changeRequestColumnWidths(int innerWidth, int columns = 8);
// The submission preview's "Web Page" column: the list width minus the two
// first columns (and the "Answer" column after it), or 50 when that leaves
// less than 1.
int submissionLastColumnWidth(int listWidth, int firstWidth, int secondWidth, int answerWidth = 0);

}  // namespace fd
