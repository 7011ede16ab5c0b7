#include "WrittenSiteMaps.h"

#include <QDateTime>
#include <QFileInfo>

#include "core/AppError.h"
#include "core/CADODBAccess.h"
#include "core/JetSql.h"

namespace fd {

namespace {

QString kindText(SiteMapKind kind) {
    return kind == SiteMapKind::Xml ? QStringLiteral("xml") : QStringLiteral("html");
}

}  // namespace

void recordWrittenSiteMaps(const CADODBAccess& db, const QString& rootUrl, SiteMapKind kind,
                           const QStringList& files) {
    QStringList absolute;
    for (const QString& f : files) absolute << QFileInfo(f).absoluteFilePath();
    db.execute(QStringLiteral("INSERT OR REPLACE INTO WrittenSiteMaps (WebSiteBaseURL, Kind, "
                              "Files, WrittenDate) VALUES (") +
               dq(rootUrl) + u',' + dq(kindText(kind)) + u',' + dq(absolute.join(u'\n')) +
               QStringLiteral(",#") + jetDateTime(QDateTime::currentDateTime()) +
               QStringLiteral("#)"));
}

QStringList lastWrittenSiteMaps(const CADODBAccess& db, const QString& rootUrl, SiteMapKind kind) {
    RecordsetPtr rs =
        db.query(QStringLiteral("SELECT Files FROM WrittenSiteMaps WHERE WebSiteBaseURL = ") +
                 dq(rootUrl) + QStringLiteral(" AND Kind = ") + dq(kindText(kind)));
    if (rs->eof()) return {};
    return rs->field(0).split(u'\n', Qt::SkipEmptyParts);
}

void rememberWrittenSiteMaps(const CADODBAccess* db, ErrorSink& log, const QString& routine,
                             const QString& rootUrl, SiteMapKind kind, const QStringList& files) {
    if (!db || files.isEmpty()) return;
    try {
        recordWrittenSiteMaps(*db, rootUrl, kind, files);
    } catch (const AppError& e) {
        logFailure(log, routine, e);
    }
}

}  // namespace fd
