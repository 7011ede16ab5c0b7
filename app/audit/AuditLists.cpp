#include "AuditLists.h"

namespace fd::audit {

namespace {

// Columns of the pages list; the ones marked numeric sort by number.
constexpr ListColumn kPageColumns[] = {
    {"Page", 260, false},      {"Status", 55, true},         {"Final URL", 200, false},
    {"Redirects", 160, false}, {"Content Type", 150, false}, {"Size", 70, true},
    {"Time (ms)", 70, true},   {"Title", 200, false},        {"Description", 220, false},
    {"Keywords", 140, false},  {"Robots", 100, false},       {"Author", 100, false},
    {"Revisit", 70, false},    {"Canonical", 200, false},    {"H1 Count", 65, true},
    {"First H1", 160, false},  {"Lang", 50, false},          {"Error", 200, false},
    {"Metas", 300, false},
};
constexpr ListColumn kFindingColumns[] = {
    {"Page", 300, false}, {"Finding", 190, false}, {"Detail", 360, false},
    {"State", 90, false}, {"Severity", 75, false},
};

}  // namespace

std::span<const ListColumn> pageListColumns() {
    return kPageColumns;
}

std::span<const ListColumn> findingListColumns() {
    return kFindingColumns;
}

QStringList pageListRow(const AuditPage& p) {
    // A page left alone for its robots.txt: the site's rule, unless the file
    // could not be read (the error says so).
    const QString error =
        p.disallowed && p.error.isEmpty() ? QStringLiteral("Disallowed by robots.txt") : p.error;
    return {p.url,
            p.status ? QString::number(p.status) : QString(),
            p.finalUrl == p.url ? QString() : p.finalUrl,
            p.redirectText(),
            p.contentType,
            QString::number(p.size),
            QString::number(p.timeMs),
            p.title,
            p.description,
            p.keywords,
            p.robots,
            p.author,
            p.revisit,
            p.canonical,
            p.html ? QString::number(p.h1Count) : QString(),
            p.h1Text,
            p.lang,
            error,
            p.metasText()};
}

QStringList findingListRow(const AuditFinding& f) {
    return {f.url, findingText(f.kind), f.detail, findingStateText(f.state),
            severityText(findingSeverity(f.kind))};
}

int findingSeverityColumn() {
    return 4;
}

}  // namespace fd::audit
