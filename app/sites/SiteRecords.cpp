#include "SiteRecords.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include "PageList.h"
#include "core/CADODBAccess.h"

namespace fd::sites {

QString selectAllRootsSql() {
    return QStringLiteral("Select WebSiteNameID,WebSiteID,WebSiteBaseURL from WebSiteNames");
}

std::vector<SiteRecord> readSites(const CADODBAccess& db) {
    std::vector<SiteRecord> sites;
    // The name box is filled from this query in the order it answers, and
    // each site's root box from its roots in id order: one query for all of
    // them, grouped here, keeps that order.
    RecordsetPtr rs = db.query(selectWebSitesSql());
    QHash<long long, std::size_t> at;
    for (; !rs->eof(); rs->moveNext()) {
        SiteRecord s;
        s.id = rs->fieldInt(QStringLiteral("WebSiteID"));
        s.name = rs->field(QStringLiteral("WebSiteGenericName"));
        at.insert(s.id, sites.size());
        sites.push_back(std::move(s));
    }
    RecordsetPtr roots = db.query(selectAllRootsSql());
    for (; !roots->eof(); roots->moveNext()) {
        const auto it = at.constFind(roots->fieldInt(QStringLiteral("WebSiteID")));
        if (it == at.constEnd()) continue;
        sites[*it].roots.push_back({roots->fieldInt(QStringLiteral("WebSiteNameID")),
                                    roots->field(QStringLiteral("WebSiteBaseURL"))});
    }
    return sites;
}

std::optional<SiteRecord> findSite(const std::vector<SiteRecord>& sites, const QString& name) {
    for (const SiteRecord& s : sites)
        if (s.name == name) return s;
    return std::nullopt;
}

RootDetails readRootDetails(const CADODBAccess& db, long long webSiteNameId) {
    RootDetails d;
    RecordsetPtr rs = db.query(selectRootDetailsSql(webSiteNameId));
    if (rs->eof()) return d;
    d.email = rs->field(QStringLiteral("WebSiteEmailAddress"));
    d.submitterName = rs->field(QStringLiteral("WebSiteSubmitterName"));
    d.countryCode = rs->field(QStringLiteral("CountryCode"));
    d.reportEmail = rs->field(QStringLiteral("EmailReportsTo"));
    d.directoryListing = rs->field(QStringLiteral("DirectoryListing"));
    d.industry = rs->field(QStringLiteral("Industry"));
    return d;
}

QString readLastListFile(const CADODBAccess& db, long long webSiteId) {
    RecordsetPtr rs = db.query(selectLastListFileSql(webSiteId));
    return rs->eof() ? QString() : rs->field(QStringLiteral("LastListFile")).trimmed();
}

QString savedListPath(const QString& programFolder, const SiteRecord& site) {
    return QFileInfo(QDir(programFolder).filePath(listFileName(site.id, site.name)))
        .absoluteFilePath();
}

QString saveSitePageList(const CADODBAccess& db, const QString& programFolder,
                         const SiteRecord& site, const QStringList& pages) {
    const QString path = savedListPath(programFolder, site);
    writePageListFile(path, pages);
    db.execute(updateLastListFileSql(site.id, path));
    return path;
}

}  // namespace fd::sites
