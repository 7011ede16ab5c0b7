#include "CurlTransfer.h"

#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QUrl>
#include <cstdio>
#include <memory>

#include "CurlHttpClient.h"
#include "CurlSupport.h"
#include "HttpClient.h"

namespace fd {

namespace {

const QString kSource = QStringLiteral("inetQELS");
const QString kBusyText = QStringLiteral("Still executing last request.");

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Claims the control for one request; released when the scope ends unless
// handed on (to the upload's worker).
class BusyClaim {
public:
    explicit BusyClaim(std::atomic<bool>& busy) : busy_(busy) {
        bool expected = false;
        claimed_ = busy_.compare_exchange_strong(expected, true);
    }
    ~BusyClaim() {
        if (claimed_) busy_.store(false);
    }
    bool claimed() const { return claimed_; }
    void release() { claimed_ = false; }

private:
    std::atomic<bool>& busy_;
    bool claimed_ = false;
};

}  // namespace

CurlTransfer::CurlTransfer(ErrorSink* log) : CurlTransfer(log, Limits{}) {}

CurlTransfer::CurlTransfer(ErrorSink* log, Limits limits)
    : log_(log), limits_(limits), relay_(std::make_unique<QObject>()) {
    curl::initOnce();
}

CurlTransfer::~CurlTransfer() {
    abort_.store(true);
    waitForUpload();
}

void CurlTransfer::waitForUpload() {
    if (worker_.joinable()) worker_.join();
}

void CurlTransfer::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(relay_.get(), std::move(fn), Qt::QueuedConnection);
}

QByteArray CurlTransfer::openUrl(const QString& url) {
    BusyClaim claim(busy_);
    if (!claim.claimed()) throw AppError(err::kTransferBusy, kBusyText, kSource);
    return fetch(url);
}

void CurlTransfer::startFetch(const QString& url, QObject* context, FetchDone done) {
    QPointer<QObject> target(context);
    const bool hasTarget = context != nullptr;
    BusyClaim claim(busy_);
    if (!claim.claimed()) {
        post([target, hasTarget, done = std::move(done)] {
            if (!hasTarget || target) done({}, AppError(err::kTransferBusy, kBusyText, kSource));
        });
        return;
    }
    waitForUpload();  // the previous worker has ended (not busy); reap it
    abort_.store(false);
    claim.release();  // the worker clears busy_ when it ends
    worker_ = std::thread([this, url, target, hasTarget, done = std::move(done)]() mutable {
        QByteArray body;
        std::optional<AppError> failure;
        try {
            body = fetch(url);
        } catch (const AppError& e) {
            failure = e;
        } catch (const std::exception& e) {
            failure = AppError(err::kTransferFailed, QString::fromLocal8Bit(e.what()), kSource);
        }
        busy_.store(false);
        post([target = std::move(target), hasTarget, done = std::move(done), body = std::move(body),
              failure = std::move(failure)] {
            if (!hasTarget || target) done(body, failure);
        });
    });
}

QByteArray CurlTransfer::fetch(const QString& url) {
    HttpRequest rq;
    rq.url = url;
    rq.followRedirects = true;
    rq.connectTimeoutMs = limits_.connectTimeoutMs;
    rq.totalTimeoutMs = limits_.totalTimeoutMs;
    rq.maxBodyBytes = limits_.maxBodyBytes;
    rq.cancel = &abort_;  // the control going away ends the fetch at once
    const HttpResponse r = CurlHttpClient().send(rq);
    if (r.truncated)
        throw AppError(
            err::kTransferFailed,
            QStringLiteral("The answer is larger than %1 bytes.").arg(limits_.maxBodyBytes),
            kSource);
    if (!r.answered())
        throw AppError(r.error,
                       r.error == err::kCannotConnect
                           ? QStringLiteral("Cannot connect: ") + r.errorText
                           : r.errorText,
                       kSource);
    // An error page is not the document asked for.
    if (r.status >= 400)
        throw AppError(err::kTransferFailed,
                       QStringLiteral("The server answered with status %1.").arg(r.status),
                       kSource);
    return r.body;
}

QString CurlTransfer::uploadUrl(const QString& server, const QString& remotePath) {
    QString base = server;
    while (base.endsWith(u'/')) base.chop(1);
    if (!base.contains(QStringLiteral("://"))) base.prepend(QStringLiteral("ftp://"));
    QStringList segments;
    for (const QString& s : remotePath.split(u'/', Qt::SkipEmptyParts))
        segments << QString::fromLatin1(QUrl::toPercentEncoding(s));
    // A path from the server's root ("/folder/...") stays absolute: %2F makes
    // the first change of folder go to "/" rather than the login folder.
    const QString lead = remotePath.startsWith(u'/') ? QStringLiteral("/%2F") : QStringLiteral("/");
    return base + lead + segments.join(u'/');
}

void CurlTransfer::startPut(const QString& server, const QString& user, const QString& password,
                            const QString& localFile, const QString& remotePath) {
    BusyClaim claim(busy_);
    if (!claim.claimed()) throw AppError(err::kTransferBusy, kBusyText, kSource);

    const QFileInfo info(localFile);
    File file(info.isFile() ? std::fopen(QFile::encodeName(localFile).constData(), "rb") : nullptr);
    if (!file) {
        setResponse(static_cast<int>(err::kFileNotFound),
                    QStringLiteral("Cannot read the local file '%1'.").arg(localFile));
        return;
    }
    waitForUpload();  // the previous worker has ended (not busy); reap it
    setResponse(0, QString());
    {
        QMutexLocker lock(&mutex_);
        uploadResult_ = 0;
        uploadText_.clear();
        connectKnown_ = false;
        connectFailure_.reset();
        connectWaiter_ = nullptr;
        connectContext_.clear();
        connectHasContext_ = false;
    }
    abort_.store(false);
    claim.release();  // the worker clears busy_ when it ends
    worker_ = std::thread([this, url = uploadUrl(server, remotePath).toUtf8(), u = user.toUtf8(),
                           p = password.toUtf8(), size = info.size(), f = file.release()]() {
        File owned(f);
        curl::Easy easy(curl_easy_init());
        CURLcode rc = CURLE_OUT_OF_MEMORY;
        char errbuf[CURL_ERROR_SIZE] = {};
        if (CURL* c = easy.get()) {
            curl_easy_setopt(c, CURLOPT_URL, url.constData());
            curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp,ftps");
            if (!u.isEmpty()) {
                curl_easy_setopt(c, CURLOPT_USERNAME, u.constData());
                curl_easy_setopt(c, CURLOPT_PASSWORD, p.constData());
            }
            curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
            curl_easy_setopt(c, CURLOPT_READDATA, owned.get());
            curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
            curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
            curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, limits_.connectTimeoutMs);
            curl_easy_setopt(c, CURLOPT_FTP_RESPONSE_TIMEOUT, 60L);
            // A stalled upload ends after a minute without progress.
            curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
            curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
            // Called once the connection is up and the login accepted, just
            // before the file is asked for: from here on the transfer has
            // started.
            curl_easy_setopt(c, CURLOPT_PREREQFUNCTION, &CurlTransfer::onLoggedIn);
            curl_easy_setopt(c, CURLOPT_PREREQDATA, this);
            curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);
            rc = curl::perform(c, &abort_);
        }
        const QString text = rc == CURLE_OK ? QString() : curl::errorText(rc, errbuf);
        bool connected = false;
        {
            QMutexLocker lock(&mutex_);
            uploadResult_ = static_cast<int>(rc);
            uploadText_ = text;
            connected = connectKnown_ && !connectFailure_;
        }
        if (!connected) {
            // Name lookup, connection or login failed: the caller says so.
            reportConnected(AppError(
                err::kCannotConnect,
                QStringLiteral("Unable to connect to the upload server: ") + text, kSource));
        } else if (rc != CURLE_OK && log_) {
            log_->write(kSource, static_cast<long>(rc), text, QString());
        }
        busy_.store(false);
    });
}

int CurlTransfer::onLoggedIn(void* self, char*, char*, int, int) {
    static_cast<CurlTransfer*>(self)->reportConnected(std::nullopt);
    return CURL_PREREQFUNC_OK;
}

void CurlTransfer::reportConnected(const std::optional<AppError>& failure) {
    ConnectDone waiter;
    QPointer<QObject> target;
    bool hasTarget = false;
    {
        QMutexLocker lock(&mutex_);
        if (connectKnown_) return;
        connectKnown_ = true;
        connectFailure_ = failure;
        waiter = std::move(connectWaiter_);
        connectWaiter_ = nullptr;
        target = connectContext_;
        hasTarget = connectHasContext_;
    }
    if (waiter)
        post([waiter = std::move(waiter), target = std::move(target), hasTarget, failure] {
            if (!hasTarget || target) waiter(failure);
        });
}

void CurlTransfer::whenConnected(QObject* context, ConnectDone done) {
    std::optional<AppError> failure;
    {
        QMutexLocker lock(&mutex_);
        if (!connectKnown_) {
            connectWaiter_ = std::move(done);
            connectContext_ = context;
            connectHasContext_ = context != nullptr;
            return;
        }
        failure = connectFailure_;
    }
    QPointer<QObject> target(context);
    post([done = std::move(done), target, hasTarget = context != nullptr, failure] {
        if (!hasTarget || target) done(failure);
    });
}

void CurlTransfer::setResponse(int code, const QString& info) {
    QMutexLocker lock(&mutex_);
    responseCode_ = code;
    responseInfo_ = info;
}

int CurlTransfer::responseCode() const {
    QMutexLocker lock(&mutex_);
    return responseCode_;
}

QString CurlTransfer::responseInfo() const {
    QMutexLocker lock(&mutex_);
    return responseInfo_;
}

int CurlTransfer::lastUploadResult(QString* text) const {
    QMutexLocker lock(&mutex_);
    if (text) *text = uploadText_;
    return uploadResult_;
}

}  // namespace fd
