#pragma once
// What a discovery may put in a site's page list, and how its list meets the
// one already there. An address goes in when it has the root URL's scheme,
// host and port and lies under the root's folder; it goes in as the node
// text that gives it back under the program's one rule for joining a root
// URL and a node text (sites/PageAddress.h). Two addresses are the same page
// under the XML sitemap's rule for duplicates, so the discovered list and the
// sitemap written from it agree.

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sitemap/XmlSitemap.h"

namespace fd::discover {

// Why an address the site names is not in the list, in the order the
// result tells them.
enum class LeftOut { OtherOrigin, OutsideFolder, NotHttp, TooLong, Duplicate };
constexpr int kLeftOutReasons = 5;
using LeftOutCounts = std::array<qint64, kLeftOutReasons>;

// A count as the discovery tells it: "1,234".
QString countText(qint64 n);

// "3 on another origin", "1 the same address again", ...
QString leftOutText(LeftOut reason, qint64 count);
// Every non-zero count joined: "3 on another origin, 1 longer than 2,048
// characters"; empty when nothing was left out.
QString leftOutSummary(const LeftOutCounts& counts);

// No last-modified time.
constexpr qint64 kNoDate = std::numeric_limits<qint64>::min();

// One page of a discovered list.
struct FoundPage {
    QString text;                   // the node text
    qint64 lastModified = kNoDate;  // seconds since 1970 (UTC), or kNoDate
    std::uint64_t key = 0;          // hash of the address's key, for duplicates
};

class ListRule {
public:
    // Nothing when the root is not an absolute http or https address with
    // a host.
    static std::optional<ListRule> forRoot(const QString& rootUrl);

    // The node text of address (an absolute address as the site wrote it)
    // and its key's hash into page; or, when it cannot be listed, why. The
    // root URL itself gives an empty text: it is the tree's root node, not a
    // page of the list.
    std::optional<LeftOut> place(const QString& address, FoundPage* page) const;
    // The same for an address in UTF-8, as a sitemap gives it: the usual
    // address, under the root as the root URL writes it and needing no
    // escape, is placed without being taken apart.
    std::optional<LeftOut> place(std::string_view address, FoundPage* page) const;

    // The key of the page a node text names (its address under the root),
    // as place computes it; a text that names no page of the site has a key
    // of its own that no address of the site has.
    std::string keyOfText(const QString& text) const;
    std::uint64_t hashOfText(const QString& text) const;

    const QString& rootUrl() const { return root_; }

private:
    ListRule(SitemapSite site, QString root);

    SitemapSite site_;
    QString root_;           // trimmed
    QString rootAuthority_;  // "<scheme>://<authority>" as the root writes it
    // The root URL in UTF-8 with its last "/" when it is already in the form
    // a sitemap address is compared in; empty otherwise.
    std::string plainRoot_;
    QString textStart_;  // what a node text begins with: "" or "/"
};

// How the discovered pages meet the current list: how many are new, how
// many of the current list's pages are not among them, and which pages are
// new (by position in pages).
struct ListComparison {
    qint64 fresh = 0;
    qint64 gone = 0;
    std::vector<bool> isNew;
};
ListComparison compareWithList(const ListRule& rule, const QList<FoundPage>& pages,
                               const QStringList& current);

enum class ListChange { Replace, Add };

// The list once the discovery is taken: the discovered pages alone
// (Replace), or the current list followed by the discovered pages it lacks
// (Add).
QStringList listAfter(const QList<FoundPage>& pages, const ListComparison& comparison,
                      const QStringList& current, ListChange change);

}  // namespace fd::discover
