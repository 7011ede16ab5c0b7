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

std::vector<SiteRecord> readSiteList(const CADODBAccess& db) {
    std::vector<SiteRecord> sites;
    for (RecordsetPtr rs = db.query(selectWebSitesSql()); !rs->eof(); rs->moveNext())
        sites.push_back({rs->fieldInt(QStringLiteral("WebSiteID")),
                         rs->field(QStringLiteral("WebSiteGenericName")),
                         {}});
    return sites;
}

std::vector<RootRecord> readRoots(const CADODBAccess& db, long long webSiteId) {
    std::vector<RootRecord> roots;
    for (RecordsetPtr rs = db.query(selectRootsSql(webSiteId)); !rs->eof(); rs->moveNext())
        roots.push_back({rs->fieldInt(QStringLiteral("WebSiteNameID")),
                         rs->field(QStringLiteral("WebSiteBaseURL"))});
    return roots;
}

std::vector<IndustryRecord> readIndustries(const CADODBAccess& db) {
    std::vector<IndustryRecord> list;
    for (RecordsetPtr rs = db.query(selectIndustriesSql()); !rs->eof(); rs->moveNext())
        list.push_back({rs->fieldInt(QStringLiteral("ID")), rs->field(QStringLiteral("Industry"))});
    return list;
}

std::optional<SiteRecord> findSite(const std::vector<SiteRecord>& sites, const QString& name) {
    for (const SiteRecord& s : sites)
        if (s.name == name) return s;
    return std::nullopt;
}

RootDetails readRootDetails(const CADODBAccess& db, long long webSiteNameId) {
    return findRootDetails(db, webSiteNameId).value_or(RootDetails{});
}

std::optional<RootDetails> findRootDetails(const CADODBAccess& db, long long webSiteNameId) {
    RecordsetPtr rs = db.query(selectRootDetailsSql(webSiteNameId));
    if (rs->eof()) return std::nullopt;
    RootDetails d;
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

std::vector<SettingsRow> readSettingsRows(const CADODBAccess& db) {
    std::vector<SettingsRow> rows;
    for (RecordsetPtr rs = db.query(selectConfigurationSql()); !rs->eof(); rs->moveNext())
        rows.push_back({rs->field(QStringLiteral("WebSiteConfigID")),
                        rs->field(QStringLiteral("WebSiteGenericName")),
                        rs->field(QStringLiteral("RootWebSiteAddress")),
                        rs->field(QStringLiteral("Industry"))});
    return rows;
}

void insertSite(const CADODBAccess& db, const QString& name) {
    db.fnSQL_NoRS(insertWebSiteSql(name));
}

void insertRoot(const CADODBAccess& db, long long webSiteId, const QString& url,
                const RootDetails& d) {
    db.fnSQL_NoRS(insertWebSiteNameSql(webSiteId, url, d));
}

void updateRootDetails(const CADODBAccess& db, long long webSiteNameId, const RootDetails& d) {
    db.fnSQL_NoRS(updateWebSiteNameSql(webSiteNameId, d));
}

void rememberListFile(const CADODBAccess& db, long long webSiteId, const QString& path) {
    db.fnSQL_NoRS(updateLastListFileSql(webSiteId, path));
}

void updateSettingsRow(const CADODBAccess& db, const ConfigurationRow& row) {
    db.fnSQL_NoRS(updateConfigurationSql(row));
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
