#include "CurlTransfer.h"

#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QUrl>
#include <cstdio>
#include <memory>

#include "CurlHttpClient.h"
#include "CurlSupport.h"

namespace fd {

namespace {

const QString kSource = QStringLiteral("inetQELS");
const QString kBusyText = QStringLiteral("Still executing last request.");

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

int abortCheck(void* userdata, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<std::atomic<bool>*>(userdata)->load() ? 1 : 0;
}

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

CurlTransfer::CurlTransfer(ErrorSink* log, Limits limits) : log_(log), limits_(limits) {
    curl::initOnce();
}

CurlTransfer::~CurlTransfer() {
    abort_.store(true);
    waitForUpload();
}

void CurlTransfer::waitForUpload() {
    if (worker_.joinable()) worker_.join();
}

QByteArray CurlTransfer::openUrl(const QString& url) {
    BusyClaim claim(busy_);
    if (!claim.claimed()) throw AppError(err::kTransferBusy, kBusyText, kSource);

    HttpRequest rq;
    rq.url = url;
    rq.followRedirects = true;
    rq.connectTimeoutMs = limits_.connectTimeoutMs;
    rq.totalTimeoutMs = limits_.totalTimeoutMs;
    rq.maxBodyBytes = limits_.maxBodyBytes;
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
            curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
            curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, abortCheck);
            curl_easy_setopt(c, CURLOPT_XFERINFODATA, &abort_);
            curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);
            rc = curl_easy_perform(c);
        }
        const QString text = rc == CURLE_OK ? QString() : curl::errorText(rc, errbuf);
        {
            QMutexLocker lock(&mutex_);
            uploadResult_ = static_cast<int>(rc);
            uploadText_ = text;
        }
        if (rc != CURLE_OK && log_) log_->write(kSource, static_cast<long>(rc), text, QString());
        busy_.store(false);
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
