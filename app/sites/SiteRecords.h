#pragma once
// The web sites as the Configuration tab lists them, read without the tab:
// each site with its root URLs and its page list, in the order of the tab's
// boxes, so a site's position (which names its saved list) is the same.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "SitesSql.h"

namespace fd {
class CADODBAccess;
}

namespace fd::sites {

struct RootRecord {
    long long id = 0;  // WebSiteNameID
    QString url;
};

struct SiteRecord {
    long long id = 0;  // WebSiteID
    QString name;
    std::vector<RootRecord> roots;
};

// Every site in the site name box's order, each with its root URLs in the
// root box's order. Two queries; throws AppError when one fails.
std::vector<SiteRecord> readSites(const CADODBAccess& db);
// The statements readSites runs, in that order.
QString selectAllRootsSql();

// The first site of that exact name, nothing when there is none.
std::optional<SiteRecord> findSite(const std::vector<SiteRecord>& sites, const QString& name);

// The detail fields of a root URL; empty fields when the row is gone.
// Throws AppError when the query fails.
RootDetails readRootDetails(const CADODBAccess& db, long long webSiteNameId);

// The page-list file the site last had open ("" when none).
QString readLastListFile(const CADODBAccess& db, long long webSiteId);

// Where the window saves the site's list: its name in the program folder,
// as an absolute path.
QString savedListPath(const QString& programFolder, const SiteRecord& site);

// Replaces the site's list with pages, as importing a list and saving the
// configuration in the window does: the list is written to savedListPath
// (whole or not at all) and the site's row remembers it. Throws AppError on
// failure.
QString saveSitePageList(const CADODBAccess& db, const QString& programFolder,
                         const SiteRecord& site, const QStringList& pages);

}  // namespace fd::sites
