// report changes|submissions.
#include "Cli.h"
#include "reports/ReportFiles.h"

namespace fd::cli {

namespace {

// "2026-12-07" (the day's start, or with endOfDay its last second) or
// "2026-12-07T14:05[:00]" / "2026-12-07 14:05[:00]".
QDateTime parseDate(const QString& option, const QString& text, bool endOfDay) {
    const QString t = text.trimmed();
    const QDate day = QDate::fromString(t, Qt::ISODate);
    if (day.isValid() && t.size() == 10)
        return QDateTime(day, endOfDay ? QTime(23, 59, 59) : QTime(0, 0));
    for (const char* format :
         {"yyyy-MM-ddTHH:mm:ss", "yyyy-MM-ddTHH:mm", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm"}) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(format));
        if (dt.isValid()) return dt;
    }
    usage(QStringLiteral("--%1: '%2' is not a date (2026-12-07 or 2026-12-07T14:05)")
              .arg(option, text));
}

}  // namespace

int reportCommand(Invocation& in) {
    const QString kind =
        in.positional(1, QStringLiteral("the report (changes or submissions)")).first();
    if (kind != QLatin1String("changes") && kind != QLatin1String("submissions"))
        usage(QStringLiteral("unknown report '%1' (changes or submissions)").arg(kind));
    ReportFilter filter;
    filter.from = parseDate(QStringLiteral("from"), in.required(QStringLiteral("from")), false);
    filter.to = parseDate(QStringLiteral("to"), in.required(QStringLiteral("to")), true);
    if (filter.to < filter.from) usage(QStringLiteral("--to lies before --from"));
    const QString out = in.required(QStringLiteral("out"));
    const bool workbook = out.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
    if (!workbook && !out.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        usage(QStringLiteral("--out: the report is written to a .txt file or an .xlsx workbook"));

    // The dialog's site filter holds root URLs: a site stands for all of its.
    bool nothingToMatch = false;
    if (in.isSet(QStringLiteral("site"))) {
        const sites::SiteRecord site = in.site();
        for (const sites::RootRecord& r : site.roots) filter.sites << r.url;
        nothingToMatch = filter.sites.isEmpty();
    }

    const CADODBAccess& db = *in.globals().gDB;
    const bool changes = kind == QLatin1String("changes");
    std::vector<ChangeRequestRow> changeRows;
    std::vector<SubmissionRow> submissionRows;
    if (!nothingToMatch && changes)
        changeRows = changeRequestRows(*db.query(changeRequestQuery(filter)));
    if (!nothingToMatch && !changes)
        submissionRows = fd::submissionRows(*db.query(submissionQuery(filter)));
    if (workbook && changes)
        writeChangeRequestWorkbook(out, changeRows);
    else if (workbook)
        writeSubmissionWorkbook(out, submissionRows);
    else
        writeFileWhole(out,
                       changes ? changeLogBytes(changeRows) : submissionLogBytes(submissionRows));
    return kOk;
}

}  // namespace fd::cli
