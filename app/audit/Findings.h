#pragma once
// What keeps a page out of the engines, read from the audited pages: one
// finding per page and kind, with a detail that says what was seen.

#include <QList>

#include "AuditTypes.h"

namespace fd::audit {

constexpr int kTitleMaxChars = 60;
constexpr int kDescriptionMaxChars = 160;
// How many other pages a duplicate finding names before "and N more".
constexpr int kDuplicatesNamed = 5;

// The findings of one finished page that need no other page.
QList<AuditFinding> pageFindings(const AuditPage& page, const AuditOptions& options);

// Every finding of a run: each page's own, and what is judged among the
// pages (duplicate titles, descriptions and body text; alternates without a
// link back; alternate and canonical targets that are not indexable; http
// pages under an https root), ordered by page and then by kind. rootUrl is
// the run's root URL (empty: the first page's address). Alternate and
// canonical targets are judged where the run audited them.
QList<AuditFinding> allFindings(const QList<AuditPage>& pages, const AuditOptions& options,
                                const QString& rootUrl = {});

// Characters as a reader counts them (a character outside the basic plane
// counts once).
int characterCount(const QString& s);

}  // namespace fd::audit
