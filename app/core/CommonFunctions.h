#pragma once
// Routines shared by many windows of the program.

#include <QByteArray>
#include <QDate>
#include <QString>

#include "CADODBAccess.h"

namespace fd {

// The page details the main window hands over when a change is logged.
struct ChangeRequest {
    bool siteSelected = false;  // a web site is selected in the site name box
    long long webSiteId = 0;
    QString rootUrl;  // root URL box
    QString address;  // browser address bar
    QString title, revisit, author, description, keywords;
    QDate date = QDate::currentDate();
};

// Stores the change request as a new WebPageUpdateRequests row; does nothing
// when no site is selected. Values are double-quoted with every " doubled.
// A failure of the statement is thrown to the caller.
void InsertChangeRequest(const CADODBAccess& db, const ChangeRequest& cr);
QString changeRequestSql(const ChangeRequest& cr);

// Writes text exactly (no line end added) to fileName in the program folder,
// replacing the file atomically: a failure leaves any earlier file intact.
// Returns false when it could not be written.
bool WriteTextFile(const QString& programFolder, const QString& fileName, const QByteArray& text);

// Upload account from WebSiteConfiguration.FileTransInfo: fields split at
// "$"; with at least four fields, field 1 is the user and field 3 the
// password; otherwise both are empty.
struct UploadAccount {
    QString user;
    QString password;
};
UploadAccount parseFileTransInfo(const QString& value);

}  // namespace fd
