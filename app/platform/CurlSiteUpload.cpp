#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUrl>
#include <memory>

#include "CurlSupport.h"
#include "SiteUpload.h"
#include "core/AppError.h"
#include "core/FileReplace.h"

namespace fd {

namespace {

const QString kSource = QStringLiteral("SiteUpload");

QString schemeOf(SiteProtocol p) {
    switch (p) {
        case SiteProtocol::Sftp:
            return QStringLiteral("sftp");
        case SiteProtocol::Ftps:
            return QStringLiteral("ftps");
        case SiteProtocol::Ftp:
            break;
    }
    return QStringLiteral("ftp");
}

QString hostForUrl(const QString& host) {
    return host.contains(u':') ? u'[' + host + u']' : host;
}

// Reads an SSH wire-form string at offset; empty when the blob is too short.
QByteArray wireString(const QByteArray& blob, qsizetype offset) {
    if (blob.size() < offset + 4) return {};
    const auto* p = reinterpret_cast<const unsigned char*>(blob.constData() + offset);
    const quint32 len = (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
    if (len > quint32(blob.size() - offset - 4)) return {};
    return blob.mid(offset + 4, qsizetype(len));
}

struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

Slist slist(const QStringList& lines) {
    curl_slist* l = nullptr;
    for (const QString& s : lines) l = curl_slist_append(l, s.toUtf8().constData());
    return Slist(l);
}

// A path inside a quoted SFTP command: in double quotes, with quotes and
// backslashes escaped.
QString sftpQuoted(const QString& path) {
    QString p = path;
    p.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return u'"' + p + u'"';
}

// The host key check of one upload: what the server presented and what
// known_hosts said of it.
struct HostKeyCheck {
    const SiteAccount* account = nullptr;
    std::optional<HostKey> seen;
    enum class Verdict {
        Unchecked,
        Known,
        Unknown,
        Changed,
        NotAdded
    } verdict = Verdict::Unchecked;
    QString addError;
};

int onHostKey(CURL*, const curl_khkey*, const curl_khkey* found, curl_khmatch match, void* data) {
    auto* check = static_cast<HostKeyCheck*>(data);
    HostKey key;
    key.host = check->account->address.host;
    key.port = check->account->address.port;
    if (found && found->key) {
        key.blob = found->len ? QByteArray(found->key, qsizetype(found->len))
                              : QByteArray::fromBase64(QByteArray(found->key));
    }
    check->seen = key;
    using V = HostKeyCheck::Verdict;
    switch (match) {
        case CURLKHMATCH_OK:
            check->verdict = V::Known;
            return CURLKHSTAT_FINE;
        case CURLKHMATCH_MISMATCH:
            check->verdict = V::Changed;
            return CURLKHSTAT_REJECT;
        default:
            break;
    }
    if (!check->account->trustedFingerprint.isEmpty() && !key.blob.isEmpty() &&
        key.fingerprint() == check->account->trustedFingerprint) {
        try {
            addKnownHost(check->account->knownHostsPath, key);
        } catch (const AppError& e) {
            check->verdict = V::NotAdded;
            check->addError = e.description();
            return CURLKHSTAT_REJECT;
        }
        check->verdict = V::Known;
        return CURLKHSTAT_FINE;
    }
    check->verdict = V::Unknown;
    return CURLKHSTAT_REJECT;
}

struct ProgressState {
    const std::function<void(qint64, qint64)>* report = nullptr;
    qint64 before = 0;  // bytes of the files already sent
    qint64 total = 0;
    const std::atomic<bool>* cancel = nullptr;
};

int onProgress(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t ulnow) {
    auto* p = static_cast<ProgressState*>(data);
    if (p->cancel && p->cancel->load()) return 1;
    if (p->report && *p->report) (*p->report)(p->before + qint64(ulnow), p->total);
    return 0;
}

size_t readDevice(char* buffer, size_t size, size_t n, void* data) {
    auto* device = static_cast<QIODevice*>(data);
    const qint64 got = device->read(buffer, qint64(size * n));
    return got < 0 ? CURL_READFUNC_ABORT : size_t(got);
}

size_t discard(char*, size_t size, size_t n, void*) {
    return size * n;
}

class CurlSiteUploader : public SiteUploader {
public:
    SiteUploadOutcome upload(const SiteAccount& account, const QList<SiteFile>& files,
                             const std::atomic<bool>* cancel,
                             const std::function<void(qint64, qint64)>& progress) override;

private:
    struct Run {
        explicit Run(const SiteAccount& a) : account(a) {}
        const SiteAccount& account;
        CURL* c = nullptr;
        const std::atomic<bool>* cancel = nullptr;
        HostKeyCheck hostKey;
        ProgressState progress;
        char errbuf[CURL_ERROR_SIZE] = {};
        QStringList keyFiles;    // those that exist
        int keyFile = -1;        // the one in use, -1 for none
        bool connected = false;  // logged in at least once
    };

    static QString sshMethodsTried(const Run& run);
    static int onConnected(void* data, char*, char*, int, int);

    static void setCommon(Run& run);
    static void setAuth(Run& run, bool first);
    static CURLcode perform(Run& run);
    // what: the step that failed ("" while connecting and logging in).
    static SiteUploadOutcome failure(Run& run, CURLcode rc, const QString& what);
    static QString folderUrl(const SiteAddress& a, const QStringList& below);
    static QString remoteFolder(const SiteAddress& a, const QStringList& below);
};

void CurlSiteUploader::setCommon(Run& run) {
    CURL* c = run.c;
    const SiteAccount& a = run.account;
    curl_easy_reset(c);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, run.errbuf);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, a.connectTimeoutMs);
    curl_easy_setopt(c, CURLOPT_FTP_RESPONSE_TIMEOUT, 60L);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, 60L);
    // A stalled transfer ends after a minute without progress.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &run.progress);
    // Called once the server has let us in, before each request.
    curl_easy_setopt(c, CURLOPT_PREREQFUNCTION, &CurlSiteUploader::onConnected);
    curl_easy_setopt(c, CURLOPT_PREREQDATA, &run);
    curl_easy_setopt(c, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_RETRY));
    curl_easy_setopt(c, CURLOPT_USERNAME, a.user.toUtf8().constData());
    if (!a.password.isEmpty())
        curl_easy_setopt(c, CURLOPT_PASSWORD, a.password.toUtf8().constData());
    if (a.address.protocol == SiteProtocol::Sftp) {
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "sftp");
        curl_easy_setopt(c, CURLOPT_SSH_KNOWNHOSTS,
                         QFile::encodeName(a.knownHostsPath).constData());
        curl_easy_setopt(c, CURLOPT_SSH_KEYFUNCTION, onHostKey);
        curl_easy_setopt(c, CURLOPT_SSH_KEYDATA, &run.hostKey);
    } else {
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp,ftps");
        if (a.address.protocol == SiteProtocol::Ftps) {
            curl_easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
            curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
            curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
            if (!a.caFile.isEmpty())
                curl_easy_setopt(c, CURLOPT_CAINFO, QFile::encodeName(a.caFile).constData());
        }
    }
}

void CurlSiteUploader::setAuth(Run& run, bool first) {
    if (run.account.address.protocol != SiteProtocol::Sftp) return;
    long types = 0;
    if (first) {
        types |= CURLSSH_AUTH_AGENT;
        if (!run.account.password.isEmpty()) types |= CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD;
    }
    // Without a key file named, libcurl would look for one of its own
    // choosing, even in the working folder: only the listed ones are tried.
    if (run.keyFile >= 0) {
        types |= CURLSSH_AUTH_PUBLICKEY;
        curl_easy_setopt(run.c, CURLOPT_SSH_PRIVATE_KEYFILE,
                         QFile::encodeName(run.keyFiles[run.keyFile]).constData());
    }
    curl_easy_setopt(run.c, CURLOPT_SSH_AUTH_TYPES, types ? types : long(CURLSSH_AUTH_AGENT));
}

CURLcode CurlSiteUploader::perform(Run& run) {
    run.errbuf[0] = 0;
    return curl::perform(run.c, run.cancel);
}

QString CurlSiteUploader::folderUrl(const SiteAddress& a, const QStringList& below) {
    QStringList segments;
    for (const QString& s : a.path.split(u'/', Qt::SkipEmptyParts))
        segments << QString::fromLatin1(QUrl::toPercentEncoding(s, "~"));
    for (const QString& s : below) segments << QString::fromLatin1(QUrl::toPercentEncoding(s));
    return schemeOf(a.implicitTls() || a.protocol != SiteProtocol::Ftps ? a.protocol
                                                                        : SiteProtocol::Ftp) +
           QStringLiteral("://") + hostForUrl(a.host) + u':' + QString::number(a.port) + u'/' +
           segments.join(u'/') + (segments.isEmpty() ? QString() : QStringLiteral("/"));
}

QString CurlSiteUploader::remoteFolder(const SiteAddress& a, const QStringList& below) {
    QString folder = a.path;
    if (!folder.endsWith(u'/')) folder += u'/';
    for (const QString& s : below) folder += s + u'/';
    return folder;
}

QString CurlSiteUploader::sshMethodsTried(const Run& run) {
    QStringList tried;
    if (!run.account.password.isEmpty()) tried << QStringLiteral("password");
    tried << QStringLiteral("SSH agent");
    if (!run.keyFiles.isEmpty()) tried << QStringLiteral("key files");
    return tried.join(QStringLiteral(", "));
}

int CurlSiteUploader::onConnected(void* data, char*, char*, int, int) {
    static_cast<Run*>(data)->connected = true;
    return CURL_PREREQFUNC_OK;
}

SiteUploadOutcome CurlSiteUploader::failure(Run& run, CURLcode rc, const QString& what) {
    using S = SiteUploadOutcome::Stop;
    using V = HostKeyCheck::Verdict;
    SiteUploadOutcome out;
    out.hostKey = run.hostKey.seen;
    const SiteAccount& a = run.account;
    const QString where = a.address.server();
    const QString text = curl::errorText(rc, run.errbuf);
    if (run.hostKey.verdict == V::Unknown) {
        out.stop = S::HostKeyUnknown;
        out.message =
            QStringLiteral("The host key of %1 is not in %2: the server presents the %3 key %4.")
                .arg(where, QDir::toNativeSeparators(a.knownHostsPath),
                     run.hostKey.seen ? run.hostKey.seen->type() : QStringLiteral("unknown"),
                     run.hostKey.seen ? run.hostKey.seen->fingerprint() : QString());
    } else if (run.hostKey.verdict == V::Changed) {
        out.stop = S::HostKeyChanged;
        out.message =
            QStringLiteral(
                "The host key of %1 has changed: %2 holds another key for it, and the server "
                "now presents the %3 key %4. Nothing was sent. If the server's key was "
                "replaced on purpose, remove its old line from %2; otherwise someone may be "
                "standing between you and your server.")
                .arg(where, QDir::toNativeSeparators(a.knownHostsPath),
                     run.hostKey.seen ? run.hostKey.seen->type() : QStringLiteral("unknown"),
                     run.hostKey.seen ? run.hostKey.seen->fingerprint() : QString());
    } else if (run.hostKey.verdict == V::NotAdded) {
        out.stop = S::Failed;
        out.message = QStringLiteral("The host key of %1 could not be added to known_hosts: %2")
                          .arg(where, run.hostKey.addError);
    } else if (rc == CURLE_ABORTED_BY_CALLBACK && run.cancel && run.cancel->load()) {
        out.stop = S::Cancelled;
        out.message = QStringLiteral("Publishing was cancelled.");
    } else if (rc == CURLE_LOGIN_DENIED) {
        out.stop = S::LoginDenied;
        out.message =
            a.address.protocol == SiteProtocol::Sftp
                ? QStringLiteral("%1 refused the login of \"%2\" (tried: %3).")
                      .arg(where, a.user, sshMethodsTried(run))
                : QStringLiteral("%1 refused the login of \"%2\": %3").arg(where, a.user, text);
    } else if (rc == CURLE_COULDNT_CONNECT || rc == CURLE_COULDNT_RESOLVE_HOST ||
               (rc == CURLE_OPERATION_TIMEDOUT && what.isEmpty())) {
        out.stop = S::CannotConnect;
        out.message = QStringLiteral("%1 cannot be reached: %2").arg(where, text);
    } else if (rc == CURLE_PEER_FAILED_VERIFICATION || rc == CURLE_SSL_CACERT_BADFILE ||
               rc == CURLE_SSL_CERTPROBLEM) {
        out.stop = S::Certificate;
        out.message =
            QStringLiteral("The TLS certificate of %1 could not be verified: %2").arg(where, text);
    } else if (rc == CURLE_USE_SSL_FAILED) {
        out.stop = S::Certificate;
        out.message = QStringLiteral("%1 does not offer TLS (AUTH TLS): %2").arg(where, text);
    } else {
        out.stop = S::Failed;
        out.message = what.isEmpty() ? QStringLiteral("%1: %2").arg(where, text)
                                     : QStringLiteral("%1 failed: %2").arg(what, text);
    }
    return out;
}

SiteUploadOutcome CurlSiteUploader::upload(const SiteAccount& account, const QList<SiteFile>& files,
                                           const std::atomic<bool>* cancel,
                                           const std::function<void(qint64, qint64)>& progress) {
    curl::initOnce();
    curl::Easy easy(curl_easy_init());
    if (!easy) return {SiteUploadOutcome::Stop::Failed, QStringLiteral("Out of memory"), 0, {}, {}};
    Run run(account);
    run.c = easy.get();
    run.cancel = cancel;
    run.hostKey.account = &account;
    run.progress.report = &progress;
    run.progress.cancel = cancel;
    for (const QString& k : account.keyFiles)
        if (QFileInfo(k).isFile()) run.keyFiles << k;
    run.keyFile = run.keyFiles.isEmpty() ? -1 : 0;
    const bool sftp = account.address.protocol == SiteProtocol::Sftp;

    std::vector<std::unique_ptr<QIODevice>> sources;
    for (const SiteFile& f : files) {
        std::unique_ptr<QIODevice> d;
        if (f.localPath.isEmpty()) {
            auto* b = new QBuffer;
            b->setData(f.bytes);
            d.reset(b);
        } else {
            d = std::make_unique<QFile>(f.localPath);
        }
        if (!d->open(QIODevice::ReadOnly))
            return {SiteUploadOutcome::Stop::Failed,
                    QStringLiteral("%1 cannot be read: %2").arg(f.localPath, d->errorString()),
                    0,
                    {},
                    {}};
        run.progress.total += d->size();
        sources.push_back(std::move(d));
    }

    SiteUploadOutcome out;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const SiteFile& f = files[i];
        QIODevice& source = *sources[size_t(i)];
        QStringList below = f.remotePath.split(u'/', Qt::SkipEmptyParts);
        const QString name = below.isEmpty() ? QString() : below.takeLast();
        const QString folder = folderUrl(account.address, below);
        const QString temporary = siteUploadTemporaryName(name);
        const QString remoteDir = remoteFolder(account.address, below);
        const QStringList rename =
            sftp ? QStringList{QStringLiteral("rename ") + sftpQuoted(remoteDir + temporary) +
                               u' ' + sftpQuoted(remoteDir + name)}
                 : QStringList{QStringLiteral("RNFR ") + temporary, QStringLiteral("RNTO ") + name};
        const QStringList replace =
            sftp ? QStringList{QStringLiteral("*rm ") + sftpQuoted(remoteDir + name)} + rename
                 : QStringList{QStringLiteral("*DELE ") + name} + rename;
        const QStringList removeTemporary =
            sftp ? QStringList{QStringLiteral("*rm ") + sftpQuoted(remoteDir + temporary)}
                 : QStringList{QStringLiteral("*DELE ") + temporary};

        // The upload under the temporary name, renamed at once after it:
        // most servers replace the old file in that one step.
        CURLcode rc = CURLE_OK;
        for (;;) {
            source.seek(0);
            setCommon(run);
            setAuth(run, run.keyFile <= 0);
            const QByteArray url =
                (folder + QString::fromLatin1(QUrl::toPercentEncoding(temporary))).toUtf8();
            Slist post = slist(rename);
            curl_easy_setopt(run.c, CURLOPT_URL, url.constData());
            curl_easy_setopt(run.c, CURLOPT_UPLOAD, 1L);
            curl_easy_setopt(run.c, CURLOPT_READFUNCTION, readDevice);
            curl_easy_setopt(run.c, CURLOPT_READDATA, &source);
            curl_easy_setopt(run.c, CURLOPT_INFILESIZE_LARGE, curl_off_t(source.size()));
            curl_easy_setopt(run.c, CURLOPT_POSTQUOTE, post.get());
            rc = perform(run);
            // Each further key file gets a connection of its own.
            if (rc == CURLE_LOGIN_DENIED && !run.connected && run.keyFile >= 0 &&
                run.keyFile + 1 < run.keyFiles.size()) {
                ++run.keyFile;
                continue;
            }
            break;
        }
        const QString what = QStringLiteral("Sending %1").arg(f.remotePath);
        if (rc == CURLE_QUOTE_ERROR) {
            // The server does not rename over an existing file (SFTP's own
            // rename never does): the old one goes first.
            setCommon(run);
            setAuth(run, run.keyFile <= 0);
            const QByteArray url = folder.toUtf8();
            Slist post = slist(replace);
            curl_easy_setopt(run.c, CURLOPT_URL, url.constData());
            curl_easy_setopt(run.c, CURLOPT_NOBODY, 1L);
            curl_easy_setopt(run.c, CURLOPT_POSTQUOTE, post.get());
            rc = perform(run);
            if (rc != CURLE_OK) {
                out = failure(run, rc, QStringLiteral("Renaming %1 into place").arg(f.remotePath));
                out.leftOver = remoteDir + temporary;
                out.placed = int(i);
                return out;
            }
        } else if (rc != CURLE_OK) {
            out = failure(run, rc, run.connected ? what : QString());
            out.placed = int(i);
            if (out.stop == SiteUploadOutcome::Stop::Failed ||
                out.stop == SiteUploadOutcome::Stop::Cancelled) {
                // What arrived of the temporary file is removed when the
                // server still lets us in.
                run.progress.cancel = nullptr;  // a cancelled run still tidies up
                setCommon(run);
                setAuth(run, run.keyFile <= 0);
                curl_easy_setopt(run.c, CURLOPT_CONNECTTIMEOUT_MS, 5000L);
                const QByteArray url = folder.toUtf8();
                Slist post = slist(removeTemporary);
                curl_easy_setopt(run.c, CURLOPT_URL, url.constData());
                curl_easy_setopt(run.c, CURLOPT_NOBODY, 1L);
                curl_easy_setopt(run.c, CURLOPT_POSTQUOTE, post.get());
                if (curl::perform(run.c, nullptr) != CURLE_OK) out.leftOver = remoteDir + temporary;
            }
            return out;
        }
        run.progress.before += source.size();
    }
    out.placed = int(files.size());
    return out;
}

}  // namespace

QString SiteAddress::server() const {
    return schemeOf(protocol) + QStringLiteral("://") + hostForUrl(host) + u':' +
           QString::number(port);
}

std::optional<SiteAddress> parseSiteAddress(const QString& text, QString* problem) {
    auto refuse = [problem](const QString& why) -> std::optional<SiteAddress> {
        if (problem) *problem = why;
        return std::nullopt;
    };
    const QString t = text.trimmed();
    const QUrl url(t, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || t.isEmpty() || !t.contains(QStringLiteral("://")))
        return refuse(
            QStringLiteral("The publish address must look like sftp://host/path, "
                           "ftps://host/path or ftp://host/path."));
    SiteAddress a;
    if (scheme == QLatin1String("sftp"))
        a.protocol = SiteProtocol::Sftp;
    else if (scheme == QLatin1String("ftps"))
        a.protocol = SiteProtocol::Ftps;
    else if (scheme == QLatin1String("ftp"))
        a.protocol = SiteProtocol::Ftp;
    else
        return refuse(QStringLiteral("The publish address must begin with sftp://, ftps:// or "
                                     "ftp://, not %1://.")
                          .arg(url.scheme()));
    if (!url.password().isEmpty())
        return refuse(QStringLiteral(
            "The publish address must not hold a password: the password is kept in the "
            "desktop's keyring."));
    if (!url.userName().isEmpty())
        return refuse(QStringLiteral("Put the user name in its own box, not in the address."));
    if (url.host().isEmpty()) return refuse(QStringLiteral("The publish address names no host."));
    if (url.hasQuery() || url.hasFragment())
        return refuse(QStringLiteral("The publish address cannot have a query or a fragment."));
    a.host = url.host().toLower();
    a.port = url.port(a.protocol == SiteProtocol::Sftp ? 22 : 21);
    a.path = url.path(QUrl::FullyDecoded);
    for (const QChar ch : a.path)
        if (ch.unicode() < 0x20 || ch == u'"')
            return refuse(
                QStringLiteral("The folder of the publish address holds a character that "
                               "cannot be sent (a control character or a double quote)."));
    if (a.path.isEmpty()) a.path = QStringLiteral("/");
    if (problem) problem->clear();
    return a;
}

QString HostKey::type() const {
    return QString::fromLatin1(wireString(blob, 0));
}

QString HostKey::fingerprint() const {
    QByteArray b64 = QCryptographicHash::hash(blob, QCryptographicHash::Sha256).toBase64();
    while (b64.endsWith('=')) b64.chop(1);
    return QStringLiteral("SHA256:") + QString::fromLatin1(b64);
}

QString HostKey::knownHostsLine() const {
    const QString name = port == 22 ? host : QStringLiteral("[%1]:%2").arg(host).arg(port);
    return name + u' ' + type() + u' ' + QString::fromLatin1(blob.toBase64());
}

void addKnownHost(const QString& path, const HostKey& key) {
    const QFileInfo info(path);
    if (!info.dir().exists()) {
        if (!QDir().mkpath(info.absolutePath()))
            throw AppError(
                err::kPathNotFound,
                QStringLiteral("The folder %1 cannot be created.").arg(info.absolutePath()),
                kSource);
        QFile::setPermissions(info.absolutePath(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QByteArray bytes;
    if (info.exists()) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw AppError(err::kPermissionDenied,
                           QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString()),
                           kSource);
        bytes = file.readAll();
    }
    if (!bytes.isEmpty() && !bytes.endsWith('\n')) bytes += '\n';
    bytes += key.knownHostsLine().toUtf8() + '\n';
    replaceFileContents(path, bytes, kSource);
}

QString siteUploadTemporaryName(const QString& fileName) {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString s = u'.' + fileName + QStringLiteral(".part-");
    for (int i = 0; i < 6; ++i)
        s += QLatin1Char(kChars[QRandomGenerator::global()->bounded(int(sizeof kChars - 1))]);
    return s;
}

std::unique_ptr<SiteUploader> curlSiteUploader() {
    return std::make_unique<CurlSiteUploader>();
}

}  // namespace fd
