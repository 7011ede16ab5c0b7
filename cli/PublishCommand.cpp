// farrowdale-cli publish: the Tools menu's "Publish to Site..." without a
// window.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>

#include "Cli.h"
#include "core/CADODBAccess.h"
#include "platform/CurlHttpClient.h"
#include "platform/Keyring.h"
#include "publish/PublishTarget.h"
#include "publish/Publishing.h"
#include "submit/indexnow/IndexNowKey.h"

namespace fd::cli {

namespace {

std::atomic<bool> gStop{false};

// The first line of the file (or of stdin for "-"), without its line end.
QString readPasswordFile(const QString& path, const Invocation& in) {
    QFile file;
    const bool stdinput = path == QLatin1String("-");
    if (!stdinput) file.setFileName(path);
    if (!(stdinput ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly)))
        fail(QStringLiteral("the password file %1 cannot be read: %2")
                 .arg(path, file.errorString()));
    if (!stdinput && (QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::ReadOther)))
        in.note(QStringLiteral("the password file %1 can be read by other users").arg(path));
    QByteArray line = file.readLine(64 * 1024);
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    if (line.isEmpty()) fail(QStringLiteral("the password file %1 is empty").arg(path));
    return QString::fromUtf8(line);
}

// The sitemap in dir: sitemap.xml, else sitemap.xml.gz.
QString mainSitemapIn(const QString& dir) {
    for (const char* name : {"sitemap.xml", "sitemap.xml.gz"}) {
        const QString path = QDir(dir).filePath(QLatin1String(name));
        if (QFileInfo(path).isFile()) return path;
    }
    fail(QStringLiteral("there is no sitemap.xml or sitemap.xml.gz in %1").arg(dir));
}

}  // namespace

int publishCommand(Invocation& in) {
    in.positional(0, {});
    in.ensureExtraTables();
    const sites::SiteRecord site = in.site();
    const sites::RootRecord root = in.root(site);
    const CADODBAccess& db = *in.globals().gDB;
    const auto target = loadPublishTarget(db, root.url);
    if (!target)
        fail(QStringLiteral("the root URL %1 has no publish address: set it on the Configuration "
                            "tab")
                 .arg(root.url));
    const QString targetProblem = publishTargetProblem(*target);
    if (!targetProblem.isEmpty()) fail(targetProblem);

    QList<PublishFile> files;
    QString problem;
    const bool chosen = in.isSet(QStringLiteral("sitemaps")) ||
                        in.isSet(QStringLiteral("key-file")) ||
                        in.isSet(QStringLiteral("html-map"));
    if (!chosen) {
        QStringList problems;
        files = lastWrittenFiles(db, root.url, &problems);
        for (const QString& p : problems) in.note(p);
    }
    if (in.isSet(QStringLiteral("sitemaps"))) {
        const QList<PublishFile> maps = xmlSitemapFiles(
            root.url, mainSitemapIn(in.value(QStringLiteral("sitemaps"))), &problem);
        if (maps.isEmpty()) fail(problem);
        files << maps;
    }
    if (in.isSet(QStringLiteral("html-map"))) {
        const auto map = siteFile(root.url, in.value(QStringLiteral("html-map")),
                                  QStringLiteral("HTML site map"), &problem);
        if (!map) fail(problem);
        files << *map;
    }
    if (in.isSet(QStringLiteral("key-file"))) {
        const auto key = loadIndexNowKey(db, root.url);
        if (!key) fail(QStringLiteral("the root URL %1 has no IndexNow key").arg(root.url));
        const auto file = keyFile(root.url, key->key, key->keyLocation, &problem);
        if (!file) fail(problem);
        files << *file;
    }
    if (files.isEmpty())
        fail(
            QStringLiteral("nothing to publish: write the sitemaps first, or name files with "
                           "--sitemaps, --html-map or --key-file"));

    SiteAccount account = siteAccount(*target, QDir::homePath());
    account.trustedFingerprint = in.value(QStringLiteral("trust-host-key"));
    const bool needsPassword = account.address.protocol != SiteProtocol::Sftp;
    if (in.isSet(QStringLiteral("password-file"))) {
        account.password = readPasswordFile(in.value(QStringLiteral("password-file")), in);
    } else {
        try {
            account.password =
                secretServiceKeyring()->lookup(keyringEntry(*target)).value_or(QString());
        } catch (const AppError& e) {
            if (needsPassword)
                fail(e.description() + QStringLiteral(" (give --password-file on a machine without "
                                                      "a keyring)"));
            in.note(e.description() + QStringLiteral("; trying the SSH agent and key files"));
        }
        if (account.password.isEmpty() && needsPassword)
            fail(QStringLiteral("no password for %1 on %2 in the keyring: store it on the "
                                "Configuration tab, or give --password-file")
                     .arg(account.user, account.address.server()));
    }

    gStop = false;
    auto previous = std::signal(SIGINT, [](int) { gStop = true; });
    PublishRequest request{root.url, account, files};
    CurlHttpClient http;
    const PublishReport report =
        publish(*curlSiteUploader(), http, request, &gStop, [&in](qint64 done, qint64 total) {
            in.progress(QStringLiteral("Uploading: %1 of %2 bytes").arg(done).arg(total));
        });
    in.progress({});
    std::signal(SIGINT, previous);
    in.out(report.text(request) + u'\n');
    if (report.upload.stop == SiteUploadOutcome::Stop::HostKeyUnknown && report.upload.hostKey)
        fail(QStringLiteral("the server's host key is not known. If %1 is the fingerprint of "
                            "your server's key, run again with --trust-host-key %1")
                 .arg(report.upload.hostKey->fingerprint()));
    if (!report.upload.ok()) {
        in.errors().write(QStringLiteral("publish"), err::kTransferFailed, report.upload.message,
                          account.address.server());
        fail(report.upload.message);
    }
    if (!report.ok()) fail(QStringLiteral("the site serves something else than was uploaded"));
    return kOk;
}

}  // namespace fd::cli
