#include "CurlTransfer.h"

#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QUrl>
#include <cstdio>
#include <memory>

#include "CurlSupport.h"

namespace fd {

namespace {

const QString kSource = QStringLiteral("inetQELS");
const QString kBusyText = QStringLiteral("Still executing last request.");

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Gathers the body of a GET, refusing anything beyond the size cap.
struct Body {
    QByteArray data;
    qint64 limit = 0;
    bool tooBig = false;
};

size_t writeBody(char* ptr, size_t size, size_t n, void* userdata) {
    auto* body = static_cast<Body*>(userdata);
    const size_t len = size * n;
    if (body->data.size() + static_cast<qint64>(len) > body->limit) {
        body->tooBig = true;
        return 0;  // curl ends the transfer with CURLE_WRITE_ERROR
    }
    body->data.append(ptr, static_cast<qsizetype>(len));
    return len;
}

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

    curl::Easy easy(curl_easy_init());
    if (!easy) throw AppError(err::kTransferFailed, QStringLiteral("Out of memory"), kSource);
    CURL* c = easy.get();
    char errbuf[CURL_ERROR_SIZE] = {};
    Body body;
    body.limit = limits_.maxBodyBytes;
    const QByteArray u = url.toUtf8();
    curl_easy_setopt(c, CURLOPT_URL, u.constData());
    curl::webOnly(c);
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, limits_.connectTimeoutMs);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, limits_.totalTimeoutMs);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Farrowdale");

    const CURLcode rc = curl_easy_perform(c);
    if (body.tooBig)
        throw AppError(
            err::kTransferFailed,
            QStringLiteral("The answer is larger than %1 bytes.").arg(limits_.maxBodyBytes),
            kSource);
    switch (rc) {
        case CURLE_OK:
            break;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
            throw AppError(err::kCannotConnect,
                           QStringLiteral("Cannot connect: ") + curl::errorText(rc, errbuf),
                           kSource);
        case CURLE_OPERATION_TIMEDOUT:
            throw AppError(err::kTransferTimedOut, curl::errorText(rc, errbuf), kSource);
        default:
            throw AppError(err::kTransferFailed, curl::errorText(rc, errbuf), kSource);
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    // An error page is not the document asked for.
    if (status >= 400)
        throw AppError(err::kTransferFailed,
                       QStringLiteral("The server answered with status %1.").arg(status), kSource);
    return body.data;
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
