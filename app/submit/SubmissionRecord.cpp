#include "SubmissionRecord.h"

#include <QStringList>

#include "core/JetSql.h"

namespace fd {

bool isReadyForSubmit(const SubmitterFields& f, QString* missing) {
    const std::pair<const QString*, const char*> items[] = {
        {&f.siteName, "Website name"},
        {&f.rootUrl, "website URL"},
        {&f.industry, "Industry"},
        {&f.submitterName, "Submitter's Name"},
        {&f.submitterEmail, "Submitter's Email address"},
        {&f.countryCode, "Country Code"},
    };
    QStringList empty;
    for (const auto& [value, name] : items)
        if (value->isEmpty()) empty << QString::fromLatin1(name);
    if (missing) *missing = empty.join(QStringLiteral(", "));
    return empty.isEmpty();
}

QString configurationMissingMessage(const QString& missing) {
    return QStringLiteral(
               "You must enter the following items under the Configuration tab before "
               "submitting: \r\n") +
           missing;
}

QString submissionPagePath(const SubmissionInput& in, bool* recordable) {
    QString path;
    if (in.treePage) {
        path = *in.treePage;
    } else {
        path = in.submissionUrl;
        if (path.contains(in.rootUrl))
            path.remove(in.rootUrl);
        else if (recordable)
            *recordable = false;
    }
    return path.left(kMaxPagePath);
}

namespace {

// Looks a row up by select; when there is none, runs insert and looks again.
// Returns the first column of the row found, or nothing.
std::optional<long long> lookUpOrInsert(const CADODBAccess& db, const QString& select,
                                        const QString& insert) {
    RecordsetPtr rs = db.query(select);
    if (rs->eof()) {
        db.execute(insert);
        rs = db.query(select);
        if (rs->eof()) return std::nullopt;
    }
    return rs->field(0).toLongLong();
}

}  // namespace

RecordResult recordSubmission(const CADODBAccess& db, const SubmissionInput& in,
                              bool stopOnEmptyPath, const QDateTime& now) {
    RecordResult r;
    const QString stamp = u'#' + jetDateTime(now) + u'#';
    auto take = [&r](std::optional<long long> id, long long& into) {
        if (id)
            into = *id;
        else
            r.identifiersFound = false;
    };

    // The site, by its name.
    take(lookUpOrInsert(
             db,
             QStringLiteral("Select WebSiteID from WebSites where WebSiteGenericName = ") +
                 dq(in.siteName),
             QStringLiteral("INSERT INTO WebSites (WebSiteGenericName) VALUES (") +
                 dq(in.siteName) + u')'),
         r.webSiteId);

    // The root URL, by its address.
    take(lookUpOrInsert(
             db,
             QStringLiteral("Select WebSiteNameID from WebSiteNames where WebSiteBaseURL = ") +
                 dq(in.rootUrl),
             QStringLiteral("INSERT INTO WebSiteNames (WebSiteID, WebSiteBaseURL, "
                            "WebSiteEmailAddress) VALUES (") +
                 dq(QString::number(r.webSiteId)) + u',' + dq(in.rootUrl) + u',' + dq(in.email) +
                 u')'),
         r.webSiteNameId);

    // The page path.
    r.pagePath = submissionPagePath(in, &r.recordable);
    if (stopOnEmptyPath && r.pagePath.isEmpty()) {
        r.outcome = RecordOutcome::EmptyPath;
        return r;
    }

    // The page, by its path alone (a page outside the site is added under its
    // full URL all the same).
    take(lookUpOrInsert(
             db,
             QStringLiteral("Select WebSitePageID from WebSitePages where PageURL = ") +
                 dq(r.pagePath),
             QStringLiteral("INSERT INTO WebSitePages (WebSiteID, PageURL, PageDescription, "
                            "PageKeywords, UpdatedDate) VALUES (") +
                 QString::number(r.webSiteId) + u',' + dq(r.pagePath) + u',' + dq(in.description) +
                 u',' + dq(in.keywords) + u',' + stamp + u')'),
         r.webSitePageId);

    // The engine, looked up again by name: it may have left the catalogue
    // since the lists were filled.
    RecordsetPtr engine = db.query(
        QStringLiteral("Select SearchEngineID from SearchEngines where SearchEngineName = ") +
        sq(in.engineName));
    if (engine->eof())
        r.recordable = false;
    else
        r.searchEngineId = engine->field(0).toLongLong();

    if (!r.recordable || !r.identifiersFound) return r;
    db.execute(QStringLiteral("INSERT INTO Submissions (SubmitDate, WebSiteID, WebSiteNameID, "
                              "WebSitePageID, SearchEngineID) VALUES (") +
               stamp + u',' + QString::number(r.webSiteId) + u',' +
               QString::number(r.webSiteNameId) + u',' + QString::number(r.webSitePageId) + u',' +
               QString::number(r.searchEngineId) + u')');
    r.outcome = RecordOutcome::Recorded;
    return r;
}

}  // namespace fd
