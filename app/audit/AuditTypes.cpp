#include "AuditTypes.h"

#include <QtGlobal>

#ifndef FARROWDALE_VERSION
#define FARROWDALE_VERSION "1.0.0"
#endif

namespace fd::audit {

namespace {

struct KindNames {
    FindingKind kind;
    const char* code;
    const char* text;
};

constexpr KindNames kKinds[] = {
    {FindingKind::HttpError, "http-error", "HTTP error"},
    {FindingKind::NetworkError, "network-error", "Network error"},
    {FindingKind::RedirectChain, "redirect-chain", "Redirect chain"},
    {FindingKind::RedirectLoop, "redirect-loop", "Redirect loop"},
    {FindingKind::TitleMissing, "title-missing", "Missing title"},
    {FindingKind::TitleTooLong, "title-long", "Title over 60 characters"},
    {FindingKind::TitleDuplicate, "title-duplicate", "Duplicate title"},
    {FindingKind::DescriptionMissing, "description-missing", "Missing description"},
    {FindingKind::DescriptionTooLong, "description-long", "Description over 160 characters"},
    {FindingKind::DescriptionDuplicate, "description-duplicate", "Duplicate description"},
    {FindingKind::Noindex, "noindex", "Noindex"},
    {FindingKind::CanonicalElsewhere, "canonical-elsewhere", "Canonical points elsewhere"},
    {FindingKind::H1Missing, "h1-missing", "Missing <h1>"},
    {FindingKind::H1Several, "h1-several", "Several <h1>"},
    {FindingKind::Disallowed, "disallowed", "Disallowed by robots.txt"},
    {FindingKind::RobotsUnreadable, "robots-unreadable", "robots.txt could not be read"},
    {FindingKind::NotHtml, "not-html", "Not HTML"},
    {FindingKind::NotRead, "not-read", "Page not read"},
    {FindingKind::Slow, "slow", "Slower than 1 s"},
};

const KindNames& names(FindingKind kind) {
    for (const KindNames& k : kKinds)
        if (k.kind == kind) return k;
    return kKinds[0];
}

}  // namespace

AuditOptions AuditOptions::bounded() const {
    AuditOptions o = *this;
    o.pageLimit = qBound(1, o.pageLimit, 1000000);
    o.perHostConcurrency = qBound(1, o.perHostConcurrency, 16);
    o.delayMs = qBound(0, o.delayMs, 60000);
    o.maxRedirects = qBound(0, o.maxRedirects, 10);
    o.maxBodyBytes = qBound(qint64(1024), o.maxBodyBytes, qint64(5 * 1024 * 1024));
    o.connectTimeoutMs = qBound(100, o.connectTimeoutMs, 15000);
    o.totalTimeoutMs = qBound(100, o.totalTimeoutMs, 30000);
    o.slowMs = qMax(0, o.slowMs);
    o.keepRuns = qBound(0, o.keepRuns, 100000);
    if (o.userAgent.trimmed().isEmpty()) o.userAgent = defaultUserAgent();
    return o;
}

QString defaultUserAgent() {
    return QStringLiteral("Farrowdale/%1 (site audit)").arg(QLatin1String(FARROWDALE_VERSION));
}

QString AuditPage::redirectText() const {
    QStringList parts;
    for (const RedirectHop& h : redirects)
        parts << QStringLiteral("%1 (%2)").arg(h.url).arg(h.status);
    if (!redirects.isEmpty()) parts << finalUrl;
    return parts.join(QStringLiteral(" -> "));
}

QString AuditPage::metasText() const {
    QStringList parts;
    for (const MetaTag& m : metas) {
        const QString key = m.attribute.isEmpty() ? QString() : m.attribute + u'=' + m.name;
        parts << (key.isEmpty() ? m.content : key + QStringLiteral(": ") + m.content);
    }
    return parts.join(QStringLiteral(" | "));
}

QString findingCode(FindingKind kind) {
    return QString::fromLatin1(names(kind).code);
}

bool findingKindFromCode(const QString& code, FindingKind* kind) {
    for (const KindNames& k : kKinds) {
        if (code == QLatin1String(k.code)) {
            *kind = k.kind;
            return true;
        }
    }
    return false;
}

QString findingText(FindingKind kind) {
    return QString::fromLatin1(names(kind).text);
}

QString findingStateText(FindingState state) {
    switch (state) {
        case FindingState::New:
            return QStringLiteral("new");
        case FindingState::StillThere:
            return QStringLiteral("still there");
        case FindingState::Fixed:
            return QStringLiteral("fixed");
    }
    return {};
}

}  // namespace fd::audit
