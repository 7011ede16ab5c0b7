#include "CommonFunctions.h"

#include <QDir>
#include <QSaveFile>
#include <QStringList>

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
    QSaveFile f(QDir(programFolder).filePath(fileName));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    if (!writeWhole(f, text)) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

bool writeWhole(QFileDevice& file, const char* data, qint64 size) {
    // A write that meets a full disk part of the way returns what it wrote
    // and sets no error; only the next one fails with the reason.
    while (size > 0) {
        const qint64 n = file.write(data, size);
        if (n <= 0) return false;
        data += n;
        size -= n;
    }
    return true;
}

UploadAccount parseFileTransInfo(const QString& value) {
    const QStringList parts = value.split(u'$');
    if (parts.size() < 4) return {};
    return {parts[1], parts[3]};
}

}  // namespace fd
