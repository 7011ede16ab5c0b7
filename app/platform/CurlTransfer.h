#pragma once
// The transfer control over libcurl: a synchronous HTTP(S) GET on the calling
// thread, and FTP uploads on one background worker thread. One request at a
// time: while either runs, a second one is refused with error 35764.

#include <QMutex>
#include <atomic>
#include <thread>

#include "core/AppError.h"
#include "platform/InetTransfer.h"

namespace fd {

class CurlTransfer : public InetTransfer {
public:
    struct Limits {
        long connectTimeoutMs = 15000;
        long totalTimeoutMs = 60000;  // the whole GET; uploads have no total limit
        qint64 maxBodyBytes = 16 * 1024 * 1024;
    };

    // Failures of an upload after it started go to log under "inetQELS"
    // (log may be null); it is called on the worker thread.
    explicit CurlTransfer(ErrorSink* log = nullptr);
    CurlTransfer(ErrorSink* log, Limits limits);
    // Aborts a running upload and waits for the worker to end.
    ~CurlTransfer() override;
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    QByteArray openUrl(const QString& url) override;
    // Refuses with AppError 35764 while a transfer runs. A start that fails
    // at once (the local file cannot be read) sets responseCode() non-zero and
    // starts nothing; otherwise responseCode() is 0 and the upload runs on.
    void startPut(const QString& server, const QString& user, const QString& password,
                  const QString& localFile, const QString& remotePath) override;
    bool stillExecuting() const override { return busy_.load(); }
    int responseCode() const override;
    QString responseInfo() const override;

    // How the last upload ended: 0 when the file arrived, else curl's code
    // with its text. Meaningful once stillExecuting() is false again.
    int lastUploadResult(QString* text = nullptr) const;
    // Waits until a running upload has ended (for shutdown and tests).
    void waitForUpload();

    // The upload address: server (ftp:// added when it has no scheme) and the
    // remote path taken from the server's root, each segment percent-encoded.
    static QString uploadUrl(const QString& server, const QString& remotePath);

private:
    void runPut(QByteArray url, QByteArray user, QByteArray password, QString localFile);
    void setResponse(int code, const QString& info);

    ErrorSink* log_;
    Limits limits_;
    std::atomic<bool> busy_{false};
    std::atomic<bool> abort_{false};
    mutable QMutex mutex_;  // guards the fields below and worker_
    int responseCode_ = 0;
    QString responseInfo_;
    int uploadResult_ = 0;
    QString uploadText_;
    std::thread worker_;
};

}  // namespace fd
