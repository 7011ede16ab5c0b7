// The rules of publishing that need no server: addresses, host-key lines,
// which files go where, robots.txt's Sitemap lines, the stored targets.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "audit/RobotsTxt.h"
#include "core/ExtraTables.h"
#include "platform/SiteUpload.h"
#include "publish/PublishTarget.h"
#include "publish/Publishing.h"
#include "sitemap/WrittenSiteMaps.h"
#include "support/TestFolder.h"

using namespace fd;

namespace {

TEST(PublishAddress, schemesPortsAndPaths) {
    auto a = parseSiteAddress(QStringLiteral(" SFTP://Example.ORG/var/www/my%20site "));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->protocol, SiteProtocol::Sftp);
    EXPECT_EQ(a->host, QStringLiteral("example.org"));
    EXPECT_EQ(a->port, 22);
    EXPECT_EQ(a->path, QStringLiteral("/var/www/my site"));
    EXPECT_EQ(a->server(), QStringLiteral("sftp://example.org:22"));

    a = parseSiteAddress(QStringLiteral("ftps://h:2121"));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->port, 2121);
    EXPECT_EQ(a->path, QStringLiteral("/"));
    EXPECT_FALSE(a->implicitTls());
    EXPECT_TRUE(parseSiteAddress(QStringLiteral("ftps://h:990/x"))->implicitTls());
    EXPECT_EQ(parseSiteAddress(QStringLiteral("ftp://[::1]/"))->server(),
              QStringLiteral("ftp://[::1]:21"));

    QString why;
    for (const char* bad :
         {"", "example.org/www", "http://h/", "sftp:///path", "sftp://h/a?b", "sftp://h/a\"b"}) {
        EXPECT_FALSE(parseSiteAddress(QString::fromUtf8(bad), &why)) << bad;
        EXPECT_FALSE(why.isEmpty()) << bad;
    }
    // A password never rides in the address, and the user has a box of its own.
    EXPECT_FALSE(parseSiteAddress(QStringLiteral("sftp://u:secret@h/"), &why));
    EXPECT_TRUE(why.contains(QStringLiteral("keyring")));
    EXPECT_FALSE(parseSiteAddress(QStringLiteral("sftp://u@h/"), &why));
    EXPECT_TRUE(why.contains(QStringLiteral("user name")));
}

TEST(PublishAddress, plainFtpEarnsTheClearTextWarning_andAUserIsNeeded) {
    EXPECT_EQ(publishTargetWarning({QStringLiteral("ftp://h/"), QStringLiteral("u")}),
              kClearTextFtpWarning);
    EXPECT_TRUE(publishTargetWarning({QStringLiteral("ftps://h/"), QStringLiteral("u")}).isEmpty());
    EXPECT_TRUE(publishTargetProblem({QStringLiteral("sftp://h/"), QStringLiteral("u")}).isEmpty());
    EXPECT_FALSE(
        publishTargetProblem({QStringLiteral("sftp://h/"), QStringLiteral(" ")}).isEmpty());
}

TEST(HostKeys, typeFingerprintAndKnownHostsLine) {
    // An ed25519 public key in SSH wire form ("ssh-ed25519" and 32 bytes).
    const QByteArray blob = QByteArray::fromBase64(
        "AAAAC3NzaC1lZDI1NTE5AAAAIAen4ZbWwY61I4bEaFoVcGVYDE0PHkGBlaHLw74YmZXE");
    HostKey k{QStringLiteral("example.org"), 22, blob};
    EXPECT_EQ(k.type(), QStringLiteral("ssh-ed25519"));
    EXPECT_TRUE(k.fingerprint().startsWith(QStringLiteral("SHA256:")));
    EXPECT_FALSE(k.fingerprint().endsWith(u'='));
    EXPECT_EQ(
        k.knownHostsLine(),
        QStringLiteral("example.org ssh-ed25519 "
                       "AAAAC3NzaC1lZDI1NTE5AAAAIAen4ZbWwY61I4bEaFoVcGVYDE0PHkGBlaHLw74YmZXE"));
    k.port = 2222;
    EXPECT_TRUE(k.knownHostsLine().startsWith(QStringLiteral("[example.org]:2222 ssh-ed25519 ")));
    const HostKey broken{{}, 22, QByteArray("\x00\x00\xff\xff", 4)};
    EXPECT_TRUE(broken.type().isEmpty());

    // Added to a file that lacks its last line end: the lines stay apart and
    // the folder is made, owner-only.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ssh/known_hosts"));
    addKnownHost(path, k);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("other ssh-rsa AAAA");
    f.close();
    addKnownHost(path, HostKey{QStringLiteral("b"), 22, blob});
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().split('\n').size(), 4);
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("ssh"))).permissions() & 0x0077, 0);
}

TEST(PublishFiles, sitemapsMapsAndTheKeyFile_goWhereTheSiteServesThem) {
    QTemporaryDir dir;
    for (const char* name : {"sitemap.xml", "sitemap-1.xml", "sitemap-2.xml", "sitemap-4.xml"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString root = QStringLiteral("https://Example.org/blog/");
    const QList<PublishFile> maps = xmlSitemapFiles(root, dir.filePath("sitemap.xml"));
    ASSERT_EQ(maps.size(), 3);  // numbered files as far as they run on
    EXPECT_TRUE(maps[0].mainSitemap);
    EXPECT_FALSE(maps[1].mainSitemap);
    EXPECT_EQ(maps[2].remotePath, QStringLiteral("sitemap-2.xml"));
    EXPECT_EQ(maps[0].publicUrl, QStringLiteral("https://example.org/blog/sitemap.xml"));
    QString why;
    EXPECT_TRUE(xmlSitemapFiles(root, dir.filePath("none.xml"), &why).isEmpty());
    EXPECT_FALSE(why.isEmpty());

    const QString key = QStringLiteral("0123456789abcdef");
    // At the host's root, outside the folder the target holds: refused.
    EXPECT_FALSE(keyFile(root, key, {}, &why));
    EXPECT_TRUE(why.contains(QStringLiteral("https://example.org/0123456789abcdef.txt")))
        << why.toStdString();
    auto k = keyFile(QStringLiteral("https://example.org"), key, {});
    ASSERT_TRUE(k);
    EXPECT_EQ(k->remotePath, key + QStringLiteral(".txt"));
    EXPECT_EQ(k->bytes, key.toUtf8());
    k = keyFile(root, key, QStringLiteral("https://example.org/blog/keys/my%20key.txt"));
    ASSERT_TRUE(k);
    EXPECT_EQ(k->remotePath, QStringLiteral("keys/my key.txt"));
    EXPECT_EQ(k->publicUrl, QStringLiteral("https://example.org/blog/keys/my%20key.txt"));
    EXPECT_FALSE(keyFile(root, QStringLiteral("short"), {}, &why));
}

TEST(RobotsTxt, sitemapLinesWhateverTheirCaseAndComments) {
    EXPECT_EQ(
        audit::RobotsTxt::sitemaps("\xEF\xBB\xBFsitemap: https://a/1.xml\r\nUser-agent: *\n"
                                   "  SITEMAP :https://a/2.xml # main\n#Sitemap: https://a/3.xml\n"
                                   "Sitemap:\nDisallow: /sitemap:x\n"),
        (QStringList{QStringLiteral("https://a/1.xml"), QStringLiteral("https://a/2.xml")}));
}

TEST(PublishTargets, storedPerRootUrl_withoutAPassword_andTheLastSitemapsRemembered) {
    test::TestFolder folder;
    Globals& g = folder.globals();
    ASSERT_TRUE(ensureExtraTables(g.gDB->databasePath()).isEmpty());
    const QString root = QStringLiteral("https://example.org/");
    EXPECT_FALSE(loadPublishTarget(*g.gDB, root));
    savePublishTarget(*g.gDB, root, {QStringLiteral(" sftp://h/www "), QStringLiteral("o'neil")});
    savePublishTarget(*g.gDB, QStringLiteral("https://other/"),
                      {QStringLiteral("ftp://x/"), QStringLiteral("u")});
    auto t = loadPublishTarget(*g.gDB, root);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->address, QStringLiteral("sftp://h/www"));
    EXPECT_EQ(t->user, QStringLiteral("o'neil"));
    EXPECT_EQ(keyringEntry(*t).server, QStringLiteral("sftp://h:22"));
    EXPECT_EQ(folder.scalar("SELECT group_concat(name) FROM pragma_table_info('PublishTargets')"),
              QStringLiteral("WebSiteBaseURL,Address,UserName,SavedDate"));
    savePublishTarget(*g.gDB, root, {QString(), QString()});
    EXPECT_FALSE(loadPublishTarget(*g.gDB, root));
    EXPECT_TRUE(loadPublishTarget(*g.gDB, QStringLiteral("https://other/")));

    recordWrittenSiteMaps(*g.gDB, root, SiteMapKind::Xml, {"/a/sitemap.xml", "/a/sitemap-1.xml"});
    recordWrittenSiteMaps(*g.gDB, root, SiteMapKind::Html, {"/a/map.htm"});
    recordWrittenSiteMaps(*g.gDB, root, SiteMapKind::Xml, {"/b/sitemap.xml.gz"});
    EXPECT_EQ(lastWrittenSiteMaps(*g.gDB, root, SiteMapKind::Xml),
              QStringList{QStringLiteral("/b/sitemap.xml.gz")});
    EXPECT_EQ(lastWrittenSiteMaps(*g.gDB, root, SiteMapKind::Html),
              QStringList{QStringLiteral("/a/map.htm")});
    EXPECT_TRUE(
        lastWrittenSiteMaps(*g.gDB, QStringLiteral("https://other/"), SiteMapKind::Xml).isEmpty());
}

}  // namespace
