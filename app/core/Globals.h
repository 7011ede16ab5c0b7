#pragma once
// The program's global state, created once by Main and handed to the windows
// that need it (there is no other singleton).

#include <QString>
#include <memory>

#include "CADODBAccess.h"
#include "ErrorLog.h"

namespace fd {

struct Globals {
    QString gRootKey = QStringLiteral("!Root");
    QString programFolder;
    QString gConnectionString;
    std::unique_ptr<CADODBAccess> gDB;
    std::unique_ptr<ErrorLog> errorLog;
    QString gFTPUserName;
    QString gFTPPassword;
    int gPopUpCount = 0;
    int gPopUpThreshold = 2;

    // Sets the folder, the connection string, the data object and the log.
    explicit Globals(const QString& folder);
    QString pathInFolder(const QString& name) const;
    // "file:///" + the folder's file of that name: the start and help pages.
    QString fileUrl(const QString& name) const;
};

// The program's title, used as the caption of its message boxes.
inline const QString kProductName = QStringLiteral("Farrowdale");

// The maker's web-site address: the about box and the Help menu link to it,
// and every site map credits it.
inline const QString kMakerHomePage = QStringLiteral("https://www.tallowby.example/");

}  // namespace fd
