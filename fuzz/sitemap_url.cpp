// The XML sitemap's addresses, fed a root URL (first line) and page-list
// entries (the other lines). Oracles (sitemap_url): every listed <loc> is a
// valid absolute address on the root's scheme, host and port, at most 2,048
// characters of plain URL characters, that decodes back to the page it was
// made from. Oracles (sitemap_xml, which also writes the files): the files
// read back, through an XML parser, as exactly those addresses in page
// order, split under an index whose entries name the numbered files.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>

#include "FuzzTarget.h"
#include "core/AppError.h"
#include "sitemap/SiteMap.h"
#include "sitemap/XmlSitemap.h"

namespace fd::fuzz {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decodes the valid %XX escapes only; anything else stays as it is.
QByteArray decodeEscapes(const QByteArray& s) {
    QByteArray out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
            out += char(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The page's text as UTF-8, an unpaired surrogate as U+FFFD.
QByteArray utf8(QStringView s) {
    QString t = s.toString();
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i].isHighSurrogate() && i + 1 < t.size() && t[i + 1].isLowSurrogate())
            ++i;
        else if (t[i].isSurrogate())
            t[i] = QChar(0xFFFD);
    }
    return t.toUtf8();
}

bool plainUrlText(const std::string& loc) {
    for (const char c : loc) {
        if (c <= 0x20 || c >= 0x7F) return false;
        if (std::string_view("\"<>\\^`{|}#").find(c) != std::string_view::npos) return false;
    }
    return true;
}

qsizetype schemeLength(QStringView s) {
    if (s.startsWith(u"http://", Qt::CaseInsensitive)) return 7;
    if (s.startsWith(u"https://", Qt::CaseInsensitive)) return 8;
    return 0;
}

// The <loc> texts of one file, in order; fails when it is not well-formed.
QStringList readLocs(const QString& path) {
    QFile f(path);
    check(f.open(QIODevice::ReadOnly), "a written sitemap file cannot be read");
    QXmlStreamReader xml(&f);
    QStringList locs;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"loc")
            locs << xml.readElementText();
    }
    if (xml.hasError())
        fail("a written sitemap is not well-formed XML: " + xml.errorString().toStdString());
    return locs;
}

QString scratchFolder() {
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/fuzz-sitemap-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/fuzz-sitemap-XXXXXX"));
    return dir.path();
}

// Checks every entry's address; the ones the sitemap lists (the site map's
// own rules applied) go to listed, every entry to pages.
void checkAddresses(const SitemapSite& site, const std::vector<QString>& lines,
                    QList<SitemapPage>& pages, QStringList& listed) {
    const std::string& base = site.base();
    check(plainUrlText(base) && base.back() == '/',
          "the root folder's address holds bad characters");
    const QUrl baseUrl = QUrl::fromEncoded(QByteArray::fromStdString(base), QUrl::StrictMode);
    check(baseUrl.isValid() && !baseUrl.host().isEmpty() &&
              (baseUrl.scheme() == u"http" || baseUrl.scheme() == u"https"),
          "the root folder's address is not a valid web address");
    const std::string origin =
        base.substr(0, base.find('/', std::size_t(baseUrl.scheme().size()) + 3));

    std::string loc;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const QString& entry = lines[i];
        pages.append({entry, QDate(2026, 1, 2)});
        QStringView e = QStringView(entry).trimmed();
        if (const qsizetype hash = e.indexOf(u'#'); hash >= 0) e = e.left(hash);
        const qsizetype scheme = schemeLength(e);
        const SitemapSite::Fit fit = site.locate(entry, loc);
        if (fit == SitemapSite::Fit::OtherHost) {
            check(scheme > 0, "a page under the root is taken for another host's");
            continue;
        }
        if (fit == SitemapSite::Fit::TooLong) {
            check(loc.size() > std::size_t(kMaxSitemapUrlLength),
                  "a short address is refused as too long");
            continue;
        }
        check(loc.size() <= std::size_t(kMaxSitemapUrlLength),
              "an address over the limit is listed");
        check(plainUrlText(loc), "a listed address holds characters a URL cannot carry");
        const QUrl url = QUrl::fromEncoded(QByteArray::fromStdString(loc), QUrl::StrictMode);
        check(url.isValid() && url.scheme() == baseUrl.scheme() && url.host() == baseUrl.host() &&
                  url.port() == baseUrl.port(),
              "a listed address is not a valid address on the root's scheme, host and port");

        // What follows the root (or the host, for a whole address) names the
        // entry's page: the same text once escapes are decoded on both sides.
        std::string prefix;
        if (scheme > 0) {
            qsizetype pathStart = scheme;
            while (pathStart < e.size() && e[pathStart] != u'/' && e[pathStart] != u'?')
                ++pathStart;
            e = e.mid(pathStart);
            prefix = origin;
            if (!e.startsWith(u'/')) prefix += '/';
        } else {
            prefix = base;
            if (e.startsWith(u'/')) e = e.mid(1);
        }
        check(loc.compare(0, prefix.size(), prefix) == 0, "a listed address is not under the root");
        check(decodeEscapes(QByteArray::fromStdString(loc.substr(prefix.size()))) ==
                  decodeEscapes(utf8(e)),
              "a listed address does not decode back to its page");
        if (!leftOutOfSiteMap(entry)) listed << QString::fromStdString(loc);
    }
}

}  // namespace

void sitemapUrl(const std::uint8_t* data, std::size_t size) {
    const std::vector<QString> lines = fields(inputText(data, size), u'\n');
    const std::optional<SitemapSite> site = SitemapSite::fromRootUrl(lines.front());
    if (!site) return;
    QList<SitemapPage> pages;
    QStringList listed;
    checkAddresses(*site, lines, pages, listed);
}

void sitemapXml(const std::uint8_t* data, std::size_t size) {
    const std::vector<QString> lines = fields(inputText(data, size), u'\n');
    const QString& root = lines.front();
    const std::optional<SitemapSite> site = SitemapSite::fromRootUrl(root);
    if (!site) return;
    QList<SitemapPage> pages;
    QStringList listed;
    checkAddresses(*site, lines, pages, listed);
    if (pages.size() > 64) return;
    XmlSitemapOptions options;
    options.maxUrlsPerFile = 3;
    options.gzip = false;
    options.written = QDate(2026, 1, 2);
    XmlSitemapSummary summary;
    try {
        summary = writeXmlSitemaps(
            root, pages, QDir(scratchFolder()).filePath(QStringLiteral("sitemap.xml")), options);
    } catch (const AppError& e) {
        fail("writing the sitemap failed: " + e.description().toStdString());
    }
    if (summary.files.isEmpty()) {
        check(listed.isEmpty(), "nothing written although pages could be listed");
        return;
    }
    QStringList read;
    if (summary.indexed) {
        const QStringList parts = readLocs(summary.files.front());
        check(parts.size() == summary.files.size() - 1, "the index does not list every file");
        for (qsizetype n = 1; n < summary.files.size(); ++n) {
            check(parts[n - 1] == site->fileUrl(QFileInfo(summary.files[n]).fileName()),
                  "an index entry does not name its file");
            read += readLocs(summary.files[n]);
        }
    } else {
        read = readLocs(summary.files.front());
    }
    check(read.size() == summary.urls && listed.size() - read.size() == summary.duplicates,
          "the files do not hold the listed addresses");
    qsizetype at = 0;
    for (const QString& r : read) {
        while (at < listed.size() && listed[at] != r) ++at;
        check(at < listed.size(), "a written address is not one listed, in page order");
        ++at;
    }
}

}  // namespace fd::fuzz
