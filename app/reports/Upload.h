#pragma once
// Sending a file to the maker's upload server by FTP: the one procedure the
// site map, the reports and the error log share. The transfer runs in the
// background of the transfer control; the procedure reports only whether it
// could be started.

#include <QDateTime>
#include <QString>

#include "core/AppError.h"
#include "platform/Dialogs.h"
#include "platform/InetTransfer.h"

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
};

// Runs the procedure: refuses with "Still executing your previous request.
// Please try again later." while a transfer runs; otherwise starts the PUT
// to kUploadFolder + remoteName, then logs and shows the failure message when
// the start gave a non-zero response code, or shows "Successfully sent file
// to Tallowby.". Returns true when the transfer was started.
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
