#pragma once
// Uploads to the user's own web site by SFTP, FTPS or FTP: the account's
// address, the SSH host key as known_hosts holds it, and the uploader, which
// puts each file under a temporary name beside its place and renames it into
// place, so a reader never meets half a file.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace fd {

enum class SiteProtocol { Sftp, Ftps, Ftp };

// "sftp://host[:port]/path", "ftps://host[:port]/path" or "ftp://...": the
// folder on the server that holds the site's root. The path is kept as
// written: for SFTP it is absolute ("/~/" for the login's home folder), for
// FTP and FTPS it is taken from the login folder.
struct SiteAddress {
    SiteProtocol protocol = SiteProtocol::Sftp;
    QString host;  // lower case; an IPv6 address without brackets
    int port = 0;  // the protocol's default when the address has none
    QString path;  // decoded, "/" separated, beginning with "/"

    // "sftp://host:port": what a password is filed under.
    QString server() const;
    // True for FTP over TLS on port 990, where TLS begins before the
    // greeting; any other port asks for TLS with AUTH TLS.
    bool implicitTls() const { return protocol == SiteProtocol::Ftps && port == 990; }
};

// Nothing when text is not such an address; problem (when given) then says
// why in plain words.
std::optional<SiteAddress> parseSiteAddress(const QString& text, QString* problem = nullptr);

// The warning a plain ftp:// address earns.
inline const QString kClearTextFtpWarning = QStringLiteral(
    "Plain FTP sends the password and every file in clear text: anyone on the way can read "
    "them. Use sftp:// or ftps:// when the host offers them.");

// An SSH server's host key as it presented it.
struct HostKey {
    QString host;
    int port = 22;
    QByteArray blob;  // the key in SSH wire form

    // "ssh-ed25519", "ecdsa-sha2-nistp256", ...: read from the blob.
    QString type() const;
    // "SHA256:" and the unpadded base64 of the blob's SHA-256, as OpenSSH
    // shows fingerprints.
    QString fingerprint() const;
    // The known_hosts line: "host type base64", "[host]:port ..." off port 22.
    QString knownHostsLine() const;
};

// Adds the key's line to the known_hosts file at path (its folder created
// when missing, owner-only); the file is replaced whole. Throws AppError.
void addKnownHost(const QString& path, const HostKey& key);

// The account an upload logs in to, and how the server is trusted.
struct SiteAccount {
    SiteAddress address;
    QString user;
    QString password;  // "" for none: SFTP then relies on the agent and key files
    // SFTP: private key files tried in turn after the agent (those that
    // exist), and the known_hosts file the host key must be in.
    QStringList keyFiles;
    QString knownHostsPath;
    // SFTP: a host key missing from known_hosts whose fingerprint is this
    // one is trusted, added to known_hosts, and the upload goes on.
    QString trustedFingerprint;
    // FTPS: certificates of authorities trusted beside the system's ("" for
    // the system's alone).
    QString caFile;
    long connectTimeoutMs = 15000;
};

// One file to put on the server: its bytes from localPath (or from bytes
// when localPath is empty), its place as a path below the account's folder.
struct SiteFile {
    QString localPath;
    QByteArray bytes;
    QString remotePath;  // "sitemap.xml", "maps/site.htm"
};

struct SiteUploadOutcome {
    enum class Stop {
        None,            // every file is in place
        Cancelled,       // the user stopped it
        HostKeyUnknown,  // hostKey is not in known_hosts: nothing sent
        HostKeyChanged,  // known_hosts holds another key for the host: refused
        Certificate,     // the TLS certificate could not be verified
        LoginDenied,     // the server refused the user name or password
        CannotConnect,   // no server there, or no answer
        Failed,          // any other failure (message says which)
    };
    Stop stop = Stop::None;
    QString message;                 // what went wrong, in plain words ("" when all went well)
    int placed = 0;                  // files in place, counted from the first
    std::optional<HostKey> hostKey;  // as the server presented it (SFTP)
    // A temporary file that may be left on the server after a failure.
    QString leftOver;

    bool ok() const { return stop == Stop::None; }
};

class SiteUploader {
public:
    virtual ~SiteUploader() = default;
    // Puts the files on the server in order, each under a temporary name in
    // its folder, then renamed over the file it replaces; stops at the first
    // failure, which leaves the file already at that place as it was.
    // progress(done, total) counts bytes sent; cancel, when it turns true,
    // stops within a fraction of a second. Blocks: call it off the window's
    // thread.
    virtual SiteUploadOutcome upload(const SiteAccount& account, const QList<SiteFile>& files,
                                     const std::atomic<bool>* cancel,
                                     const std::function<void(qint64, qint64)>& progress) = 0;
};

// The uploader over libcurl (SFTP through libssh2, FTPS through OpenSSL).
std::unique_ptr<SiteUploader> curlSiteUploader();

// The temporary name a file is uploaded under: ".<name>.part-<6 random>".
QString siteUploadTemporaryName(const QString& fileName);

}  // namespace fd
