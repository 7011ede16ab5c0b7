#pragma once
// Which site-map files were last written for a root URL (table
// WrittenSiteMaps), so they can be published without being looked for: the
// XML sitemaps (the main file first, then its numbered files) and the HTML
// site map.

#include <QString>
#include <QStringList>

namespace fd {

class CADODBAccess;
class ErrorSink;

enum class SiteMapKind { Xml, Html };

// Remembers files (absolute paths) as the last ones of that kind written for
// rootUrl, replacing what was remembered before, in one statement. Throws
// AppError when the statement fails.
void recordWrittenSiteMaps(const CADODBAccess& db, const QString& rootUrl, SiteMapKind kind,
                           const QStringList& files);
// What was last remembered; empty when nothing was. Throws AppError.
QStringList lastWrittenSiteMaps(const CADODBAccess& db, const QString& rootUrl, SiteMapKind kind);

// The writers' call: records when db is given; a failure is only logged under
// routine (the files are written all the same).
void rememberWrittenSiteMaps(const CADODBAccess* db, ErrorSink& log, const QString& routine,
                             const QString& rootUrl, SiteMapKind kind, const QStringList& files);

}  // namespace fd
