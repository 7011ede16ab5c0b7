#include "SiteMap.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QUrl>
#include <cmath>

#include "WrittenSiteMaps.h"
#include "core/CommonFunctions.h"
#include "core/FileReplace.h"
#include "core/Globals.h"

namespace fd {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Text for an HTML element or a double-quoted attribute: the markup
// characters as entities, and anything outside ASCII as a character
// reference, so the file stays plain 8-bit text that any browser reads the
// same way whatever encoding it assumes.
QString escaped(const QString& text) {
    const QString html = text.toHtmlEscaped();
    QString out;
    out.reserve(html.size());
    for (const char32_t c : html.toUcs4()) {
        if (c < 0x80)
            out += QChar(char16_t(c));
        else
            out += QStringLiteral("&#%1;").arg(uint(c));
    }
    return out;
}

}  // namespace

namespace {

char16_t asciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

// True when the lower-cased text holds part (lower case) at position i.
bool lowerHolds(const char16_t* text, qsizetype size, qsizetype i, const char* part) {
    for (; *part; ++part, ++i)
        if (i >= size || asciiLower(text[i]) != char16_t(*part)) return false;
    return true;
}

}  // namespace

bool leftOutOfSiteMap(const QString& entry) {
    const char16_t* text = QStringView(entry).utf16();
    const qsizetype size = entry.size();
    for (qsizetype i = 0; i < size; ++i) {
        // Lower-casing can turn a character outside ASCII into an ASCII
        // letter; such entries take the plain, slower road.
        if (text[i] >= 0x80) {
            const QString lower = entry.toLower();
            for (const char* part : {"robots.txt", ".asa", "_vti", ".log", ".ico"})
                if (lower.contains(QLatin1String(part))) return true;
            return false;
        }
    }
    // One pass over an ASCII entry, no copy: these are checked for every
    // page of lists that may hold a million.
    for (qsizetype i = 0; i < size; ++i) {
        switch (asciiLower(text[i])) {
            case u'r':
                if (lowerHolds(text, size, i, "robots.txt")) return true;
                break;
            case u'.':
                if (lowerHolds(text, size, i, ".asa") || lowerHolds(text, size, i, ".log") ||
                    lowerHolds(text, size, i, ".ico"))
                    return true;
                break;
            case u'_':
                if (lowerHolds(text, size, i, "_vti")) return true;
                break;
            default:
                break;
        }
    }
    return false;
}

QString buildSiteMapHtml(const QString& root, const QString& siteName, const QStringList& entries) {
    return *buildSiteMapHtml(root, siteName, entries, nullptr);
}

std::optional<QString> buildSiteMapHtml(const QString& root, const QString& siteName,
                                        const QStringList& entries,
                                        const std::function<bool(qint64, qint64)>& progress) {
    const QString r = escaped(root);
    const QString label = siteName.isEmpty() ? r : escaped(siteName);
    QString html;
    auto line = [&html](const QString& text) { html += text + kCrLf; };

    line(QStringLiteral("<html><head>"));
    line(QStringLiteral("<title>") + r + QStringLiteral("</title>"));
    line(QStringLiteral("<!-- Created by Tallowby Automation Software (") + kMakerHomePage +
         QStringLiteral(") -->"));
    line(QStringLiteral("</head>"));
    line(QStringLiteral("<body>"));
    line(QStringLiteral("<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\">"));
    line(QStringLiteral("<tr><td colspan=\"3\"><h3><a href=\"") + r + QStringLiteral("\">") +
         label + QStringLiteral("</a></h3></td></tr>"));

    qint32 linksWritten = 0;
    qint64 done = 0;
    for (const QString& entry : entries) {
        if (progress && ++done % kSiteMapProgressStride == 0 && !progress(done, entries.size()))
            return std::nullopt;
        if (leftOutOfSiteMap(entry)) continue;
        const QString text = escaped(entry.startsWith(u'/') ? entry.mid(1) : entry);
        const QString link = QStringLiteral("<li><a href=\"") + r + escaped(entry) +
                             QStringLiteral("\">") + text + QStringLiteral("</a></li></td>");
        ++linksWritten;
        if (linksWritten % 2 == 1)
            line(QStringLiteral("<tr><td>") + link + QStringLiteral("<td>&nbsp;&nbsp;</td>"));
        else
            line(QStringLiteral("<td>") + link + QStringLiteral("</tr>"));
    }
    if (linksWritten % 2 == 1) line(QStringLiteral("</tr>"));

    line(QStringLiteral("<tr><td>&nbsp;</td></tr>"));
    line(QStringLiteral("<tr><td colspan=\"3\" align=\"right\"><font size=\"-2\">Created by <a "
                        "href=\"") +
         kMakerHomePage + QStringLiteral("\">Tallowby</a> Automation Software</font></td></tr>"));
    line(QStringLiteral("</table></body></html>"));
    if (progress && !progress(entries.size(), entries.size())) return std::nullopt;
    return html;
}

QByteArray siteMapFileBytes(const QString& html) {
    return (html + kCrLf).toUtf8();
}

int siteMapRandomValue(QRandomGenerator& generator) {
    return int(std::lround(generator.generateDouble() * 98.0 + 1.0));
}

QString siteMapTreeMessage(const QStringList& nodes) {
    if (nodes.isEmpty())
        return QStringLiteral(
            "You cannot create a site map until you have opened up a web page list file.");
    if (nodes.size() < 2)
        return QStringLiteral(
            "You need to create a list of webpages first. \r\nGo to the 'Page Details' tab and "
            "use the 'Add Page to List' button.");
    return {};
}

bool siteMapTreeReady(const QStringList& nodes, const SiteMapServices& s) {
    const QString problem = siteMapTreeMessage(nodes);
    if (!problem.isEmpty()) s.dialogs.message(s.parent, problem, kProductName);
    return problem.isEmpty();
}

bool wantsSiteMapUpload(const SiteMapServices& s) {
    return s.dialogs.message(s.parent,
                             QStringLiteral("Would you like to upload this to Tallowby for them "
                                            "to help increase hits to this site?"),
                             kProductName, MsgButtons::YesNo) == MsgAnswer::Yes;
}

InetTransfer& siteMapTransfer(const SiteMapServices& s) {
    if (!s.transfer)
        throw AppError(err::kInvalidProcedureCall, QStringLiteral("No transfer control"),
                       kProductName);
    return *s.transfer;
}

QString siteMapUploadName(const SiteMapServices& s) {
    const int random = s.randomValue ? s.randomValue() : 1;
    return QStringLiteral("SM-") + uploadStamp(s.now(), random);
}

AppError siteMapWriteError(const QString& path, const QString& why) {
    const bool folderMissing = !QFileInfo(path).absoluteDir().exists();
    return AppError(folderMissing ? err::kPathNotFound : err::kPermissionDenied,
                    QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why),
                    kProductName);
}

namespace {

void endRun(const AppError& e, Dialogs& dialogs, ErrorSink& log, QWidget* parent,
            const QString& routine) {
    if (e.number() == err::kCannotConnect)
        dialogs.message(
            parent,
            QStringLiteral("Unable to connect to the Tallowby servers.\r\nPlease try again later."),
            kProductName);
    else if (e.number() == err::kTransferBusy)
        dialogs.message(parent, QStringLiteral("Please try again later."), kProductName);
    else if (e.number() != err::kDialogCancelled)
        logFailure(log, routine, e);
}

}  // namespace

void endSiteMapRun(const AppError& e, const SiteMapServices& s, const QString& routine) {
    endRun(e, s.dialogs, s.log, s.parent, routine);
}

UploadRequest siteMapUploadRequest(const SiteMapServices& s, const QString& localPath,
                                   const QString& remoteName, const QString& routine) {
    UploadRequest r{localPath, remoteName, routine, kSiteMapUploadFailure};
    // The services live for the run only; the dialogs and the log they name
    // live as long as the window.
    r.connectionFailed = [&dialogs = s.dialogs, &log = s.log, parent = s.parent,
                          routine](const AppError& e) { endRun(e, dialogs, log, parent, routine); };
    r.context = s.owner;
    return r;
}

namespace {

void writeSiteMap(const QString& path, const QByteArray& bytes) {
    FileReplacement file(path);
    if (!file.replaceWith(bytes)) throw siteMapWriteError(path, file.errorString());
}

}  // namespace

void CreateSiteMap_Click(const QStringList& nodes, const QString& siteName,
                         const SiteMapServices& s) {
    if (!siteMapTreeReady(nodes, s)) return;
    const QString root = nodes.first();
    // A long list shows its progress; Cancel ends the run before anything is
    // asked or written. The bar is gone before the save dialog opens.
    std::optional<QString> built;
    {
        const qint64 entries = nodes.size() - 1;
        const auto progress =
            s.dialogs.progress(s.parent,
                               QStringLiteral("Writing the site map of %1 pages ...")
                                   .arg(QLocale(QLocale::English).toString(entries)),
                               entries);
        built = buildSiteMapHtml(root, siteName, nodes.mid(1), [&progress](qint64 done, qint64) {
            return progress->advance(done);
        });
    }
    if (!built) return;
    const QString& html = *built;

    try {
        FileDialogRequest r;
        r.initialDir = s.programFolder + QStringLiteral("/WebPageLists");
        r.filter = QStringLiteral(
            "All Files (*.*)|*.*|HTML Files(*.html)|*.html|HTML Files (*.htm)|*.htm");
        r.filterIndex = 3;
        // The name is used as typed; running again onto the same file replaces it.
        r.overwritePrompt = false;
        const std::optional<QString> path = s.dialogs.saveFile(s.parent, r);
        // Cancelling ends the run without a word; so does an empty name,
        // which leaves nothing to show or send.
        if (!path || path->isEmpty()) return;

        try {
            writeSiteMap(*path, siteMapFileBytes(html));
        } catch (const AppError& e) {
            logFailure(s.log, kSiteMapRoutine, e);
            s.dialogs.message(s.parent,
                              QStringLiteral("The site map could not be saved; the file already "
                                             "there is unchanged.\r\n") +
                                  e.description(),
                              kProductName);
            return;
        }
        rememberWrittenSiteMaps(s.db, s.log, kSiteMapRoutine, nodes.first(), SiteMapKind::Html,
                                {*path});
        if (s.browser) s.browser->navigate(QUrl::fromLocalFile(*path).toString());

        if (!wantsSiteMapUpload(s)) return;
        runUpload(siteMapTransfer(s), s.dialogs, s.log, s.parent, s.uploadTarget,
                  siteMapUploadRequest(s, *path, siteMapUploadName(s) + QStringLiteral(".htm"),
                                       kSiteMapRoutine));
    } catch (const AppError& e) {
        endSiteMapRun(e, s, kSiteMapRoutine);
    } catch (const std::exception& e) {
        logFailure(s.log, kSiteMapRoutine, e);
    }
}

}  // namespace fd
