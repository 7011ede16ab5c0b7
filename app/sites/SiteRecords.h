#pragma once
// The web sites as the Configuration tab lists them, read and written
// without the tab: each site with its root URLs and its page list, in the
// order of the tab's boxes; the industries; the settings row. Reads throw
// AppError when their query fails. The tab's inserts and updates run as the
// data-access class runs a statement without rows: a failure leaves the
// table as it was and is not reported.

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

// The sites alone (no root URLs), in the site name box's order.
std::vector<SiteRecord> readSiteList(const CADODBAccess& db);
// The root URLs of a site, in the root box's order.
std::vector<RootRecord> readRoots(const CADODBAccess& db, long long webSiteId);

struct IndustryRecord {
    long long id = 0;
    QString name;
};
// The industries, by name.
std::vector<IndustryRecord> readIndustries(const CADODBAccess& db);

// The first site of that exact name, nothing when there is none.
std::optional<SiteRecord> findSite(const std::vector<SiteRecord>& sites, const QString& name);

// The detail fields of a root URL; nothing (or, from readRootDetails, empty
// fields) when the row is gone. Throws AppError when the query fails.
std::optional<RootDetails> findRootDetails(const CADODBAccess& db, long long webSiteNameId);
RootDetails readRootDetails(const CADODBAccess& db, long long webSiteNameId);

// The page-list file the site last had open ("" when none).
QString readLastListFile(const CADODBAccess& db, long long webSiteId);

// The settings row as the main window's load reads it.
struct SettingsRow {
    QString configId;  // WebSiteConfigID
    QString siteName;
    QString rootUrl;
    QString industry;
};
std::vector<SettingsRow> readSettingsRows(const CADODBAccess& db);

// The Configuration tab's writes.
void insertSite(const CADODBAccess& db, const QString& name);
void insertRoot(const CADODBAccess& db, long long webSiteId, const QString& url,
                const RootDetails& d);
void updateRootDetails(const CADODBAccess& db, long long webSiteNameId, const RootDetails& d);
void rememberListFile(const CADODBAccess& db, long long webSiteId, const QString& path);
void updateSettingsRow(const CADODBAccess& db, const ConfigurationRow& row);

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
