#include "Findings.h"

#include <QHash>
#include <QUrl>
#include <algorithm>

#include "AuditUrl.h"
#include "LanguageCodes.h"
#include "RenderedPages.h"

namespace fd::audit {

namespace {

bool answeredOk(const AuditPage& p) {
    return p.error.isEmpty() && !p.disallowed && p.status >= 200 && p.status < 300;
}

// Whether a robots directive list ("noindex, nofollow"; an X-Robots-Tag may
// name an agent first: "otherbot: noindex") keeps the page out of the index.
bool saysNoindex(const QString& directives) {
    for (QString d : directives.split(u',')) {
        d = d.trimmed().toLower();
        if (const qsizetype colon = d.indexOf(u':'); colon >= 0) d = d.mid(colon + 1).trimmed();
        if (d == u"noindex" || d == u"none") return true;
    }
    return false;
}

QString statusText(int status) {
    static const QHash<int, const char*> kReasons{{400, "Bad Request"},
                                                  {401, "Unauthorized"},
                                                  {403, "Forbidden"},
                                                  {404, "Not Found"},
                                                  {405, "Method Not Allowed"},
                                                  {408, "Request Timeout"},
                                                  {410, "Gone"},
                                                  {429, "Too Many Requests"},
                                                  {500, "Internal Server Error"},
                                                  {501, "Not Implemented"},
                                                  {502, "Bad Gateway"},
                                                  {503, "Service Unavailable"},
                                                  {504, "Gateway Timeout"}};
    const char* reason = kReasons.value(status, nullptr);
    return reason ? QStringLiteral("%1 %2").arg(status).arg(QLatin1String(reason))
                  : QStringLiteral("HTTP %1").arg(status);
}

// Duplicate titles or descriptions: pages (answered, HTML, value not empty)
// whose value another page with a different final address shares.
void addDuplicates(const QList<AuditPage>& pages, FindingKind kind,
                   QString (*value)(const AuditPage&), QList<QPair<int, AuditFinding>>& out) {
    QHash<QString, QList<int>> groups;
    QStringList finals(pages.size());
    for (int i = 0; i < pages.size(); ++i) {
        const AuditPage& p = pages[i];
        if (!answeredOk(p) || !p.html) continue;
        const QString v = value(p);
        if (v.isEmpty()) continue;
        finals[i] = auditUrl(p.finalUrl.isEmpty() ? p.url : p.finalUrl);
        groups[v] << i;
    }
    for (const QList<int>& group : std::as_const(groups)) {
        if (group.size() < 2) continue;
        QHash<QString, int> perFinal;
        for (int i : group) ++perFinal[finals[i]];
        if (perFinal.size() < 2) continue;  // one document reached by several addresses
        for (int i : group) {
            const int others = static_cast<int>(group.size()) - perFinal.value(finals[i]);
            QStringList named;
            for (int j : group) {
                if (named.size() == kDuplicatesNamed) break;
                if (finals[j] != finals[i]) named << pages[j].url;
            }
            QString detail = named.join(QStringLiteral(", "));
            if (others > named.size())
                detail += QStringLiteral(" and %1 more").arg(others - named.size());
            out.append({i, AuditFinding{pages[i].url, kind, detail, FindingState::New}});
        }
    }
}

QString finalOf(const AuditPage& p) {
    return auditUrl(p.finalUrl.isEmpty() ? p.url : p.finalUrl);
}

// "a, b, c and 4 more".
QString named(const QStringList& items, int total) {
    QString text = items.join(QStringLiteral(", "));
    if (total > items.size()) text += QStringLiteral(" and %1 more").arg(total - items.size());
    return text;
}

// The checks of an answered page's markup and headers.
template <class Add>
void markupFindings(const AuditPage& p, const AuditOptions& o, Add add) {
    const PageChecks& c = p.checks;
    const QString self = finalOf(p);
    const bool https = self.startsWith(QLatin1String("https:"));
    if (https && !c.hsts)
        add(FindingKind::HstsMissing,
            QStringLiteral("The https answer sent no Strict-Transport-Security header"));
    if (!p.html) return;
    if (p.size > qint64(o.largeHtmlKb) * 1024)
        add(FindingKind::HtmlTooLarge,
            QStringLiteral("%1 KB (limit %2 KB)").arg((p.size + 1023) / 1024).arg(o.largeHtmlKb));
    if (!c.alternates.isEmpty()) {
        QStringList invalid, twice;
        QHash<QString, int> seen;
        bool selfListed = false;
        for (const Alternate& a : c.alternates) {
            if (!validHreflang(a.hreflang)) invalid << QStringLiteral("\"%1\"").arg(a.hreflang);
            if (++seen[a.hreflang.toLower()] == 2) twice << a.hreflang;
            selfListed = selfListed || auditUrl(a.url) == self;
        }
        if (!invalid.isEmpty())
            add(FindingKind::HreflangInvalid, invalid.join(QStringLiteral(", ")));
        if (!twice.isEmpty()) add(FindingKind::HreflangDuplicate, twice.join(QStringLiteral(", ")));
        if (!selfListed)
            add(FindingKind::HreflangNoSelf,
                QStringLiteral("%1 alternates, none of them this page").arg(c.alternates.size()));
    }
    if (c.canonicalCount > 1)
        add(FindingKind::CanonicalSeveral,
            QStringLiteral("%1 canonical links").arg(c.canonicalCount));
    if (!c.canonicalWritten.isEmpty() && QUrl(c.canonicalWritten).isRelative())
        add(FindingKind::CanonicalRelative, c.canonicalWritten);
    if (c.canonicalInBody)
        add(FindingKind::CanonicalInBody, QStringLiteral("A canonical link stands in the body"));
    if (!c.headerCanonical.isEmpty() && !p.canonical.isEmpty() &&
        auditUrl(c.headerCanonical) != auditUrl(p.canonical))
        add(FindingKind::CanonicalHeaderMismatch,
            QStringLiteral("HTML: %1; Link header: %2").arg(p.canonical, c.headerCanonical));
    if (c.imagesWithoutAlt > 0)
        add(FindingKind::ImageAltMissing, QStringLiteral("%1: ").arg(c.imagesWithoutAlt) +
                                              named(c.imagesWithoutAltNamed, c.imagesWithoutAlt));
    if (!c.hasLang || p.lang.isEmpty())
        add(FindingKind::LangMissing, c.hasLang ? QStringLiteral("The lang attribute is empty")
                                                : QStringLiteral("<html> has no lang attribute"));
    else if (!validLanguageTag(p.lang))
        add(FindingKind::LangInvalid, QStringLiteral("\"%1\"").arg(p.lang));
    if (!c.hasViewport) add(FindingKind::ViewportMissing, QStringLiteral("No viewport meta"));
    if (c.metasInBody > 0)
        add(FindingKind::MetaInBody,
            QStringLiteral("%1: ").arg(c.metasInBody) + named(c.metasInBodyNamed, c.metasInBody));
    if (c.titleCount > 1)
        add(FindingKind::TitleSeveral, QStringLiteral("%1 <title> elements").arg(c.titleCount));
    if (c.words < o.thinWords)
        add(FindingKind::ThinContent,
            QStringLiteral("%1 words (fewer than %2)").arg(c.words).arg(o.thinWords));
    if (!c.jsonLdProblems.isEmpty())
        add(FindingKind::JsonLdInvalid, c.jsonLdProblems.join(QStringLiteral("; ")));
    if (!c.hasOgTitle || !c.hasOgDescription) {
        QStringList missing;
        if (!c.hasOgTitle) missing << QStringLiteral("og:title");
        if (!c.hasOgDescription) missing << QStringLiteral("og:description");
        add(FindingKind::OpenGraphMissing,
            QStringLiteral("No ") + missing.join(QStringLiteral(" or ")));
    }
    if (https && c.mixedContent > 0)
        add(FindingKind::MixedContent, QStringLiteral("%1 over http: ").arg(c.mixedContent) +
                                           named(c.mixedContentNamed, c.mixedContent));
}

// Why a page another one points at (as an alternate or canonical) would not
// be indexed; empty when it would.
QString notIndexable(const AuditPage& t) {
    if (!t.redirects.isEmpty()) return QStringLiteral("redirects to %1").arg(t.finalUrl);
    if (!t.error.isEmpty()) return t.error;
    if (t.status != 200) return QStringLiteral("answers %1").arg(statusText(t.status));
    if (saysNoindex(t.xRobotsTag) || (t.html && saysNoindex(t.robots)))
        return QStringLiteral("is noindex");
    return {};
}

// Alternates and canonicals held against the pages they name, where the run
// audited them.
void targetFindings(const QList<AuditPage>& pages, QList<QPair<int, AuditFinding>>& out) {
    QHash<QString, int> byUrl;
    for (int i = 0; i < pages.size(); ++i) byUrl.insert(auditUrl(pages[i].url), i);
    auto add = [&](int i, FindingKind kind, const QString& detail) {
        out.append({i, AuditFinding{pages[i].url, kind, detail, FindingState::New}});
    };
    for (int i = 0; i < pages.size(); ++i) {
        const AuditPage& p = pages[i];
        if (!answeredOk(p) || !p.html) continue;
        const QString self = finalOf(p);
        QStringList noReturn, bad;
        for (const Alternate& a : p.checks.alternates) {
            const QString target = auditUrl(a.url);
            if (target == self) continue;
            const int j = byUrl.value(target, -1);
            if (j < 0) continue;
            const AuditPage& t = pages[j];
            if (const QString why = notIndexable(t); !why.isEmpty()) {
                bad << QStringLiteral("%1 (%2) %3").arg(t.url, a.hreflang, why);
                continue;
            }
            if (!t.html) continue;
            bool back = false;
            for (const Alternate& b : t.checks.alternates)
                back = back || auditUrl(b.url) == self || auditUrl(b.url) == auditUrl(p.url);
            if (!back) noReturn << QStringLiteral("%1 (%2)").arg(t.url, a.hreflang);
        }
        if (!bad.isEmpty()) add(i, FindingKind::HreflangTargetBad, bad.join(QStringLiteral("; ")));
        if (!noReturn.isEmpty())
            add(i, FindingKind::HreflangNoReturn,
                QStringLiteral("No alternate back from ") + noReturn.join(QStringLiteral(", ")));
        if (!p.canonical.isEmpty()) {
            const QString target = auditUrl(p.canonical);
            const int j = byUrl.value(target, -1);
            if (target != self && j >= 0)
                if (const QString why = notIndexable(pages[j]); !why.isEmpty())
                    add(i, FindingKind::CanonicalTargetBad, p.canonical + u' ' + why);
        }
    }
}

}  // namespace

int characterCount(const QString& s) {
    int n = 0;
    for (QChar c : s)
        if (!c.isLowSurrogate()) ++n;
    return n;
}

QList<AuditFinding> pageFindings(const AuditPage& p, const AuditOptions& o) {
    QList<AuditFinding> f;
    auto add = [&](FindingKind kind, const QString& detail) {
        f.append(AuditFinding{p.url, kind, detail, FindingState::New});
    };
    if (p.status >= 400) add(FindingKind::HttpError, statusText(p.status));
    if (!p.error.isEmpty() && !p.disallowed && !p.notRead && !p.redirectLoop &&
        p.redirects.size() <= o.maxRedirects)
        add(FindingKind::NetworkError, p.error);
    if (p.redirects.size() > 1 && !p.redirectLoop)
        add(FindingKind::RedirectChain,
            QStringLiteral("%1 redirects: ").arg(p.redirects.size()) + p.redirectText());
    if (p.redirectLoop) add(FindingKind::RedirectLoop, p.redirectText());
    if (answeredOk(p) && p.html) {
        if (!p.hasTitle)
            add(FindingKind::TitleMissing, QStringLiteral("No <title> element"));
        else if (p.title.isEmpty())
            add(FindingKind::TitleMissing, QStringLiteral("The <title> is empty"));
        else if (const int n = characterCount(p.title); n > kTitleMaxChars)
            add(FindingKind::TitleTooLong, QStringLiteral("%1 characters").arg(n));
        if (!p.hasDescription)
            add(FindingKind::DescriptionMissing, QStringLiteral("No description meta"));
        else if (p.description.isEmpty())
            add(FindingKind::DescriptionMissing, QStringLiteral("The description is empty"));
        else if (const int n = characterCount(p.description); n > kDescriptionMaxChars)
            add(FindingKind::DescriptionTooLong, QStringLiteral("%1 characters").arg(n));
    }
    if (answeredOk(p)) {
        QStringList where;
        if (p.html && saysNoindex(p.robots)) where << QStringLiteral("meta robots: ") + p.robots;
        if (saysNoindex(p.xRobotsTag)) where << QStringLiteral("X-Robots-Tag: ") + p.xRobotsTag;
        if (!where.isEmpty()) add(FindingKind::Noindex, where.join(QStringLiteral("; ")));
    }
    if (answeredOk(p) && p.html) {
        if (!p.canonical.isEmpty() &&
            auditUrl(p.canonical) != auditUrl(p.finalUrl.isEmpty() ? p.url : p.finalUrl))
            add(FindingKind::CanonicalElsewhere, p.canonical);
        if (p.h1Count == 0)
            add(FindingKind::H1Missing, QStringLiteral("No <h1> element"));
        else if (p.h1Count > 1)
            add(FindingKind::H1Several, QStringLiteral("%1 <h1> elements").arg(p.h1Count));
    }
    if (p.disallowed && p.error.isEmpty()) {
        const bool target = !p.redirects.isEmpty();
        add(FindingKind::Disallowed,
            target ? QStringLiteral("Redirects to %1, which robots.txt disallows").arg(p.finalUrl)
                   : QStringLiteral("robots.txt disallows this page"));
    } else if (p.disallowed) {
        // Not the site's rule: the file that says it could not be read, so
        // the page was left alone, as if it were disallowed.
        const bool target = !p.redirects.isEmpty();
        add(FindingKind::RobotsUnreadable,
            (target ? QStringLiteral("Redirects to %1; not requested: ").arg(p.finalUrl)
                    : QStringLiteral("Not requested: ")) +
                p.error);
    }
    if (p.notRead) add(FindingKind::NotRead, p.error);
    if (answeredOk(p) && !p.html)
        add(FindingKind::NotHtml,
            p.contentType.isEmpty() ? QStringLiteral("No content type") : p.contentType);
    if (p.error.isEmpty() && p.status > 0 && p.timeMs > o.slowMs)
        add(FindingKind::Slow, QStringLiteral("%1 ms").arg(p.timeMs));
    if (answeredOk(p)) markupFindings(p, o, add);
    f += renderedFindings(p);
    return f;
}

QList<AuditFinding> allFindings(const QList<AuditPage>& pages, const AuditOptions& o,
                                const QString& rootUrl) {
    QList<QPair<int, AuditFinding>> all;
    for (int i = 0; i < pages.size(); ++i)
        for (AuditFinding& f : pageFindings(pages[i], o)) all.append({i, std::move(f)});
    addDuplicates(
        pages, FindingKind::TitleDuplicate, [](const AuditPage& p) { return p.title; }, all);
    addDuplicates(
        pages, FindingKind::DescriptionDuplicate, [](const AuditPage& p) { return p.description; },
        all);
    addDuplicates(
        pages, FindingKind::ContentDuplicate,
        [](const AuditPage& p) {
            return p.checks.textHash ? QString::number(p.checks.textHash) : QString();
        },
        all);
    targetFindings(pages, all);
    const QString root = rootUrl.isEmpty() && !pages.isEmpty() ? pages.front().url : rootUrl;
    if (root.startsWith(QLatin1String("https:"), Qt::CaseInsensitive)) {
        for (int i = 0; i < pages.size(); ++i) {
            const AuditPage& p = pages[i];
            if (p.status > 0 && finalOf(p).startsWith(QLatin1String("http:")))
                all.append(
                    {i, AuditFinding{p.url, FindingKind::HttpUnderHttps,
                                     QStringLiteral("%1 is served over http").arg(finalOf(p)),
                                     FindingState::New}});
        }
    }
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.kind < b.second.kind;
    });
    QList<AuditFinding> out;
    out.reserve(all.size());
    for (auto& [i, f] : all) out.append(std::move(f));
    return out;
}

}  // namespace fd::audit
