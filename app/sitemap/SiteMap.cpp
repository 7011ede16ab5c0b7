#include "SiteMap.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QUrl>
#include <cmath>

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

bool leftOutOfSiteMap(const QString& entry) {
    const QString lower = entry.toLower();
    for (const char* part : {"robots.txt", ".asa", "_vti", ".log", ".ico"})
        if (lower.contains(QLatin1String(part))) return true;
    return false;
}

QString buildSiteMapHtml(const QString& root, const QString& siteName, const QStringList& entries) {
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
    for (const QString& entry : entries) {
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
    return html;
}

QByteArray siteMapFileBytes(const QString& html) {
    return (html + kCrLf).toUtf8();
}

int siteMapRandomValue(QRandomGenerator& generator) {
    return int(std::lround(generator.generateDouble() * 98.0 + 1.0));
}

namespace {

void writeSiteMap(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const bool folderMissing = !QFileInfo(path).absoluteDir().exists();
        throw AppError(folderMissing ? err::kPathNotFound : err::kPermissionDenied,
                       file.errorString(), kProductName);
    }
}

}  // namespace

void CreateSiteMap_Click(const QStringList& nodes, const QString& siteName,
                         const SiteMapServices& s) {
    auto tell = [&s](const QString& text) { s.dialogs.message(s.parent, text, kProductName); };
    if (nodes.isEmpty()) {
        tell(QStringLiteral(
            "You cannot create a site map until you have opened up a web page list file."));
        return;
    }
    const QString root = nodes.first();
    if (nodes.size() < 2) {
        tell(
            QStringLiteral("You need to create a list of webpages first. \r\nGo to the 'Page "
                           "Details' tab and use the 'Add Page to List' button."));
        return;
    }
    const QString html = buildSiteMapHtml(root, siteName, nodes.mid(1));

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

        writeSiteMap(*path, siteMapFileBytes(html));
        if (s.browser) s.browser->navigate(QUrl::fromLocalFile(*path).toString());

        const MsgAnswer answer = s.dialogs.message(
            s.parent,
            QStringLiteral("Would you like to upload this to Tallowby for them to help "
                           "increase hits to this site?"),
            kProductName, MsgButtons::YesNo);
        if (answer != MsgAnswer::Yes) return;

        if (!s.transfer)
            throw AppError(err::kInvalidProcedureCall, QStringLiteral("No transfer control"),
                           kProductName);
        const int random = s.randomValue ? s.randomValue() : 1;
        runUpload(
            *s.transfer, s.dialogs, s.log, s.parent, s.uploadTarget,
            {*path, QStringLiteral("SM-") + uploadStamp(s.now(), random) + QStringLiteral(".htm"),
             kSiteMapRoutine,
             QStringLiteral("There was an error trying to connect to the Tallowby "
                            "website. Please try again later.")});
    } catch (const AppError& e) {
        if (e.number() == err::kCannotConnect)
            tell(
                QStringLiteral("Unable to connect to the Tallowby servers.\r\nPlease try "
                               "again later."));
        else if (e.number() == err::kTransferBusy)
            tell(QStringLiteral("Please try again later."));
        else if (e.number() != err::kDialogCancelled)
            logFailure(s.log, kSiteMapRoutine, e);
    } catch (const std::exception& e) {
        logFailure(s.log, kSiteMapRoutine, e);
    }
}

}  // namespace fd
