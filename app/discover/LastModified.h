#pragma once
// The last-modified time a site gives each page of a root URL's list, kept
// from the last discovery that was taken (table PageLastModified, one row per
// root URL and page, the page as its node text). Other rooms read it: the
// XML sitemap writes the later of a page's recorded update and this time,
// and a submission of changed pages compares with it.

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

#include "discover/DiscoveredList.h"

namespace fd {
class CADODBAccess;
}

namespace fd::discover {

// Stores the last-modified times of pages under rootUrl in one transaction:
// with Replace the root's rows become those of pages; with Add the pages'
// rows are added or brought up to date and the others kept. Pages without a
// time have no row. progress, when given, is told how many pages are done
// every so often; when it says stop, nothing is stored. Returns what went
// wrong ("" when all was stored, or stopped); on failure nothing is stored.
QString storeLastModified(const QString& databasePath, const QString& rootUrl,
                          const QList<FoundPage>& pages, ListChange change,
                          const std::function<bool(qint64 done, qint64 total)>& progress = {});

// The last-modified time of each page of rootUrl, by node text, in UTC.
// Empty when none is kept, or when the table cannot be read (error says why
// when given).
QHash<QString, QDateTime> readLastModified(const QString& databasePath, const QString& rootUrl,
                                           QString* error = nullptr);

// Each day in days becomes the later of itself and the page's last-modified
// day; a page with only a last-modified time gets that day.
void keepLaterDates(QHash<QString, QDate>& days, const QHash<QString, QDateTime>& lastModified);

// The day the XML sitemap gives each page of the site's root URL: the later
// of the day the page was last recorded as updated and the day of the time
// the site itself last gave for it.
QHash<QString, QDate> sitemapDays(const CADODBAccess& db, const QString& siteName,
                                  const QString& rootUrl);

}  // namespace fd::discover
