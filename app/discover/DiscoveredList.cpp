#include "DiscoveredList.h"

#include <QLocale>

#include "sites/PageAddress.h"

namespace fd::discover {

namespace {

// Where the scheme and authority of an absolute address end.
qsizetype authorityEnd(QStringView s, qsizetype schemeLength) {
    qsizetype i = schemeLength + 3;
    while (i < s.size() && s[i] != u'/' && s[i] != u'?' && s[i] != u'#') ++i;
    return i;
}

bool isWebScheme(QStringView scheme) {
    return scheme.compare(u"http", Qt::CaseInsensitive) == 0 ||
           scheme.compare(u"https", Qt::CaseInsensitive) == 0;
}

}  // namespace

QString countText(qint64 n) {
    return QLocale(QLocale::English).toString(n);
}

QString leftOutText(LeftOut reason, qint64 count) {
    switch (reason) {
        case LeftOut::OtherOrigin:
            return QStringLiteral("%1 on another origin").arg(countText(count));
        case LeftOut::OutsideFolder:
            return QStringLiteral("%1 outside the root's folder").arg(countText(count));
        case LeftOut::NotHttp:
            return QStringLiteral("%1 not http(s)").arg(countText(count));
        case LeftOut::TooLong:
            return QStringLiteral("%1 longer than %2 characters")
                .arg(countText(count), countText(kMaxSitemapUrlLength));
        case LeftOut::Duplicate:
            return QStringLiteral("%1 the same address again").arg(countText(count));
    }
    return {};
}

QString leftOutSummary(const LeftOutCounts& counts) {
    QStringList parts;
    for (int i = 0; i < kLeftOutReasons; ++i)
        if (counts[std::size_t(i)] > 0) parts << leftOutText(LeftOut(i), counts[std::size_t(i)]);
    return parts.join(QStringLiteral(", "));
}

ListRule::ListRule(SitemapSite site, QString root)
    : site_(std::move(site)), root_(std::move(root)) {
    const qsizetype scheme = sites::absoluteSchemeLength(root_);
    rootAuthority_ = root_.left(authorityEnd(root_, scheme));
    // A root written as the sitemap's own form of its folder (with or
    // without the last "/") joins a relative text with nothing between, or
    // with the "/" the text then begins with.
    const std::string root8 = root_.toStdString();
    if (root8 == site_.base()) {
        plainRoot_ = root8;
    } else if (root8 + '/' == site_.base()) {
        plainRoot_ = site_.base();
        textStart_ = QStringLiteral("/");
    }
}

std::optional<LeftOut> ListRule::place(std::string_view address, FoundPage* page) const {
    const std::size_t tail = plainRoot_.empty() ? 0 : site_.plainTail(address);
    const char first = tail > 0 ? address[address.size() - tail] : '/';
    if (first == '/' || first == '?')
        return place(QString::fromUtf8(address.data(), qsizetype(address.size())), page);
    if (address.size() > std::size_t(kMaxSitemapUrlLength)) return LeftOut::TooLong;
    page->text =
        textStart_ + QLatin1StringView(address.data() + address.size() - tail, qsizetype(tail));
    page->key = SeenSitemapAddresses::hashOf(address);
    return std::nullopt;
}

std::optional<ListRule> ListRule::forRoot(const QString& rootUrl) {
    const QString root = rootUrl.trimmed();
    std::optional<SitemapSite> site = SitemapSite::fromRootUrl(root);
    if (!site) return std::nullopt;
    return ListRule(std::move(*site), root);
}

std::optional<LeftOut> ListRule::place(const QString& address, FoundPage* page) const {
    const qsizetype scheme = sites::absoluteSchemeLength(address);
    if (scheme == 0 || !isWebScheme(QStringView(address).left(scheme))) return LeftOut::NotHttp;
    std::string loc;
    switch (site_.locate(address, loc)) {
        case SitemapSite::Fit::OtherHost:
            return LeftOut::OtherOrigin;
        case SitemapSite::Fit::TooLong:
            return LeftOut::TooLong;
        case SitemapSite::Fit::Listed:
            break;
    }
    // Under the root's folder ("https://host/shop/"): the folder itself, or
    // the root as written without its last "/", is the root node's page.
    const std::string& base = site_.base();
    if (loc == base || (loc.size() + 1 == base.size() && base.compare(0, loc.size(), loc) == 0)) {
        page->text.clear();
        return std::nullopt;
    }
    if (loc.compare(0, base.size(), base) != 0) return LeftOut::OutsideFolder;

    // The address with the root's own scheme and authority, so a host in
    // capitals or a default port written out still gives a relative text.
    QString rest = address.mid(authorityEnd(address, scheme));
    if (rest.isEmpty() || rest.startsWith(u'?') || rest.startsWith(u'#')) rest.prepend(u'/');
    page->text = sites::nodeTextFor(root_, rootAuthority_ + rest);
    std::string scratch;
    page->key = SeenSitemapAddresses::hashOf(sitemapAddressKey(loc, scratch));
    return std::nullopt;
}

std::string ListRule::keyOfText(const QString& text) const {
    std::string loc, scratch;
    if (site_.locate(sites::pageAddress(root_, text), loc) != SitemapSite::Fit::Listed)
        return "\n" + text.toStdString();  // no address has a line break
    return sitemapAddressKey(loc, scratch);
}

std::uint64_t ListRule::hashOfText(const QString& text) const {
    return SeenSitemapAddresses::hashOf(keyOfText(text));
}

ListComparison compareWithList(const ListRule& rule, const QList<FoundPage>& pages,
                               const QStringList& current) {
    ListComparison c;
    c.isNew.assign(std::size_t(pages.size()), true);
    if (current.isEmpty()) {
        c.fresh = pages.size();
        return c;
    }
    const qsizetype n = current.size();
    std::vector<std::uint64_t> hashes;
    hashes.reserve(std::size_t(n));
    for (const QString& text : current) hashes.push_back(rule.hashOfText(text));

    // Positions below n are the current pages, the others the discovered.
    auto keyOf = [&](qsizetype i) {
        return rule.keyOfText(i < n ? current[i] : pages[i - n].text);
    };
    SeenSitemapAddresses listed(n + pages.size(), keyOf);
    for (qsizetype i = 0; i < n; ++i) listed.seen(hashes[std::size_t(i)], i);
    for (qsizetype j = 0; j < pages.size(); ++j)
        if (listed.seen(pages[j].key, n + j)) c.isNew[std::size_t(j)] = false;
    for (bool fresh : c.isNew) c.fresh += fresh ? 1 : 0;

    // The current pages that were not found, each counted once.
    auto foundKeyOf = [&](qsizetype i) {
        return rule.keyOfText(i < pages.size() ? pages[i].text : current[i - pages.size()]);
    };
    SeenSitemapAddresses found(n + pages.size(), foundKeyOf);
    for (qsizetype j = 0; j < pages.size(); ++j) found.seen(pages[j].key, j);
    for (qsizetype i = 0; i < n; ++i)
        if (!found.seen(hashes[std::size_t(i)], pages.size() + i)) ++c.gone;
    return c;
}

QStringList listAfter(const QList<FoundPage>& pages, const ListComparison& comparison,
                      const QStringList& current, ListChange change) {
    QStringList out;
    if (change == ListChange::Add) {
        out.reserve(current.size() + comparison.fresh);
        out = current;
        for (qsizetype j = 0; j < pages.size(); ++j)
            if (comparison.isNew[std::size_t(j)]) out << pages[j].text;
        return out;
    }
    out.reserve(pages.size());
    for (const FoundPage& p : pages) out << p.text;
    return out;
}

}  // namespace fd::discover
