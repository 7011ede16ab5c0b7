#pragma once
// The real servers the publishing tests run against, each on 127.0.0.1 on a
// free port and gone with its object: OpenSSH's sshd with a host key and a
// client key of its own, pyftpdlib's FTP server (optionally over TLS), the
// test HTTP server that plays the web site, and the hostile peer's resetting
// proxy.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/SiteUpload.h"
#include "support/PeerProcess.h"

namespace fd::test {

inline QString fixture(const char* name) {
    return QStringLiteral(FARROWDALE_SOURCE_DIR "/tests/fixtures/") + QLatin1String(name);
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

inline QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Names in a folder, hidden ones too.
inline QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

struct SshServer {
    static constexpr const char* kPassword = "sftp-Pa55word-7x";
    explicit SshServer(const QString& work)
        : peer(fixture("sshd_server.py"), {work, passwordFile(work), QStringLiteral("300")}) {
        if (!peer.ok()) return;
        for (int i = 0; i < 4; ++i) {
            const QString line = peer.nextLine();
            seen << line;
            const QString value = line.section(u' ', 1);
            if (line.startsWith(QLatin1String("USER "))) user = value;
            if (line.startsWith(QLatin1String("HOSTKEY "))) {
                HostKey k;
                k.blob = QByteArray::fromBase64(value.section(u' ', 1).toLatin1());
                hostKeyBlob = k.blob;
            }
            if (line.startsWith(QLatin1String("CLIENTKEY "))) clientKey = value;
            if (line.startsWith(QLatin1String("PASSWORDS "))) passwords = value == "yes";
        }
    }
    bool ok() const { return peer.ok() && !user.isEmpty() && !hostKeyBlob.isEmpty(); }
    static QString passwordFile(const QString& work) {
        const QString path = work + QStringLiteral(".password");
        writeBytes(path, kPassword);
        return path;
    }
    int port() const { return peer.port(); }
    HostKey hostKey() const {
        HostKey k;
        k.host = QStringLiteral("127.0.0.1");
        k.port = port();
        k.blob = hostKeyBlob;
        return k;
    }
    // The account of folder on this server, with known_hosts holding its key.
    SiteAccount account(const QString& folder, const QString& knownHosts) const {
        SiteAccount a;
        a.address =
            *parseSiteAddress(QStringLiteral("sftp://127.0.0.1:%1%2").arg(port()).arg(folder));
        a.user = user;
        a.knownHostsPath = knownHosts;
        return a;
    }

    PeerProcess peer;
    QString user, clientKey;
    QStringList seen;
    QByteArray hostKeyBlob;
    bool passwords = false;
};

struct FtpServer {
    static constexpr const char* kUser = "publisher";
    static constexpr const char* kPassword = "ftp-Pa55word-9q";
    FtpServer(const QString& root, const QStringList& options)
        : peer(fixture("site_ftp_server.py"),
               QStringList{root, QString::fromLatin1(kUser), QString::fromLatin1(kPassword)} +
                   options + QStringList{QStringLiteral("--lifetime"), QStringLiteral("300")}) {
        if (peer.ok() && options.contains(QStringLiteral("--tls")))
            caFile = peer.nextLine().section(u' ', 1);
    }
    bool ok() const { return peer.ok(); }
    SiteAccount account(const QString& scheme) const {
        SiteAccount a;
        a.address =
            *parseSiteAddress(QStringLiteral("%1://127.0.0.1:%2/").arg(scheme).arg(peer.port()));
        a.user = QString::fromLatin1(kUser);
        a.password = QString::fromLatin1(kPassword);
        a.caFile = caFile;
        return a;
    }
    PeerProcess peer;
    QString caFile;
};

// The web site: serves the files of a folder.
struct WebSite {
    explicit WebSite(const QString& root)
        : peer(fixture("http_test_server.py"), {root, QStringLiteral("300")}) {}
    bool ok() const { return peer.ok(); }
    QString rootUrl() const { return QStringLiteral("http://127.0.0.1:%1/").arg(peer.port()); }
    PeerProcess peer;
};

// Every process's command line, joined, for a search.
inline QByteArray allCommandLines() {
    QByteArray all;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        pid.toInt(&numeric);
        if (!numeric) continue;
        QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (f.open(QIODevice::ReadOnly)) all += f.readAll() + '\n';
    }
    return all;
}

}  // namespace fd::test
