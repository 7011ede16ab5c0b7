#include "CommonFunctions.h"

#include <QDir>
#include <QStringList>

#include "FileReplace.h"
#include "JetSql.h"

namespace fd {

QString changeRequestSql(const ChangeRequest& cr) {
    return QStringLiteral(
               "INSERT INTO WebPageUpdateRequests (SubmissionDate,WebSiteID,RootWebSite,WebPage,"
               "PageTitle,Revisit,Author,Description,Keywords) VALUES (#") +
           jetDate(cr.date) + QStringLiteral("#,") + QString::number(cr.webSiteId) + u',' +
           QStringList{dq(cr.rootUrl), dq(cr.address),     dq(cr.title),   dq(cr.revisit),
                       dq(cr.author),  dq(cr.description), dq(cr.keywords)}
               .join(u',') +
           u')';
}

void InsertChangeRequest(const CADODBAccess& db, const ChangeRequest& cr) {
    if (!cr.siteSelected) return;
    db.execute(changeRequestSql(cr));
}

bool WriteTextFile(const QString& programFolder, const QString& fileName, const QByteArray& text) {
    return FileReplacement(QDir(programFolder).filePath(fileName)).replaceWith(text);
}

UploadAccount parseFileTransInfo(const QString& value) {
    const QStringList parts = value.split(u'$');
    if (parts.size() < 4) return {};
    return {parts[1], parts[3]};
}

}  // namespace fd
