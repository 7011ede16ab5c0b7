#pragma once
// The transfer control over libcurl: an HTTP(S) GET, on the calling thread or
// on a background worker, and FTP uploads on that worker. One request at a
// time: while either runs, a second one is refused with error 35764.

#include <QMutex>
#include <QPointer>
#include <atomic>
#include <memory>
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
    // Aborts a running fetch or upload and waits for the worker to end
    // (within a fraction of a second).
    ~CurlTransfer() override;
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    QByteArray openUrl(const QString& url) override;
    // The GET on the worker thread; done follows on context's thread.
    void startFetch(const QString& url, QObject* context, FetchDone done) override;
    // Refuses with AppError 35764 while a transfer runs. A start that fails
    // at once (the local file cannot be read) sets responseCode() non-zero and
    // starts nothing; otherwise responseCode() is 0 and the upload runs on:
    // whenConnected() tells whether it reached the server and logged in.
    // Failures after that go to the log under "inetQELS".
    void startPut(const QString& server, const QString& user, const QString& password,
                  const QString& localFile, const QString& remotePath) override;
    void whenConnected(QObject* context, ConnectDone done) override;
    bool stillExecuting() const override { return busy_.load(); }
    int responseCode() const override;
    QString responseInfo() const override;

    // How the last upload ended: 0 when the file arrived, else curl's code
    // with its text. Meaningful once stillExecuting() is false again.
    int lastUploadResult(QString* text = nullptr) const;
    // Waits until a running upload or background fetch has ended (for
    // shutdown and tests).
    void waitForUpload();

    // The upload address: server (ftp:// added when it has no scheme) and the
    // remote path taken from the server's root, each segment percent-encoded.
    static QString uploadUrl(const QString& server, const QString& remotePath);

private:
    QByteArray fetch(const QString& url);
    void setResponse(int code, const QString& info);
    // Runs fn on the thread that created the control (queued), unless the
    // control is gone by then.
    void post(std::function<void()> fn);
    // The upload's connect phase ended: logged in (no failure) or not.
    void reportConnected(const std::optional<AppError>& failure);
    static int onLoggedIn(void* self, char*, char*, int, int);

    ErrorSink* log_;
    Limits limits_;
    std::atomic<bool> busy_{false};
    std::atomic<bool> abort_{false};
    mutable QMutex mutex_;  // guards the fields below and worker_
    int responseCode_ = 0;
    QString responseInfo_;
    int uploadResult_ = 0;
    QString uploadText_;
    bool connectKnown_ = true;  // the last upload's connect phase has ended
    std::optional<AppError> connectFailure_;
    ConnectDone connectWaiter_;
    QPointer<QObject> connectContext_;
    bool connectHasContext_ = false;
    std::unique_ptr<QObject> relay_;  // receives the worker's results on our thread
    std::thread worker_;
};

}  // namespace fd
