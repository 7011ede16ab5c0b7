#include "Upload.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSysInfo>

#include "core/Globals.h"

namespace fd {

bool runUpload(InetTransfer& inet, Dialogs& dialogs, ErrorSink& log, QWidget* parent,
               const UploadTarget& target, const UploadRequest& request) {
    if (inet.stillExecuting()) {
        dialogs.message(parent,
                        QStringLiteral("Still executing your previous request. Please try "
                                       "again later."),
                        kProductName);
        return false;
    }
    inet.startPut(target.server, target.user, target.password, request.localPath,
                  kUploadFolder + request.remoteName);
    if (inet.responseCode() != 0) {
        log.write(request.routine, inet.responseCode(), inet.responseInfo(), QString());
        dialogs.message(parent, request.failureMessage, kProductName);
        return false;
    }
    // Success is told only once the server has taken the connection and the
    // login; a failure after that can only reach the log.
    inet.whenConnected(
        request.context, [&dialogs, &log, parent, request](const std::optional<AppError>& failure) {
            if (!failure) {
                dialogs.message(parent, QStringLiteral("Successfully sent file to Tallowby."),
                                kProductName);
            } else if (request.connectionFailed) {
                request.connectionFailed(*failure);
            } else {
                log.write(request.routine, failure->number(), failure->description(),
                          failure->source());
            }
        });
    return true;
}

QString installationIdentifier(const QString& programFolder) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QSysInfo::machineUniqueId());
    hash.addData(QByteArrayView("|"));
    hash.addData(QDir(programFolder).absolutePath().toUtf8());
    return QString::fromLatin1(hash.result().toHex().left(8)).toUpper();
}

QString uploadStamp(const QDateTime& now, int randomValue) {
    return now.toString(QStringLiteral("MMddmmss")) + u'-' +
           QStringLiteral("%1").arg(randomValue, 2, 10, QLatin1Char('0'));
}

}  // namespace fd
