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
    {FindingKind::HreflangInvalid, "hreflang-invalid", "Invalid hreflang code"},
    {FindingKind::HreflangNoSelf, "hreflang-no-self", "Alternates without the page itself"},
    {FindingKind::HreflangNoReturn, "hreflang-no-return", "Alternate without a link back"},
    {FindingKind::HreflangTargetBad, "hreflang-target", "Alternate not indexable"},
    {FindingKind::HreflangDuplicate, "hreflang-duplicate", "Language named twice"},
    {FindingKind::CanonicalSeveral, "canonical-several", "Several canonicals"},
    {FindingKind::CanonicalRelative, "canonical-relative", "Relative canonical"},
    {FindingKind::CanonicalTargetBad, "canonical-target", "Canonical not indexable"},
    {FindingKind::CanonicalInBody, "canonical-in-body", "Canonical in the body"},
    {FindingKind::CanonicalHeaderMismatch, "canonical-header",
     "Canonical differs from Link header"},
    {FindingKind::ImageAltMissing, "img-alt-missing", "Images without alt"},
    {FindingKind::LangMissing, "lang-missing", "No lang on <html>"},
    {FindingKind::LangInvalid, "lang-invalid", "Invalid lang"},
    {FindingKind::ViewportMissing, "viewport-missing", "No viewport meta"},
    {FindingKind::MetaInBody, "meta-in-body", "Metas in the body"},
    {FindingKind::TitleSeveral, "title-several", "Several <title>"},
    {FindingKind::ThinContent, "thin-content", "Thin content"},
    {FindingKind::ContentDuplicate, "content-duplicate", "Duplicate body text"},
    {FindingKind::JsonLdInvalid, "jsonld-invalid", "Invalid JSON-LD"},
    {FindingKind::OpenGraphMissing, "og-missing", "No Open Graph title or description"},
    {FindingKind::MixedContent, "mixed-content", "Mixed content"},
    {FindingKind::HttpUnderHttps, "http-under-https", "http page under an https root"},
    {FindingKind::HstsMissing, "hsts-missing", "No Strict-Transport-Security"},
    {FindingKind::HtmlTooLarge, "html-large", "HTML page over the size limit"},
    {FindingKind::RenderedTitle, "rendered-title", "Title set by script"},
    {FindingKind::RenderedDescription, "rendered-description", "Description set by script"},
    {FindingKind::RenderedCanonical, "rendered-canonical", "Canonical set by script"},
    {FindingKind::RenderedRobots, "rendered-robots", "Robots meta set by script"},
    {FindingKind::RenderedH1, "rendered-h1", "<h1> set by script"},
    {FindingKind::RenderedLinks, "rendered-links", "Links only after rendering"},
    {FindingKind::RenderedLimit, "rendered-limit", "Rendering stopped or refused"},
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
    o.thinWords = qBound(0, o.thinWords, 1000000);
    o.largeHtmlKb = qBound(1, o.largeHtmlKb, 1024 * 1024);
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

Severity findingSeverity(FindingKind kind) {
    switch (kind) {
        case FindingKind::HttpError:
        case FindingKind::NetworkError:
        case FindingKind::RedirectLoop:
        case FindingKind::TitleMissing:
        case FindingKind::RobotsUnreadable:
        case FindingKind::NotRead:
        case FindingKind::HreflangInvalid:
        case FindingKind::HreflangNoReturn:
        case FindingKind::HreflangTargetBad:
        case FindingKind::CanonicalSeveral:
        case FindingKind::CanonicalTargetBad:
        case FindingKind::CanonicalInBody:
        case FindingKind::CanonicalHeaderMismatch:
        case FindingKind::JsonLdInvalid:
        case FindingKind::MixedContent:
            return Severity::Error;
        case FindingKind::DescriptionTooLong:
        case FindingKind::CanonicalElsewhere:
        case FindingKind::H1Several:
        case FindingKind::Disallowed:
        case FindingKind::NotHtml:
        case FindingKind::OpenGraphMissing:
        case FindingKind::HstsMissing:
        case FindingKind::RenderedLinks:
            return Severity::Notice;
        default:
            return Severity::Warning;
    }
}

QString severityText(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return QStringLiteral("error");
        case Severity::Warning:
            return QStringLiteral("warning");
        case Severity::Notice:
            return QStringLiteral("notice");
    }
    return {};
}

}  // namespace fd::audit
