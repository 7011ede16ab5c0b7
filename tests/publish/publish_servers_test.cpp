// Uploads to the user's own site against real servers on 127.0.0.1: OpenSSH's
// sshd (SFTP), pyftpdlib (FTP and FTP over TLS), the test HTTP server as the
// web site, and the hostile peer's proxy that resets a connection halfway.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "PublishPeers.h"
#include "platform/CurlHttpClient.h"
#include "publish/PublishTarget.h"
#include "publish/Publishing.h"

using namespace fd;
using namespace fd::test;
using Stop = SiteUploadOutcome::Stop;

namespace {

class SftpPublish : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qunsetenv("SSH_AUTH_SOCK");  // no agent of the developer's
        work = new QTemporaryDir;
        ssh = new SshServer(work->filePath(QStringLiteral("sshd")));
    }
    static void TearDownTestSuite() {
        delete ssh;
        delete work;
    }
    void SetUp() override {
        ASSERT_TRUE(ssh->ok()) << "sshd did not start";
        www = dir.filePath(QStringLiteral("www"));
        QDir().mkpath(www);
        knownHosts = dir.filePath(QStringLiteral("ssh/known_hosts"));
    }
    void trustServer() { addKnownHost(knownHosts, ssh->hostKey()); }
    SiteAccount account(bool withPassword = true) const {
        SiteAccount a = ssh->account(www, knownHosts);
        if (withPassword) a.password = QString::fromLatin1(SshServer::kPassword);
        return a;
    }
    SiteUploadOutcome put(const SiteAccount& a, const QList<SiteFile>& files) {
        return curlSiteUploader()->upload(a, files, nullptr, nullptr);
    }

    static QTemporaryDir* work;
    static SshServer* ssh;
    QTemporaryDir dir;
    QString www, knownHosts;
};
QTemporaryDir* SftpPublish::work = nullptr;
SshServer* SftpPublish::ssh = nullptr;

TEST_F(SftpPublish, unknownHostKey_isShownWithItsFingerprint_andOnlyThatFingerprintIsTrusted) {
    if (!ssh->passwords) GTEST_SKIP() << "sshd cannot check passwords when not run as root";
    const QList<SiteFile> files{{{}, "<urlset/>", QStringLiteral("sitemap.xml")}};
    SiteUploadOutcome out = put(account(), files);
    EXPECT_EQ(out.stop, Stop::HostKeyUnknown) << out.message.toStdString();
    ASSERT_TRUE(out.hostKey);
    // The fingerprint is the one OpenSSH itself shows for the server's key.
    QProcess keygen;
    keygen.start(QStringLiteral("ssh-keygen"),
                 {QStringLiteral("-l"), QStringLiteral("-E"), QStringLiteral("sha256"),
                  QStringLiteral("-f"), work->filePath(QStringLiteral("sshd/host_ed25519.pub"))});
    ASSERT_TRUE(keygen.waitForFinished(10000));
    const QString shown = QString::fromUtf8(keygen.readAllStandardOutput()).section(u' ', 1, 1);
    EXPECT_EQ(out.hostKey->fingerprint(), shown);
    EXPECT_EQ(out.hostKey->type(), QStringLiteral("ssh-ed25519"));
    EXPECT_TRUE(out.message.contains(shown)) << out.message.toStdString();
    EXPECT_TRUE(entriesOf(www).isEmpty());

    // Another fingerprint trusts nothing; the one shown is trusted and kept.
    SiteAccount a = account();
    a.trustedFingerprint = QStringLiteral("SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA");
    EXPECT_EQ(put(a, files).stop, Stop::HostKeyUnknown);
    a.trustedFingerprint = shown;
    out = put(a, files);
    ASSERT_TRUE(out.ok()) << out.message.toStdString();
    EXPECT_EQ(bytesOf(www + "/sitemap.xml"), QByteArray("<urlset/>"));
    EXPECT_EQ(QString::fromUtf8(bytesOf(knownHosts)).trimmed(), ssh->hostKey().knownHostsLine());
    // From now on known_hosts holds it.
    EXPECT_TRUE(put(account(), files).ok());
}

TEST_F(SftpPublish, changedHostKey_isRefused_andNothingIsSent) {
    HostKey other = ssh->hostKey();
    QProcess keygen;
    const QString key = dir.filePath(QStringLiteral("other"));
    keygen.start(QStringLiteral("ssh-keygen"),
                 {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"),
                  QStringLiteral("-N"), QString(), QStringLiteral("-f"), key});
    ASSERT_TRUE(keygen.waitForFinished(10000));
    other.blob = QByteArray::fromBase64(bytesOf(key + ".pub").split(' ').value(1));
    addKnownHost(knownHosts, other);
    SiteAccount a = account();
    // Not even a fingerprint given to trust lets a changed key through.
    a.trustedFingerprint = ssh->hostKey().fingerprint();
    const SiteUploadOutcome out = put(a, {{{}, "x", QStringLiteral("sitemap.xml")}});
    EXPECT_EQ(out.stop, Stop::HostKeyChanged);
    EXPECT_TRUE(out.message.contains(ssh->hostKey().fingerprint())) << out.message.toStdString();
    EXPECT_TRUE(entriesOf(www).isEmpty());
    EXPECT_EQ(QString::fromUtf8(bytesOf(knownHosts)).trimmed(), other.knownHostsLine());
}

TEST_F(SftpPublish, wrongPassword_isALoginDenied) {
    if (!ssh->passwords) GTEST_SKIP() << "sshd cannot check passwords when not run as root";
    trustServer();
    SiteAccount a = account();
    a.password = QStringLiteral("not-the-password");
    const SiteUploadOutcome out = put(a, {{{}, "x", QStringLiteral("sitemap.xml")}});
    EXPECT_EQ(out.stop, Stop::LoginDenied);
    EXPECT_TRUE(out.message.contains(ssh->user)) << out.message.toStdString();
    EXPECT_FALSE(out.message.contains(QStringLiteral("not-the-password")));
    EXPECT_TRUE(entriesOf(www).isEmpty());
}

TEST_F(SftpPublish, keyFilesAndAgent_logInWithoutAPassword) {
    trustServer();
    SiteAccount a = account(false);
    // Key files are tried in turn: one that does not exist, a wrong one,
    // then the right one.
    const QString wrong = dir.filePath(QStringLiteral("wrong_key"));
    QProcess keygen;
    keygen.start(QStringLiteral("ssh-keygen"),
                 {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"),
                  QStringLiteral("-N"), QString(), QStringLiteral("-f"), wrong});
    ASSERT_TRUE(keygen.waitForFinished(10000));
    a.keyFiles = {dir.filePath(QStringLiteral("missing")), wrong, ssh->clientKey};
    SiteUploadOutcome out = put(a, {{{}, "by key", QStringLiteral("a.txt")}});
    ASSERT_TRUE(out.ok()) << out.message.toStdString();
    EXPECT_EQ(bytesOf(www + "/a.txt"), QByteArray("by key"));

    a.keyFiles = {wrong};
    EXPECT_EQ(put(a, {{{}, "x", QStringLiteral("b.txt")}}).stop, Stop::LoginDenied);

    // The SSH agent holds the key: no file, no password.
    QProcess agent;
    const QString socket = dir.filePath(QStringLiteral("agent.sock"));
    agent.start(QStringLiteral("ssh-agent"), {QStringLiteral("-D"), QStringLiteral("-a"), socket});
    ASSERT_TRUE(agent.waitForStarted(5000));
    QProcess add;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SSH_AUTH_SOCK"), socket);
    add.setProcessEnvironment(env);
    for (int i = 0; i < 50 && !QFileInfo::exists(socket); ++i) QThread::msleep(100);
    add.start(QStringLiteral("ssh-add"), {QStringLiteral("-q"), ssh->clientKey});
    ASSERT_TRUE(add.waitForFinished(10000));
    ASSERT_EQ(add.exitCode(), 0) << add.readAllStandardError().toStdString();
    qputenv("SSH_AUTH_SOCK", socket.toLocal8Bit());
    a.keyFiles.clear();
    out = put(a, {{{}, "by agent", QStringLiteral("c.txt")}});
    qunsetenv("SSH_AUTH_SOCK");
    agent.kill();
    agent.waitForFinished(5000);
    ASSERT_TRUE(out.ok()) << out.message.toStdString();
    EXPECT_EQ(bytesOf(www + "/c.txt"), QByteArray("by agent"));
}

TEST_F(SftpPublish, existingFiles_areReplacedWhole_inFoldersBelow_andNoTemporaryStays) {
    trustServer();
    SiteAccount a = account(ssh->passwords);
    if (!ssh->passwords) a.keyFiles = {ssh->clientKey};
    writeBytes(www + "/sitemap.xml", "old sitemap");
    const QString local = dir.filePath(QStringLiteral("sitemap.xml"));
    writeBytes(local, QByteArray(300000, 'n'));
    const SiteUploadOutcome out = put(a, {{local, {}, QStringLiteral("sitemap.xml")},
                                          {{}, "key", QStringLiteral("keys/name with space.txt")}});
    ASSERT_TRUE(out.ok()) << out.message.toStdString();
    EXPECT_EQ(out.placed, 2);
    EXPECT_EQ(bytesOf(www + "/sitemap.xml"), QByteArray(300000, 'n'));
    EXPECT_EQ(bytesOf(www + "/keys/name with space.txt"), QByteArray("key"));
    EXPECT_EQ(entriesOf(www), QStringList{QStringLiteral("sitemap.xml")});
    EXPECT_EQ(entriesOf(www + "/keys"), QStringList{QStringLiteral("name with space.txt")});
}

TEST_F(SftpPublish, serverResettingHalfway_leavesTheFileOnTheServerWhole) {
    trustServer();
    // The proxy resets a connection once the client has sent 200 kB on it:
    // halfway through a 600 kB upload.
    PeerProcess proxy(fixture("hostile_server.py"),
                      {QStringLiteral("--proxy"), QString::number(ssh->port()),
                       QStringLiteral("200000"), QStringLiteral("120")});
    ASSERT_TRUE(proxy.ok());
    addKnownHost(knownHosts, [&] {
        HostKey k = ssh->hostKey();
        k.port = proxy.port();
        return k;
    }());
    SiteAccount a = account(ssh->passwords);
    if (!ssh->passwords) a.keyFiles = {ssh->clientKey};
    a.address.port = proxy.port();
    writeBytes(www + "/sitemap.xml", "the old, whole sitemap");
    const QString local = dir.filePath(QStringLiteral("big.xml"));
    writeBytes(local, QByteArray(600000, 'b'));
    const SiteUploadOutcome out = put(a, {{{}, "small", QStringLiteral("first.txt")},
                                          {local, {}, QStringLiteral("sitemap.xml")}});
    EXPECT_EQ(out.stop, Stop::Failed) << out.message.toStdString();
    EXPECT_EQ(out.placed, 1);
    EXPECT_TRUE(out.message.contains(QStringLiteral("sitemap.xml"))) << out.message.toStdString();
    EXPECT_EQ(bytesOf(www + "/sitemap.xml"), QByteArray("the old, whole sitemap"));
    EXPECT_EQ(bytesOf(www + "/first.txt"), QByteArray("small"));
    // What arrived of the temporary file was removed over a new connection.
    EXPECT_TRUE(out.leftOver.isEmpty()) << out.leftOver.toStdString();
    EXPECT_EQ(entriesOf(www),
              (QStringList{QStringLiteral("first.txt"), QStringLiteral("sitemap.xml")}));
}

TEST_F(SftpPublish, publishedFiles_areFetchedBack_andAnOlderCopyServedIsTold) {
    trustServer();
    WebSite site(www);
    const QString oldRoot = dir.filePath(QStringLiteral("stale"));
    writeBytes(oldRoot + "/sitemap.xml", "<urlset>old</urlset>");
    writeBytes(oldRoot + "/robots.txt", "User-agent: *\nDisallow:\n");
    WebSite stale(oldRoot);
    ASSERT_TRUE(site.ok() && stale.ok());
    writeBytes(www + "/robots.txt", "User-agent: *\n# Sitemap: elsewhere\n");
    const QString local = dir.filePath(QStringLiteral("out/sitemap.xml"));
    writeBytes(local, "<urlset>new</urlset>");

    for (WebSite* served : {&site, &stale}) {
        PublishRequest rq;
        rq.rootUrl = served->rootUrl();
        rq.account = account(ssh->passwords);
        if (!ssh->passwords) rq.account.keyFiles = {ssh->clientKey};
        rq.files = xmlSitemapFiles(rq.rootUrl, local);
        ASSERT_EQ(rq.files.size(), 1);
        CurlHttpClient http;
        const PublishReport report = publish(*curlSiteUploader(), http, rq);
        ASSERT_TRUE(report.upload.ok()) << report.upload.message.toStdString();
        ASSERT_EQ(report.checks.size(), 1);
        const QString url = served->rootUrl() + QStringLiteral("sitemap.xml");
        ASSERT_TRUE(report.robots);
        EXPECT_FALSE(report.robots->listed);
        EXPECT_TRUE(report.robots->message.endsWith(QStringLiteral("\nSitemap: ") + url))
            << report.robots->message.toStdString();
        if (served == &site) {
            EXPECT_TRUE(report.ok());
            EXPECT_EQ(report.checks[0].message, url + QStringLiteral(": published and served"));
        } else {
            EXPECT_FALSE(report.ok());
            EXPECT_EQ(report.checks[0].message.toStdString(),
                      (url + QStringLiteral(": uploaded, but the site serves something else at "
                                            "this address (it serves other bytes from byte 9 "
                                            "on: \"<urlset>old</urlset>\")"))
                          .toStdString());
        }
        EXPECT_TRUE(report.text(rq).contains(report.checks[0].message));
    }
    // Once robots.txt names it, nothing is asked.
    writeBytes(www + "/robots.txt", "Sitemap: " + site.rootUrl().toUtf8() + "sitemap.xml\n");
    CurlHttpClient http;
    EXPECT_TRUE(checkRobotsSitemap(http, site.rootUrl(), site.rootUrl() + "sitemap.xml").listed);
}

TEST_F(SftpPublish, passwordAppearsInNoProcessCommandLine) {
    if (!ssh->passwords) GTEST_SKIP() << "sshd cannot check passwords when not run as root";
    trustServer();
    const QString local = dir.filePath(QStringLiteral("big.xml"));
    writeBytes(local, QByteArray(2000000, 'p'));
    QByteArray seen;
    const SiteUploadOutcome out = curlSiteUploader()->upload(
        account(), {{local, {}, QStringLiteral("big.xml")}}, nullptr, [&](qint64 done, qint64) {
            if (done > 0 && seen.isEmpty()) seen = allCommandLines();
        });
    ASSERT_TRUE(out.ok()) << out.message.toStdString();
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_TRUE(seen.contains("sshd"));  // the search saw the server's processes
    EXPECT_FALSE(seen.contains(SshServer::kPassword));
}

TEST_F(SftpPublish, cancelStopsTheUpload_andLeavesTheOldFile) {
    trustServer();
    SiteAccount a = account(ssh->passwords);
    if (!ssh->passwords) a.keyFiles = {ssh->clientKey};
    writeBytes(www + "/big.xml", "old");
    const QString local = dir.filePath(QStringLiteral("big.xml"));
    writeBytes(local, QByteArray(20000000, 'c'));
    std::atomic<bool> cancel{false};
    const SiteUploadOutcome out = curlSiteUploader()->upload(
        a, {{local, {}, QStringLiteral("big.xml")}}, &cancel, [&](qint64 done, qint64) {
            if (done > 1000000) cancel = true;
        });
    EXPECT_EQ(out.stop, Stop::Cancelled);
    EXPECT_EQ(bytesOf(www + "/big.xml"), QByteArray("old"));
    EXPECT_EQ(entriesOf(www), QStringList{QStringLiteral("big.xml")});
}

// --- FTP and FTP over TLS ---------------------------------------------------

class FtpPublish : public ::testing::Test {
protected:
    void SetUp() override {
        root = dir.filePath(QStringLiteral("root"));
        QDir().mkpath(root);
    }
    QTemporaryDir dir;
    QString root;
};

TEST_F(FtpPublish, tls_withTheServersAuthority_replacesFiles_andAnUnknownAuthorityIsRefused) {
    FtpServer ftp(root, {QStringLiteral("--tls"), dir.path()});
    ASSERT_TRUE(ftp.ok() && !ftp.caFile.isEmpty());
    writeBytes(root + "/sitemap.xml", "old");
    SiteAccount a = ftp.account(QStringLiteral("ftps"));
    SiteUploadOutcome out =
        curlSiteUploader()->upload(a, {{{}, "new", QStringLiteral("sitemap.xml")}}, nullptr, {});
    ASSERT_TRUE(out.ok()) << out.message.toStdString();
    EXPECT_EQ(bytesOf(root + "/sitemap.xml"), QByteArray("new"));
    EXPECT_EQ(entriesOf(root), QStringList{QStringLiteral("sitemap.xml")});

    a.caFile.clear();  // the system's authorities do not know the test's
    out =
        curlSiteUploader()->upload(a, {{{}, "newer", QStringLiteral("sitemap.xml")}}, nullptr, {});
    EXPECT_EQ(out.stop, Stop::Certificate) << out.message.toStdString();
    EXPECT_EQ(bytesOf(root + "/sitemap.xml"), QByteArray("new"));

    a = ftp.account(QStringLiteral("ftps"));
    a.password = QStringLiteral("wrong");
    out = curlSiteUploader()->upload(a, {{{}, "x", QStringLiteral("sitemap.xml")}}, nullptr, {});
    EXPECT_EQ(out.stop, Stop::LoginDenied) << out.message.toStdString();
}

TEST_F(FtpPublish, plainFtp_toAServerThatWillNotRenameOverAFile_deletesTheOldOneFirst) {
    FtpServer ftp(root, {QStringLiteral("--no-rename-over")});
    ASSERT_TRUE(ftp.ok());
    writeBytes(root + "/site/sitemap.htm", "old map");
    SiteAccount a = ftp.account(QStringLiteral("ftp"));
    a.address.path = QStringLiteral("/site");
    const SiteUploadOutcome out = curlSiteUploader()->upload(
        a, {{{}, "new map", QStringLiteral("sitemap.htm")}, {{}, "k", QStringLiteral("a/b/k.txt")}},
        nullptr, {});
    ASSERT_TRUE(out.ok()) << out.message.toStdString();
    EXPECT_EQ(bytesOf(root + "/site/sitemap.htm"), QByteArray("new map"));
    EXPECT_EQ(bytesOf(root + "/site/a/b/k.txt"), QByteArray("k"));
    EXPECT_EQ(entriesOf(root + "/site"), QStringList{QStringLiteral("sitemap.htm")});
}

TEST_F(FtpPublish, tlsServerResettingHalfway_leavesTheFileOnTheServerWhole) {
    FtpServer ftp(root, {QStringLiteral("--tls"), dir.path(), QStringLiteral("--reset-after"),
                         QStringLiteral("100000")});
    ASSERT_TRUE(ftp.ok());
    writeBytes(root + "/sitemap.xml", "whole old sitemap");
    const QString local = dir.filePath(QStringLiteral("big.xml"));
    writeBytes(local, QByteArray(500000, 'r'));
    const SiteUploadOutcome out =
        curlSiteUploader()->upload(ftp.account(QStringLiteral("ftps")),
                                   {{local, {}, QStringLiteral("sitemap.xml")}}, nullptr, {});
    EXPECT_EQ(out.stop, Stop::Failed) << out.message.toStdString();
    EXPECT_EQ(out.placed, 0);
    EXPECT_EQ(bytesOf(root + "/sitemap.xml"), QByteArray("whole old sitemap"));
    EXPECT_EQ(entriesOf(root), QStringList{QStringLiteral("sitemap.xml")});
}

TEST(SiteUploadReach, nothingListening_cannotConnect) {
    QTemporaryDir dir;
    SiteAccount a;
    a.address = *parseSiteAddress(QStringLiteral("sftp://127.0.0.1:1/x"));
    a.user = QStringLiteral("u");
    a.knownHostsPath = dir.filePath(QStringLiteral("known_hosts"));
    EXPECT_EQ(curlSiteUploader()->upload(a, {{{}, "x", QStringLiteral("x")}}, nullptr, {}).stop,
              Stop::CannotConnect);
    a.address = *parseSiteAddress(QStringLiteral("ftps://127.0.0.1:1/x"));
    EXPECT_EQ(curlSiteUploader()->upload(a, {{{}, "x", QStringLiteral("x")}}, nullptr, {}).stop,
              Stop::CannotConnect);
}

}  // namespace
