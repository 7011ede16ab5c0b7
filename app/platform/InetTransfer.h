#pragma once
// The program's transfer control: a synchronous URL fetch and background FTP
// uploads, one request at a time.

#include <QByteArray>
#include <QString>

namespace fd {

class InetTransfer {
public:
    virtual ~InetTransfer() = default;
    // Fetches the whole document synchronously. Throws AppError: 35764 when
    // a transfer is still running, 35754 when the server cannot be reached.
    virtual QByteArray openUrl(const QString& url) = 0;
    // Starts an FTP PUT of a local file in the background.
    virtual void startPut(const QString& server, const QString& user, const QString& password,
                          const QString& localFile, const QString& remotePath) = 0;
    virtual bool stillExecuting() const = 0;
    virtual int responseCode() const = 0;
    virtual QString responseInfo() const = 0;
};

}  // namespace fd
