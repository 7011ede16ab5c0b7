// The audit against a documentation site of about 550 static pages served by
// nginx, beside Debian's linkchecker crawling the same site: both must find
// the same pages of the site and leave the same ones alone for robots.txt
// (whose lines end in CR alone); nginx's access log shows what the audit
// asked for, as it asked for it.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include "audit/AuditUrl.h"
#include "audit/SiteAudit.h"
#include "support/FreePort.h"
#include "support/QtPrinters.h"

using namespace fd::audit;

namespace {

class AuditNginx : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        port_ = fd::test::unusedLoopbackPort();
        root_ = QStringLiteral("http://127.0.0.1:%1/").arg(port_);
        QProcess site;
        site.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral(FARROWDALE_TEST_FIXTURES "/docs_site.py"), path("site"),
                    QString::number(port_)});
        ASSERT_TRUE(site.waitForFinished(60000));
        ASSERT_GT(site.readAllStandardOutput().trimmed().toInt(), 500);

        QDir().mkpath(path("tmp"));
        QFile conf(path("nginx.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(
            QStringLiteral(
                "daemon off; master_process off; worker_processes 1;\n"
                "error_log %1/error.log; pid %1/nginx.pid;\n"
                "events { worker_connections 256; }\n"
                "http {\n"
                "  log_format target '$request_uri';\n"
                "  access_log %1/access.log target;\n"
                "  types { text/html html; text/plain txt; }\n"
                // linkchecker asks more than ten times a second only of a
                // server answering with this header.
                "  add_header LinkChecker allowed;\n"
                "  client_body_temp_path %1/tmp; proxy_temp_path %1/tmp;\n"
                "  fastcgi_temp_path %1/tmp; uwsgi_temp_path %1/tmp; scgi_temp_path %1/tmp;\n"
                "  server { listen 127.0.0.1:%2; root %1/site; }\n"
                "}\n")
                .arg(dir_.path())
                .arg(port_)
                .toUtf8());
        conf.close();
        nginx_.start(QStringLiteral("/usr/sbin/nginx"),
                     {QStringLiteral("-p"), dir_.path(), QStringLiteral("-c"), conf.fileName(),
                      QStringLiteral("-e"), path("error.log")});
        ASSERT_TRUE(nginx_.waitForStarted(10000)) << "nginx (Debian's nginx) did not start";
        QDeadlineTimer deadline(10000);
        while (!fd::test::loopbackPortAnswers(port_) && !deadline.hasExpired()) QThread::msleep(20);
        ASSERT_TRUE(fd::test::loopbackPortAnswers(port_)) << "nginx does not answer";
    }
    void TearDown() override {
        nginx_.kill();
        nginx_.waitForFinished(5000);
    }

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    // The request targets nginx has logged since the last call, as sent,
    // once there are at least `expected` of them: nginx logs a request just
    // after its answer has gone, so the last line may come a moment after
    // the audit has its page.
    QStringList takeRequested(int expected = 0) {
        QFile log(path("access.log"));
        if (!log.open(QIODevice::ReadWrite)) return {};
        QDeadlineTimer deadline(5000);
        while (log.size() > 0 && log.readAll().count('\n') < expected && !deadline.hasExpired()) {
            QThread::msleep(10);
            log.seek(0);
        }
        log.seek(0);
        QStringList targets = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
        log.resize(0);
        return targets;
    }

    AuditResult audit(const QStringList& pages, bool follow) {
        AuditRequest r;
        r.rootUrl = root_;
        r.pages = pages;
        r.options.followLinks = follow;
        r.options.pageLimit = 2000;
        std::atomic<bool> cancel{false};
        return runSiteAudit(r, {}, cancel);
    }

    QTemporaryDir dir_;
    int port_ = 0;
    QString root_;
    QProcess nginx_;
};

TEST_F(AuditNginx, FindsThePagesLinkcheckerFindsAndHonoursTheSameRobotsTxt) {
    takeRequested();
    const AuditResult r = audit({}, true);
    int fetched = 1;  // robots.txt
    for (const AuditPage& p : r.pages) fetched += p.disallowed ? 0 : 1;
    const QStringList asked = takeRequested(fetched);
    QSet<QString> found, left;
    for (const AuditPage& p : r.pages) {
        found.insert(p.url);
        if (p.disallowed) left.insert(p.url);
        EXPECT_TRUE(p.error.isEmpty() || p.disallowed) << qPrintable(p.url + ": " + p.error);
    }

    // linkchecker over the same site: every address of the site it met
    // (other ports and schemes are "filtered" as not the site's), and those
    // robots.txt kept it from.
    // Run as root, linkchecker reads its settings as "nobody".
    QFile::setPermissions(dir_.path(),
                          QFile::permissions(dir_.path()) | QFile::ReadOther | QFile::ExeOther);
    QFile config(path("linkcheckerrc"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("[checking]\nmaxrequestspersecond=1000\n");
    config.close();
    QProcess lc;
    lc.start(QStringLiteral("/usr/bin/linkchecker"),
             {QStringLiteral("-f"), config.fileName(), QStringLiteral("--verbose"),
              QStringLiteral("--no-status"), QStringLiteral("-o"), QStringLiteral("csv"),
              QStringLiteral("-t"), QStringLiteral("4"), root_});
    ASSERT_TRUE(lc.waitForFinished(240000)) << "linkchecker (Debian's linkchecker) did not finish";
    QSet<QString> seen, denied;
    for (const QByteArray& line : lc.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> f = line.split(';');
        if (line.startsWith('#') || f.size() < 8 || f[0] == "urlname") continue;
        const QString url = auditUrl(QString::fromUtf8(f[7]));
        if (!url.startsWith(root_)) continue;
        seen.insert(url);
        if (f[5].contains("robots.txt")) denied.insert(url);
    }
    EXPECT_GT(seen.size(), 550);
    EXPECT_EQ(found - seen, QSet<QString>()) << "found by the audit alone";
    EXPECT_EQ(seen - found, QSet<QString>()) << "found by linkchecker alone";
    EXPECT_EQ(left, denied);
    EXPECT_EQ(left, QSet<QString>{root_ + "private/notes.html"});

    // nginx was asked for no page robots.txt forbids, and for the wrapped
    // addresses without their TAB, CR or LF.
    EXPECT_EQ(asked.count(QStringLiteral("/robots.txt")), 1);
    for (const QString& target : asked) {
        EXPECT_FALSE(target.startsWith(u"/private/") || target.startsWith(u"/public/"))
            << qPrintable(target);
        EXPECT_FALSE(target.contains(u"%09") || target.contains(u"%0D") || target.contains(u"%0A"))
            << qPrintable(target);
    }
    EXPECT_TRUE(asked.contains(QStringLiteral("/ch00/page-04.html")));

    // Two titles that differ in a no-break space are two titles.
    for (const AuditPage& p : r.pages) {
        if (p.url == root_ + "ch00/page-01.html") {
            EXPECT_EQ(p.title, QStringLiteral("Same\u00a0title"));
        }
    }
    for (const AuditFinding& f : r.findings) {
        if (f.url.contains(u"/ch00/page-0")) {
            EXPECT_NE(f.kind, FindingKind::TitleDuplicate) << qPrintable(f.url + " " + f.detail);
        }
    }
}

TEST_F(AuditNginx, AListedDoubleSlashPathIsJudgedAndRequestedAsListed) {
    takeRequested();
    const QString origin = QString(root_).chopped(1);
    const AuditResult r =
        audit({origin + "//public/listed.html", origin + "/public/listed.html"}, false);
    ASSERT_EQ(r.pages.size(), 3);
    EXPECT_EQ(r.pages[1].url, origin + "//public/listed.html");
    EXPECT_EQ(r.pages[1].status, 200);
    EXPECT_EQ(r.pages[1].title, "Listed by its double slash");
    EXPECT_TRUE(r.pages[2].disallowed);
    const QStringList asked = takeRequested(3);  // robots.txt, the root and one page
    EXPECT_TRUE(asked.contains(QStringLiteral("//public/listed.html")));
    EXPECT_FALSE(asked.contains(QStringLiteral("/public/listed.html")));
}

}  // namespace
