#pragma once
// What a site audit is asked to do and what it finds: the options of a run,
// one audited page, and one finding. Plain values on QtCore, shared by the
// crawler, the findings, the store, the window and the command line.

#include <QList>
#include <QString>
#include <QStringList>

namespace fd::audit {

struct AuditOptions {
    // Besides the listed pages, follow links to pages on the root URL's host.
    bool followLinks = false;
    // Links are followed while the run has fewer pages than this (listed
    // pages are always audited).
    int pageLimit = 10000;
    // Transfers running at once against one host (1 to 16).
    int perHostConcurrency = 4;
    // Pause between the starts of two requests to one host.
    int delayMs = 0;
    int maxRedirects = 10;
    // Bodies are read up to this size, counted after decompression.
    qint64 maxBodyBytes = 5 * 1024 * 1024;
    int connectTimeoutMs = 15000;
    int totalTimeoutMs = 30000;
    // A page answering slower than this is reported.
    int slowMs = 1000;
    // Sent with every request; empty means the program's own name and version.
    QString userAgent;
    // The token robots.txt groups are matched against.
    QString robotsAgent = QStringLiteral("Farrowdale");
    // Complete runs kept per root URL when a run is stored; older runs go in
    // the same transaction. 0 keeps every run.
    int keepRuns = 20;
    // A page whose body has fewer words than this is thin content.
    int thinWords = 200;
    // An HTML page larger than this (KB, after decompression) is reported.
    int largeHtmlKb = 2048;

    // Also read each HTML page as the browser renders it (the rendering
    // program farrowdale-render, two pages at a time, 15 s each).
    bool rendered = false;

    // The options with every number brought into its allowed range.
    AuditOptions bounded() const;
};

// The user agent the program sends: its name and version.
QString defaultUserAgent();

struct RedirectHop {
    QString url;  // the address that answered with the redirect
    int status = 0;
};

// One meta element: the attribute naming it (name, property, http-equiv,
// charset or itemprop) with that attribute's value, and its content.
struct MetaTag {
    QString attribute;
    QString name;
    QString content;
};

// An alternate of a page in another language or region: a
// <link rel="alternate" hreflang="..."> of its head.
struct Alternate {
    QString hreflang;  // as written
    QString url;       // absolute, without its fragment
};

// What a page's markup and headers say beyond its title and metas, read for
// the checks of a page (see Findings.h).
struct PageChecks {
    int titleCount = 0;
    bool hasLang = false;  // <html> carries a lang attribute
    bool hasViewport = false;
    bool hasOgTitle = false;
    bool hasOgDescription = false;
    int metasInBody = 0;
    QStringList metasInBodyNamed;  // the first few, as "name=description"
    int canonicalCount = 0;
    bool canonicalInBody = false;
    QString canonicalWritten;  // the first canonical's href as the page writes it
    QList<Alternate> alternates;
    int imagesWithoutAlt = 0;
    QStringList imagesWithoutAltNamed;  // the first few sources
    int mixedContent = 0;           // http images, scripts, stylesheets, frames of an https page
    QStringList mixedContentNamed;  // the first few, as "img http://..."
    int words = 0;                  // words of the body's text
    quint64 textHash = 0;           // of the body's text, white space collapsed; 0 when none
    int jsonLd = 0;                 // application/ld+json scripts
    QStringList jsonLdProblems;     // one line for each that is invalid or incomplete
    // From the answer's headers.
    QString headerCanonical;  // a Link header's rel=canonical target, absolute
    bool hsts = false;        // a Strict-Transport-Security header came
};

// A page as the browser rendered it (AuditOptions::rendered).
struct RenderedPage {
    bool done = false;  // the page was rendered
    QString error;      // why it ended without a reading (its time limit, ...)
    QStringList notes;  // what the page tried and was refused
    QString title;
    bool hasDescription = false;
    QString description, robots, canonical, h1Text;
    int h1Count = 0;
    int linksAdded = 0;           // links only the rendered page has
    QStringList linksAddedNamed;  // the first few
    QStringList ownLinks;         // the raw page's links, kept until it is rendered
};

struct AuditPage {
    QString url;       // the address asked for
    QString finalUrl;  // where the redirects, if any, ended
    int status = 0;    // the final answer's HTTP status; 0 when none came
    QString error;     // why no (complete) answer came, or why it was not read; empty when one was
    // The page (or its redirect target) was not requested for its robots.txt:
    // the file forbids it, or (with error saying why) it could not be read.
    bool disallowed = false;
    // The answer was HTML but too deeply nested to read (error says so).
    bool notRead = false;
    QList<RedirectHop> redirects;
    bool redirectLoop = false;
    QString contentType;
    qint64 size = 0;  // bytes of the body after decompression
    int timeMs = 0;   // every hop together
    QString xRobotsTag;

    // Read from an HTML answer.
    bool html = false;
    bool hasTitle = false;
    QString title;
    bool hasDescription = false;
    QString description;
    QString keywords;
    QString robots;
    QString author;
    QString revisit;
    QString canonical;  // absolute
    int h1Count = 0;
    QString h1Text;  // the first <h1>'s text
    QString lang;
    QList<MetaTag> metas;
    PageChecks checks;
    RenderedPage rendered;

    // The redirect chain as one line: "url (301) -> url (302) -> final".
    QString redirectText() const;
    // Every meta as "name=content" lines joined by " | ".
    QString metasText() const;
};

enum class FindingKind {
    HttpError,
    NetworkError,
    RedirectChain,
    RedirectLoop,
    TitleMissing,
    TitleTooLong,
    TitleDuplicate,
    DescriptionMissing,
    DescriptionTooLong,
    DescriptionDuplicate,
    Noindex,
    CanonicalElsewhere,
    H1Missing,
    H1Several,
    Disallowed,
    RobotsUnreadable,
    NotHtml,
    NotRead,
    Slow,
    // The checks of a page's markup and headers, and of pages against each
    // other.
    HreflangInvalid,
    HreflangNoSelf,
    HreflangNoReturn,
    HreflangTargetBad,
    HreflangDuplicate,
    CanonicalSeveral,
    CanonicalRelative,
    CanonicalTargetBad,
    CanonicalInBody,
    CanonicalHeaderMismatch,
    ImageAltMissing,
    LangMissing,
    LangInvalid,
    ViewportMissing,
    MetaInBody,
    TitleSeveral,
    ThinContent,
    ContentDuplicate,
    JsonLdInvalid,
    OpenGraphMissing,
    MixedContent,
    HttpUnderHttps,
    HstsMissing,
    HtmlTooLarge,
    // The page as the browser renders it.
    RenderedTitle,
    RenderedDescription,
    RenderedCanonical,
    RenderedRobots,
    RenderedH1,
    RenderedLinks,
    RenderedLimit,
};

// How much a finding weighs: an error keeps a page out of the engines or
// breaks it, a warning harms how it is found or shown, a notice is worth a
// look.
enum class Severity { Error, Warning, Notice };

// How a finding compares with the previous complete run of the same root URL.
enum class FindingState { New, StillThere, Fixed };

struct AuditFinding {
    QString url;
    FindingKind kind = FindingKind::HttpError;
    QString detail;
    FindingState state = FindingState::New;
};

// The stable code stored in the database ("title-missing", ...), and back;
// fromCode returns false for an unknown code.
QString findingCode(FindingKind kind);
bool findingKindFromCode(const QString& code, FindingKind* kind);
// What the findings list shows ("Missing title", ...).
QString findingText(FindingKind kind);
// "new", "still there", "fixed".
QString findingStateText(FindingState state);
Severity findingSeverity(FindingKind kind);
// "error", "warning", "notice".
QString severityText(Severity severity);

// Counts reported while a run goes on.
struct AuditProgress {
    int done = 0;      // pages finished (fetched, failed or disallowed)
    int found = 0;     // pages known so far, listed and followed
    int findings = 0;  // findings of the finished pages so far
};

struct AuditResult {
    QString rootUrl;
    AuditOptions options;
    QList<AuditPage> pages;  // in the order they were found
    QList<AuditFinding> findings;
    int pagesFound = 0;  // pages known when the run ended (more than pages when cancelled)
    bool cancelled = false;
    QString storeError;   // why the run could not be stored; empty when it was
    QString renderError;  // why pages could not be rendered; empty when they were (or not asked)
    qint64 runId = 0;     // the stored run's number, 0 when not stored
};

}  // namespace fd::audit
