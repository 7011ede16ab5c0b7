#include "Findings.h"

#include <QHash>
#include <algorithm>

#include "AuditUrl.h"

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
    return f;
}

QList<AuditFinding> allFindings(const QList<AuditPage>& pages, const AuditOptions& o) {
    QList<QPair<int, AuditFinding>> all;
    for (int i = 0; i < pages.size(); ++i)
        for (AuditFinding& f : pageFindings(pages[i], o)) all.append({i, std::move(f)});
    addDuplicates(
        pages, FindingKind::TitleDuplicate, [](const AuditPage& p) { return p.title; }, all);
    addDuplicates(
        pages, FindingKind::DescriptionDuplicate, [](const AuditPage& p) { return p.description; },
        all);
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.kind < b.second.kind;
    });
    QList<AuditFinding> out;
    out.reserve(all.size());
    for (auto& [i, f] : all) out.append(std::move(f));
    return out;
}

}  // namespace fd::audit
