#pragma once
// Reading a site's sitemaps: a urlset (<loc> and <lastmod> of each <url>), a
// sitemap index (<loc> and <lastmod> of each <sitemap>), a plain-text
// sitemap (one address a line, UTF-8), an RSS 2.0 feed (<link> and <pubDate>
// of each item) or an Atom feed (the alternate <link> and <updated> of each
// entry). The bytes are pushed in as they arrive; gzip is recognised by its
// bytes whatever the file is called, and inflated as it comes. XML is read
// by libxml2's streaming parser; a document type declaration is refused
// before anything in it is read, so no entity is ever declared, let alone
// expanded, and nothing outside the file is fetched. A file larger than the
// protocol's limit, uncompressed, is refused at the limit.

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace fd {

// The protocol's limit for one sitemap file, uncompressed.
constexpr qint64 kMaxSitemapBytes = 50LL * 1024 * 1024;

enum class SitemapKind { Unknown, UrlSet, Index, Text, Rss, Atom };

// "sitemap", "sitemap index", "text sitemap", "RSS feed", "Atom feed".
QString sitemapKindText(SitemapKind kind);

class SitemapReader {
public:
    // Called for every address the file names, in file order, with its
    // last-modified text as written (empty when there is none): a page, or
    // in an index another sitemap. Both are UTF-8 (as a text sitemap is
    // meant to be; XML is always handed on so), trimmed, and valid only
    // during the call.
    using EntryFn = std::function<void(std::string_view address, std::string_view lastModified)>;

    explicit SitemapReader(EntryFn entry, qint64 maxBytes = kMaxSitemapBytes);
    ~SitemapReader();
    SitemapReader(const SitemapReader&) = delete;
    SitemapReader& operator=(const SitemapReader&) = delete;

    // The file's next bytes, as they came. False once reading has failed
    // (error() says why); later bytes are then ignored.
    bool feed(const char* data, qsizetype size);
    // The end of the file. False when it failed, is incomplete or is not a
    // sitemap at all.
    bool finish();

    SitemapKind kind() const;
    bool compressed() const;
    qint64 bytes() const;    // uncompressed bytes read so far
    qint64 entries() const;  // addresses handed out so far
    // Why reading failed, in a reader's words ("line 3, column 14: ..."); empty
    // while it has not.
    const QString& error() const;

private:
    struct State;
    std::unique_ptr<State> s_;
};

// A last-modified date as sitemaps write it (W3C Datetime: "2024", "2024-03",
// "2024-03-01", "2024-03-01T10:00+01:00", with seconds and fractions), as
// Atom writes it (RFC 3339) and as RSS writes it (RFC 822, "Fri, 01 Mar 2024
// 10:00:00 GMT"), in UTC. A date without a time is the start of that day in
// UTC, a time without a zone is taken as UTC. Nothing for any other text.
std::optional<QDateTime> parseLastModified(QStringView text);
// The same from UTF-8, as seconds since 1970 (UTC).
std::optional<qint64> lastModifiedSecs(std::string_view text);

}  // namespace fd
