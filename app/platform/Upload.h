#pragma once
// Sending a file to the maker's upload server by FTP: the one procedure the
// site map, the reports and the error log share. The transfer runs in the
// background of the transfer control; the procedure reports whether it could
// be started and reached the server.

#include <QDateTime>
#include <QString>
#include <functional>

#include "Dialogs.h"
#include "InetTransfer.h"
#include "core/AppError.h"

class QObject;
class QWidget;

namespace fd {

// The maker's upload server and the folder every upload goes to.
inline const QString kUploadServer = QStringLiteral("ftp://upload.tallowby.example");
inline const QString kUploadFolder = QStringLiteral("/Tallowby/QELS/uploads/");

struct UploadTarget {
    QString server = kUploadServer;
    QString user;      // gFTPUserName
    QString password;  // gFTPPassword
};

// What one action passes to the procedure.
struct UploadRequest {
    QString localPath;
    QString remoteName;      // e.g. "SM-07030507-04.htm"
    QString routine;         // error-log label of the action
    QString failureMessage;  // shown when the start fails
    // The action's reaction when the server cannot be reached or refuses the
    // login (an AppError 35754 saying why); without one the failure is
    // logged under routine.
    std::function<void(const AppError&)> connectionFailed = nullptr;
    // The window that asked (normally the parent of the messages): once it
    // is gone, the outcome is no longer told.
    QObject* context = nullptr;
};

// Runs the procedure: refuses with "Still executing your previous request.
// Please try again later." while a transfer runs; otherwise starts the PUT
// to kUploadFolder + remoteName, then logs and shows the failure message when
// the start gave a non-zero response code. Otherwise, once the transfer
// control has reached the server and logged in, it shows "Successfully sent
// file to Tallowby."; when it could not, connectionFailed reacts instead and
// nothing claims success. The window is not held meanwhile. Returns true
// when the transfer was started.
bool runUpload(InetTransfer& inet, Dialogs& dialogs, ErrorSink& log, QWidget* parent,
               const UploadTarget& target, const UploadRequest& request);

// The installation identifier that names report and error-log uploads: eight
// hex characters hashed from the machine's unique id and the program folder,
// so it stays the same for one installation and differs between them.
QString installationIdentifier(const QString& programFolder);

// The failure message of the report and error-log uploads.
inline const QString kUploadConnectionErrorMessage = QStringLiteral(
    "A connection error occured. Please check that you are connected to the Internet and try "
    "again.");

// The site map's stamp: month, day, minute and second as two digits each,
// "-", then randomValue (1 to 99) as two digits. 3 July 09:05:07 with 4 gives
// "07030507-04".
QString uploadStamp(const QDateTime& now, int randomValue);

}  // namespace fd
