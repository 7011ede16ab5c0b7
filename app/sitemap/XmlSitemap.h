#pragma once
// XML sitemaps for search engines, built from the same pages as the HTML site
// map: one urlset file of absolute page addresses, or, beyond 50,000 URLs or
// 50 MB, numbered files listed by an index file. Plain functions over a list
// of pages, with no widgets, so the window, a command line and the site audit
// share them.

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fd {

class CADODBAccess;

// One page of the list: the entry as the page list holds it (normally a path
// under the root URL, or a whole address), and the day it was last updated
// when that is known.
struct SitemapPage {
    QString entry;
    QDate lastModified;
};

// The site a sitemap describes, taken from its root URL: scheme, host and
// port (lower case, default port dropped) and the root's own path.
class SitemapSite {
public:
    // Nothing when the root is not an absolute http or https address with a
    // host.
    static std::optional<SitemapSite> fromRootUrl(const QString& rootUrl);

    enum class Fit { Listed, OtherHost, TooLong };

    // The entry's absolute address into loc, escaped for a URL (spaces,
    // controls and characters outside ASCII percent-encoded as UTF-8, valid
    // escapes kept, a fragment dropped) but not yet for XML. A relative entry
    // is joined to the root with exactly one "/" between them; a whole
    // address must have the root's scheme, host and port.
    Fit locate(QStringView entry, std::string& loc) const;

    // The address under which a file saved beside the site's pages is
    // published: the root's folder followed by the escaped file name.
    QString fileUrl(const QString& fileName) const;

    // The escaped root folder address, ending in "/".
    const std::string& base() const { return base_; }

    // When address is base() followed by characters that need no escape,
    // none of them "%", "#" or a blank, the address is its own loc and its
    // own key (sitemapAddressKey): the length of that tail. 0 otherwise, and
    // always when base() holds an escape.
    std::size_t plainTail(std::string_view address) const;

private:
    std::string base_;       // "https://host:port/root-path/"
    std::string authority_;  // "host:port" as compared with whole-address entries
    std::string scheme_;     // "http" or "https"
};

// The longest address a sitemap may list, counted after escaping.
constexpr int kMaxSitemapUrlLength = 2048;

// The form in which two escaped addresses (as SitemapSite::locate gives
// them) are the same page: escapes in upper case and escapes of unreserved
// characters decoded, so "a%7eb", "a%7Eb" and "a~b" agree. Returns loc
// itself when it holds no escape, else scratch.
const std::string& sitemapAddressKey(const std::string& loc, std::string& scratch);

// The addresses seen so far, by the hash of their key (sitemapAddressKey);
// equal hashes are told apart by asking for both keys again, so only the
// addresses' positions are kept, not the addresses.
class SeenSitemapAddresses {
public:
    // keyOf gives the key of the address at a position already seen.
    using KeyOf = std::function<std::string(qsizetype index)>;
    SeenSitemapAddresses(qsizetype expected, KeyOf keyOf);

    static std::uint64_t hashOf(std::string_view key);
    // True when an earlier position had the same key; otherwise remembers
    // the hash for index.
    bool seen(std::uint64_t hash, qsizetype index);

private:
    struct Slot {
        std::uint32_t check = 0;
        std::uint32_t indexPlusOne = 0;
    };
    KeyOf keyOf_;
    std::vector<Slot> slots_;
};

struct XmlSitemapOptions {
    int maxUrlsPerFile = 50000;
    qint64 maxBytesPerFile = 50LL * 1024 * 1024;  // before compression
    // Write gzip files; when unset, a main file name ending in ".gz" decides.
    std::optional<bool> gzip;
    // The date the index gives its files.
    QDate written = QDate::currentDate();
    // Told how many of the pages are done every so often and once all files
    // are complete, before any takes its place; false stops the build.
    std::function<bool(qint64 done, qint64 total)> progress;
};

// What one build wrote and what it left out.
struct XmlSitemapSummary {
    qint64 urls = 0;
    // Every file written: the main file (the only sitemap, or the index)
    // first, then the numbered files. Empty when there was nothing to list.
    QStringList files;
    bool indexed = false;
    qint64 notListed = 0;    // left out by the site map's own rules (robots.txt, logs, ...)
    qint64 otherHost = 0;    // on another scheme, host or port than the root
    qint64 tooLong = 0;      // over kMaxSitemapUrlLength characters once escaped
    qint64 duplicates = 0;   // the same address as an earlier page once normalised
    QString sitemapUrl;      // the main file's published address, for robots.txt
    bool cancelled = false;  // stopped by its progress: nothing was written
};

// The numbered file beside mainPath: "sitemap.xml" -> "sitemap-2.xml",
// "sitemap.xml.gz" -> "sitemap-2.xml.gz".
QString numberedSitemapPath(const QString& mainPath, int number);

// Builds the sitemaps for the pages of root and writes them to mainPath and
// the numbered files beside it. Every file goes to a temporary file in the
// same folder first; only when all are complete are they renamed into place
// (the numbered files before the index), so a failure, or a stop asked for
// by the progress, leaves the earlier files as they were. Nothing is written when no page can be
// listed. Throws AppError when root is not a web address or a file cannot be written.
XmlSitemapSummary writeXmlSitemaps(const QString& rootUrl, const QList<SitemapPage>& pages,
                                   const QString& mainPath, const XmlSitemapOptions& options = {});

// The message shown after a build: how many URLs went into how many files,
// what was left out and why, and the robots.txt line.
QString xmlSitemapMessage(const XmlSitemapSummary& summary);

// The day each page of the site was last updated, from the recorded pages of
// the site of that name (keyed by the page as recorded; the latest day wins).
QHash<QString, QDate> pageUpdateDates(const CADODBAccess& db, const QString& siteName);

}  // namespace fd
