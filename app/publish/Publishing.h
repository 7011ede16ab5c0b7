#pragma once
// Publishing files to the user's own site: which files go where (the XML
// sitemaps last written, the HTML site map, the IndexNow key file), the
// upload, then each file fetched back from the site over HTTP(S) and
// compared byte for byte, and the site's robots.txt read for the sitemap's
// "Sitemap:" line. Plain logic over the uploader and the HTTP client, for the
// window and the command line alike.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <optional>

#include "platform/HttpClient.h"
#include "platform/SiteUpload.h"

namespace fd {

class CADODBAccess;

// One file to publish.
struct PublishFile {
    QString label;      // "XML sitemap", "HTML site map", "IndexNow key file", "File"
    QString localPath;  // "" when bytes holds the content (the key file)
    QByteArray bytes;
    QString remotePath;        // below the target's folder ("sitemap.xml")
    QString publicUrl;         // where the site serves it
    bool mainSitemap = false;  // the sitemap robots.txt should name
};

// A file by its name beside the root URL's pages: remote path = the file's
// name, public address = the root URL's folder + the name. Nothing (with
// problem set) when the root URL is not a web address or the file cannot be
// read.
std::optional<PublishFile> siteFile(const QString& rootUrl, const QString& localPath,
                                    const QString& label, QString* problem = nullptr);

// The XML sitemaps whose main file is mainPath: it and the numbered files
// beside it ("sitemap-1.xml", ...) that exist, in order. The main file is
// marked for the robots.txt check.
QList<PublishFile> xmlSitemapFiles(const QString& rootUrl, const QString& mainPath,
                                   QString* problem = nullptr);

// The IndexNow key file of key at its place (the host's root, or
// keyLocation): its content is the key. Nothing (with problem set) when the
// key is not valid or its place lies outside the root URL's folder, which is
// the part of the site the target holds.
std::optional<PublishFile> keyFile(const QString& rootUrl, const QString& key,
                                   const QString& keyLocation, QString* problem = nullptr);

// What the site serves at a published file's address.
struct ServedCheck {
    QString url;
    bool served = false;  // exactly the bytes uploaded
    QString message;      // "<url>: published and served", or what it serves instead
};
// Fetches url (following redirects) and compares the answer with expected.
ServedCheck checkServed(HttpClient& http, const QString& url, const QByteArray& expected,
                        const std::atomic<bool>* cancel = nullptr);

// Reads the robots.txt of the root URL's host and says whether it names
// sitemapUrl; when it does not, the message gives the line to add. The
// robots.txt is never changed.
struct RobotsCheck {
    bool listed = false;
    QString message;
};
RobotsCheck checkRobotsSitemap(HttpClient& http, const QString& rootUrl, const QString& sitemapUrl,
                               const std::atomic<bool>* cancel = nullptr);

// One run: the account (password filled in), the files, the root URL.
struct PublishRequest {
    QString rootUrl;
    SiteAccount account;
    QList<PublishFile> files;
};

struct PublishReport {
    SiteUploadOutcome upload;
    QList<ServedCheck> checks;  // one per file placed
    std::optional<RobotsCheck> robots;
    // Every file placed and served as uploaded.
    bool ok() const;
    // The whole outcome in plain words, a line per file.
    QString text(const PublishRequest& request) const;
};

// progress(done, total): bytes uploaded. Blocks: call it off the window's
// thread.
PublishReport publish(SiteUploader& uploader, HttpClient& http, const PublishRequest& request,
                      const std::atomic<bool>* cancel = nullptr,
                      const std::function<void(qint64, qint64)>& progress = nullptr);

// What a root URL would publish by default: the XML sitemaps and the HTML
// site map last written for it (those still there), and the IndexNow key
// file when the root URL has a key. What cannot be offered (a file gone, a
// key file outside the target's folder) is said in problems. Throws
// AppError when the tables cannot be read.
QList<PublishFile> lastWrittenFiles(const CADODBAccess& db, const QString& rootUrl,
                                    QStringList* problems = nullptr);

}  // namespace fd
