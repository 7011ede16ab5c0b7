// The Secret Service keyring (a gnome-keyring-daemon of this test's own, in a
// private D-Bus session) and farrowdale-cli publish against sshd and the
// test web server: the password from the keyring or a file, the host key
// asked about by its fingerprint, and the password in no log line, table,
// output or process command line.
#include <gtest/gtest.h>

#include <QDir>
#include <QThread>

#include "../cli/CliRun.h"
#include "PublishPeers.h"
#include "core/ExtraTables.h"
#include "platform/Keyring.h"
#include "publish/PublishTarget.h"
#include "sitemap/WrittenSiteMaps.h"
#include "submit/indexnow/IndexNowKey.h"
#include "support/TestFolder.h"

using namespace fd;
using namespace fd::test;

namespace {

TEST(SecretServiceKeyring, storesLooksUpReplacesAndRemoves) {
    ASSERT_FALSE(qgetenv("DBUS_SESSION_BUS_ADDRESS").isEmpty()) << "run in a keyring session";
    auto keyring = secretServiceKeyring();
    const KeyringEntry a{QStringLiteral("sftp://example.org:22"), QStringLiteral("me")};
    const KeyringEntry b{QStringLiteral("sftp://example.org:22"), QStringLiteral("other")};
    EXPECT_FALSE(keyring->lookup(a));
    keyring->store(a, QStringLiteral("label"), QStringLiteral("first ünïcode"));
    keyring->store(b, QStringLiteral("label"), QStringLiteral("b's"));
    EXPECT_EQ(keyring->lookup(a).value_or(QString()), QStringLiteral("first ünïcode"));
    keyring->store(a, QStringLiteral("label"), QStringLiteral("second"));
    EXPECT_EQ(keyring->lookup(a).value_or(QString()), QStringLiteral("second"));
    keyring->remove(a);
    EXPECT_FALSE(keyring->lookup(a));
    EXPECT_EQ(keyring->lookup(b).value_or(QString()), QStringLiteral("b's"));
    keyring->remove(a);  // nothing there: no failure
}

class CliPublish : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ssh.ok()) << "sshd did not start";
        ASSERT_TRUE(site.ok());
        ASSERT_TRUE(ensureExtraTables(folder.globals().gDB->databasePath()).isEmpty());
        folder.exec(QStringLiteral("INSERT INTO WebSites (WebSiteGenericName) VALUES ('Mine')"));
        folder.exec(QStringLiteral("INSERT INTO WebSiteNames (WebSiteID, WebSiteBaseURL) VALUES "
                                   "((SELECT max(WebSiteID) FROM WebSites), '%1')")
                        .arg(site.rootUrl()));
        target = {QStringLiteral("sftp://127.0.0.1:%1%2").arg(ssh.port()).arg(www), ssh.user};
        savePublishTarget(*folder.globals().gDB, site.rootUrl(), target);
        writeBytes(out + "/sitemap.xml", "<urlset>fresh</urlset>\n");
        writeBytes(out + "/sitemap-1.xml", "<urlset>one</urlset>\n");
        recordWrittenSiteMaps(*folder.globals().gDB, site.rootUrl(), SiteMapKind::Xml,
                              {out + "/sitemap.xml", out + "/sitemap-1.xml"});
        saveIndexNowKey(*folder.globals().gDB, site.rootUrl(),
                        {QStringLiteral("0123456789abcdef0123"), QString()});
        QFile::remove(knownHosts());
    }
    void TearDown() override { secretServiceKeyring()->remove(keyringEntry(target)); }
    static QString knownHosts() {
        return QDir::home().filePath(QStringLiteral(".ssh/known_hosts"));
    }
    CliResult publish(const QStringList& extra) {
        // The command lines of every process, read while the command runs.
        QProcess p;
        p.setProcessEnvironment(cliEnvironment(dir.filePath(QStringLiteral("data"))));
        p.start(QStringLiteral(FARROWDALE_CLI),
                QStringList{QStringLiteral("--program-folder"), folder.path(),
                            QStringLiteral("publish"), QStringLiteral("--site"),
                            QStringLiteral("Mine")} +
                    extra);
        EXPECT_TRUE(p.waitForStarted(10000));
        while (!p.waitForFinished(5)) commandLines += allCommandLines();
        CliResult r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
    // Nothing the program wrote or showed holds the password.
    void expectNoPasswordAnywhere(const CliResult& r) {
        const QByteArray pw(SshServer::kPassword);
        EXPECT_FALSE(r.out.toUtf8().contains(pw));
        EXPECT_FALSE(r.err.toUtf8().contains(pw));
        EXPECT_FALSE(bytesOf(folder.file(QStringLiteral("errorlog.txt"))).contains(pw));
        for (const QString& f : QDir(folder.path()).entryList({QStringLiteral("QELS.db*")}))
            EXPECT_FALSE(bytesOf(folder.file(f)).contains(pw)) << f.toStdString();
        EXPECT_FALSE(commandLines.contains(pw));
        EXPECT_TRUE(commandLines.contains("farrowdale-cli"));  // the search saw the command
    }

    QTemporaryDir dir;
    QString www = dir.filePath(QStringLiteral("www"));
    QString out = dir.filePath(QStringLiteral("out"));
    SshServer ssh{dir.filePath(QStringLiteral("sshd"))};
    WebSite site{(QDir().mkpath(www), www)};
    TestFolder folder;
    PublishTarget target;
    QByteArray commandLines;
};

TEST_F(CliPublish, passwordFromTheKeyring_hostKeyTrustedByItsFingerprint_filesServed) {
    if (!ssh.passwords)
        GTEST_SKIP() << "sshd cannot check passwords when not run as root"
                     << ssh.seen.join("|").toStdString();
    secretServiceKeyring()->store(keyringEntry(target), keyringLabel(target),
                                  QString::fromLatin1(SshServer::kPassword));
    CliResult r = publish({});
    EXPECT_EQ(r.code, 1) << r.err.toStdString();
    const QString fingerprint = ssh.hostKey().fingerprint();
    EXPECT_TRUE(r.err.contains(QStringLiteral("--trust-host-key ") + fingerprint))
        << r.err.toStdString();
    EXPECT_TRUE(entriesOf(www).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(knownHosts()));

    r = publish({QStringLiteral("--trust-host-key"), fingerprint});
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(bytesOf(www + "/sitemap.xml"), QByteArray("<urlset>fresh</urlset>\n"));
    EXPECT_EQ(bytesOf(www + "/sitemap-1.xml"), QByteArray("<urlset>one</urlset>\n"));
    EXPECT_EQ(bytesOf(www + "/0123456789abcdef0123.txt"), QByteArray("0123456789abcdef0123"));
    for (const char* name : {"sitemap.xml", "sitemap-1.xml", "0123456789abcdef0123.txt"})
        EXPECT_TRUE(r.out.contains(site.rootUrl() + QLatin1String(name) +
                                   QStringLiteral(": published and served")))
            << name << r.out.toStdString();
    // No robots.txt on the site: the line to put in one is given.
    EXPECT_TRUE(r.out.contains(QStringLiteral("Sitemap: ") + site.rootUrl() +
                               QStringLiteral("sitemap.xml")))
        << r.out.toStdString();
    EXPECT_TRUE(bytesOf(knownHosts()).contains(ssh.hostKey().knownHostsLine().toUtf8()));
    expectNoPasswordAnywhere(r);

    // A file named alone goes alone; known_hosts now holds the key.
    writeBytes(out + "/map.htm", "<html>map</html>");
    r = publish({QStringLiteral("--html-map"), out + "/map.htm"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(entriesOf(www).size(), 4);
}

TEST_F(CliPublish, wrongPasswordFromAFile_isRefused_andNowhereWritten) {
    if (!ssh.passwords) GTEST_SKIP() << "sshd cannot check passwords when not run as root";
    addKnownHost(knownHosts(), ssh.hostKey());
    const QString file = dir.filePath(QStringLiteral("pw"));
    writeBytes(file, "wrong-Pa55\n");
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    CliResult r = publish({QStringLiteral("--password-file"), file});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("refused the login"))) << r.err.toStdString();
    EXPECT_TRUE(entriesOf(www).isEmpty());
    EXPECT_FALSE(folder.errorLog().contains(QStringLiteral("wrong-Pa55")));
    EXPECT_TRUE(folder.errorLog().contains(QStringLiteral("refused the login")));

    writeBytes(file, QByteArray(SshServer::kPassword) + "\r\n");
    r = publish({QStringLiteral("--password-file"), file, QStringLiteral("--key-file")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(entriesOf(www), QStringList{QStringLiteral("0123456789abcdef0123.txt")});
    expectNoPasswordAnywhere(r);
}

TEST_F(CliPublish, ftpWithoutAStoredPassword_saysWhereToPutIt) {
    savePublishTarget(*folder.globals().gDB, site.rootUrl(),
                      {QStringLiteral("ftp://127.0.0.1:1/"), QStringLiteral("me")});
    const CliResult r = publish({});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--password-file"))) << r.err.toStdString();
}

}  // namespace
