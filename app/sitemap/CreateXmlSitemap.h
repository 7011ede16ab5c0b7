#pragma once
// The Tools menu's "Create XML Sitemap": the XML sitemaps of the page list
// open in the main window, saved where the user chooses, shown in the
// browser, summed up in a message with the robots.txt line and, on request,
// uploaded by the site map's upload procedure.

#include <QDate>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>

#include "SiteMap.h"

namespace fd {

// Error-log label of the XML sitemap routine.
inline const QString kXmlSitemapRoutine = QStringLiteral("CreateXmlSitemap_Click");

// nodes: the site directory tree's texts in the order they were added, the
// root first; updated: the day pages were last updated, by entry. Reports
// everything by message box: a file that cannot be written is told and
// logged; upload failures are handled as for the HTML site map.
void CreateXmlSitemap_Click(const QStringList& nodes, const QHash<QString, QDate>& updated,
                            const SiteMapServices& s);

// Files sent one after another through the shared transfer control, each as
// soon as the control is free again (it takes one transfer at a time). A
// start that fails is logged under the request's routine and ends the
// queue. The queue deletes itself when it is done.
class UploadQueue : public QObject {
public:
    UploadQueue(InetTransfer& transfer, ErrorSink& log, UploadTarget target,
                QList<UploadRequest> requests, QObject* owner);

private:
    void next();

    InetTransfer& transfer_;
    ErrorSink& log_;
    UploadTarget target_;
    std::deque<UploadRequest> requests_;
    QTimer timer_;
};

}  // namespace fd
