#pragma once
// Pages read as the browser renders them, by the rendering program
// farrowdale-render (a process of its own, so nothing here links a browser
// engine), and the findings of what their scripts changed.

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>

#include "AuditTypes.h"

namespace fd::audit {

// The rendering program: $FARROWDALE_RENDER, else farrowdale-render beside
// the running program, else beside it in the build tree's app/browser/.
QString renderProgram();

// One answer line of the rendering program ("<n> <json>"), read into page's
// rendered part; raw are the page's own links (a and area), to tell the
// links only rendering added (links to the page itself, its fragments, do
// not count: the raw page's are not kept either). Returns the page number
// n, -1 when the line is not an answer.
int readRenderedAnswer(const QByteArray& line, const QStringList& raw, const QString& pageUrl,
                       RenderedPage* page);

// Renders pages[i] for every i in which (their final addresses), filling
// pages[i].rendered (whose ownLinks are the raw page's links, dropped once
// compared). Returns an empty string, or why the rendering program could
// not be run or ended early.
QString renderPages(QList<AuditPage>& pages, const QList<int>& which,
                    const std::atomic<bool>& cancel);

// The findings of a rendered page: what its scripts set or changed (the raw
// and the rendered value both in the detail), links only rendering added,
// and a page that ended at its time limit or tried what was refused.
QList<AuditFinding> renderedFindings(const AuditPage& page);

}  // namespace fd::audit
