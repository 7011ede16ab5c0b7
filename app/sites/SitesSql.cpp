#include "SitesSql.h"

#include <QStringList>

#include "core/JetSql.h"

namespace fd::sites {

QString withoutApostrophes(const QString& value) {
    QString v = value;
    v.remove(u'\'');
    return v;
}

QString selectWebSitesSql() {
    return QStringLiteral("Select WebSiteID,WebSiteGenericName from WebSites");
}

QString selectLastListFileSql(long long webSiteId) {
    return QStringLiteral("SELECT LastListFile FROM WebSites WHERE WebSiteID = ") +
           QString::number(webSiteId);
}

QString selectRootsSql(long long webSiteId) {
    return QStringLiteral(
               "Select WebSiteNameID,WebSiteBaseURL from WebSiteNames where WebSiteID = ") +
           QString::number(webSiteId);
}

QString selectRootDetailsSql(long long webSiteNameId) {
    return QStringLiteral(
               "SELECT WebSiteEmailAddress,WebSiteSubmitterName,DirectoryListing,CountryCode,"
               "EmailReportsTo, Industry from WebSiteNames WHERE WebSiteNameID = ") +
           QString::number(webSiteNameId);
}

QString selectIndustriesSql() {
    return QStringLiteral("Select ID,Industry from Industries order by Industry");
}

QString selectConfigurationSql() {
    return QStringLiteral(
        "Select WebSiteConfigID,WebSiteGenericName,RootWebSiteAddress, Industry from "
        "WebSiteConfiguration order by RootWebSiteAddress");
}

QString insertWebSiteSql(const QString& name, const QDate& today) {
    return QStringLiteral("INSERT INTO WebSites (WebSiteGenericName, LastUpdateRequest) VALUES (") +
           sq(name) + QStringLiteral(", #") + jetDate(today) + QStringLiteral("#)");
}

QString insertWebSiteNameSql(long long webSiteId, const QString& url, const RootDetails& d) {
    const QStringList values = {sq(withoutApostrophes(url)),
                                sq(withoutApostrophes(d.email)),
                                sq(d.submitterName),
                                sq(d.directoryListing),
                                sq(d.countryCode),
                                sq(withoutApostrophes(d.reportEmail)),
                                sq(d.industry)};
    return QStringLiteral(
               "INSERT INTO WebSiteNames (WebSiteID, WebSiteBaseURL, WebSiteEmailAddress, "
               "WebSiteSubmitterName, DirectoryListing,CountryCode,EmailReportsTo, Industry) "
               "VALUES (") +
           QString::number(webSiteId) + u',' + values.join(u',') + u')';
}

QString updateWebSiteNameSql(long long webSiteNameId, const RootDetails& d) {
    return QStringLiteral("UPDATE WebSiteNames set WebSiteEmailAddress = ") +
           dq(withoutApostrophes(d.email)) + QStringLiteral(", WebSiteSubmitterName = ") +
           dq(d.submitterName) + QStringLiteral(", DirectoryListing = ") +
           dq(withoutApostrophes(d.directoryListing)) + QStringLiteral(", CountryCode = ") +
           dq(withoutApostrophes(d.countryCode)) + QStringLiteral(", EmailReportsTo = ") +
           dq(withoutApostrophes(d.reportEmail)) + QStringLiteral(" , Industry = ") +
           dq(d.industry) + QStringLiteral(" WHERE WebSiteNameID = ") +
           QString::number(webSiteNameId);
}

QString updateLastListFileSql(long long webSiteId, const QString& path) {
    return QStringLiteral("UPDATE WebSites SET LastListFile = ") + sq(path) +
           QStringLiteral(" WHERE WebSiteID = ") + QString::number(webSiteId);
}

QString updateConfigurationSql(const ConfigurationRow& r) {
    return QStringLiteral("update WebSiteConfiguration set WebSiteGenericName = ") +
           sq(r.siteName) + QStringLiteral(",RootWebSiteAddress = ") + sq(r.rootUrl) +
           QStringLiteral(",ReportGenerationURL = ") + sq(r.reportGenerationUrl) +
           QStringLiteral(",SubmittersEmail = ") + sq(r.email) +
           QStringLiteral(",SubmittersCountryCode=") + sq(r.countryCode) +
           QStringLiteral(",EmailChangeReportsTo=") + sq(r.reportEmail) +
           QStringLiteral(", LastReport=") + sq(r.lastReport) + QStringLiteral(", Industry=") +
           sq(r.industry);
}

}  // namespace fd::sites
