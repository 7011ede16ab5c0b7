#pragma once
// The site map: one static HTML page listing the pages of the open page list,
// two links to a table row under a heading that links to the site's root. It
// is saved where the user chooses, shown in the browser and, on request,
// uploaded to the maker's server.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "core/AppError.h"
#include "platform/Dialogs.h"
#include "platform/InetTransfer.h"
#include "platform/Upload.h"
#include "platform/WebBrowser.h"

class QObject;
class QRandomGenerator;
class QWidget;

namespace fd {

class CADODBAccess;

// Error-log label of the site-map routine.
inline const QString kSiteMapRoutine = QStringLiteral("CreateSiteMap_Click");

// True for entries the map leaves out: robots.txt, server scripts and
// configuration (".asa", ".asax"), the editor's "_vti" folders, logs and
// icons, matched anywhere in the lower-cased entry.
bool leftOutOfSiteMap(const QString& entry);

// The whole page, CR LF after every line. root and entries are joined as
// they stand for the link targets; the link text drops one leading "/". The
// heading shows siteName, or root when the name is empty. Every inserted
// value is HTML-escaped, so names holding "<", "&" or quotes show intact.
QString buildSiteMapHtml(const QString& root, const QString& siteName, const QStringList& entries);
// The same, telling progress how many entries are done every
// kSiteMapProgressStride entries and at the end; nothing once progress says
// stop.
inline constexpr qint64 kSiteMapProgressStride = 4096;
std::optional<QString> buildSiteMapHtml(const QString& root, const QString& siteName,
                                        const QStringList& entries,
                                        const std::function<bool(qint64, qint64)>& progress);

// The file's bytes: the page followed by one more CR LF, 8-bit text.
QByteArray siteMapFileBytes(const QString& html);

// The random part of the upload name, 1 to 99, from a generator the caller
// keeps (seeded the same at every start, so the sequence repeats per run).
int siteMapRandomValue(QRandomGenerator& generator);

// The failure of writing a site-map file: the path and why (76 when its
// folder is missing, else 70).
AppError siteMapWriteError(const QString& path, const QString& why);

// The message that stops a site map before its save dialog: the tree is
// empty, or holds its root alone. Empty when the tree has pages.
QString siteMapTreeMessage(const QStringList& nodes);

// What one run needs from the main window.
struct SiteMapServices {
    SiteMapServices(Dialogs& d, ErrorSink& l) : dialogs(d), log(l) {}
    Dialogs& dialogs;
    ErrorSink& log;
    WebBrowser* browser = nullptr;
    InetTransfer* transfer = nullptr;  // the shared transfer control
    QWidget* parent = nullptr;
    QObject* owner = nullptr;  // keeps work that outlives the run (uploads one after another)
    QString programFolder;
    UploadTarget uploadTarget;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    std::function<int()> randomValue;  // 1 to 99
    // Where the files written are remembered for publishing (none: not).
    const CADODBAccess* db = nullptr;
};

// Shows siteMapTreeMessage when there is one; true when the tree has pages.
bool siteMapTreeReady(const QStringList& nodes, const SiteMapServices& s);

// The steps the site maps share after their file is written: the upload
// question (true for Yes), the transfer control (an error when there is
// none), the upload name "SM-" + upload stamp without its extension, the
// failure message of an upload that cannot start, and the end of a run on a
// failure: a refused connection or a busy transfer control is told, a
// cancelled dialog is silent, anything else is logged under routine.
bool wantsSiteMapUpload(const SiteMapServices& s);
InetTransfer& siteMapTransfer(const SiteMapServices& s);
QString siteMapUploadName(const SiteMapServices& s);
inline const QString kSiteMapUploadFailure = QStringLiteral(
    "There was an error trying to connect to the Tallowby website. Please try again later.");
void endSiteMapRun(const AppError& e, const SiteMapServices& s, const QString& routine);
// The upload of one site-map file: when the server cannot be reached, the
// run ends as endSiteMapRun says ("Unable to connect ..."), once that is
// known; the outcome is dropped when the window that owns the run is gone.
UploadRequest siteMapUploadRequest(const SiteMapServices& s, const QString& localPath,
                                   const QString& remoteName, const QString& routine);

// The Tools menu's "Create Site Map": nodes are the texts of the site
// directory tree in the order they were added, the root first. Reports
// everything by message box; failures other than a refused connection or a
// busy transfer control go to the error log only.
void CreateSiteMap_Click(const QStringList& nodes, const QString& siteName,
                         const SiteMapServices& s);

}  // namespace fd
