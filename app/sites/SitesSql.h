#pragma once
// The statements of the web-site tables, built as text. Every value goes into
// its literal with the literal's quote character doubled, so names such as
// O'Brien's or values holding a double quote are stored intact. Where a value
// has its apostrophes removed on purpose, that removal is kept.

#include <QDate>
#include <QString>

namespace fd::sites {

// The detail fields of one root URL.
struct RootDetails {
    QString email;
    QString submitterName;
    QString directoryListing;  // txtReportGeneratorURL
    QString countryCode;
    QString reportEmail;
    QString industry;
};

// What the main window's unload stores in the settings row.
struct ConfigurationRow {
    QString siteName;
    QString rootUrl;
    QString reportGenerationUrl;
    QString email;
    QString countryCode;
    QString reportEmail;
    QString lastReport;
    QString industry;
};

QString withoutApostrophes(const QString& value);

QString selectWebSitesSql();
QString selectLastListFileSql(long long webSiteId);
QString selectRootsSql(long long webSiteId);
QString selectRootDetailsSql(long long webSiteNameId);
QString selectIndustriesSql();
QString selectConfigurationSql();

QString insertWebSiteSql(const QString& name, const QDate& today = QDate::currentDate());
QString insertWebSiteNameSql(long long webSiteId, const QString& url, const RootDetails& d);
QString updateWebSiteNameSql(long long webSiteNameId, const RootDetails& d);
QString updateLastListFileSql(long long webSiteId, const QString& path);
QString updateConfigurationSql(const ConfigurationRow& row);

}  // namespace fd::sites
