#pragma once
// The browser handling's plain logic, free of widgets: address clean-up, the
// progress bar rule, the document snapshot's parser and the reading of a
// page's title and meta elements.

#include <QString>
#include <QVector>

#include "platform/WebBrowser.h"

namespace fd {

// Where the upgrade question and the "Update Browser" item send the user: the
// distribution's page of the browser engine the program embeds.
inline const QString kBrowserDownloadUrl =
    QStringLiteral("https://packages.debian.org/stable/libqt6webenginecore6");

// The upgrade question asked when printing or the print preview fails.
inline const QString kUpgradeQuestion = QStringLiteral(
    "This function is not supported with your version of Internet Explorer.\r\n"
    "Would you like to upgrade now?");
inline const QString kPopUpQuestion = QStringLiteral(
    "Your settings are preventing pop-up windows. Would you like to allow pop-up windows?");
inline const QString kLoadingTitle = QStringLiteral("loading . . .");

// Lower-cases the address, removes every occurrence of its scheme prefix
// ("http://", "https://", "ftp://", "file:\\\", "file:///") and collapses "//" pairs in
// one left-to-right pass, then puts the prefix back in front.
QString removeDoubleSlash(const QString& pURL);

// The text before the first "?", or all of it when there is none.
QString removeQuerystring(const QString& pURL);

// The page address field's cut: the text before the first "?" when that "?"
// stands at the second position or later; otherwise the text unchanged.
QString cutPageAddressQuery(const QString& address);

// The progress bar's value for a ProgressChange event: 0 when progress < 0,
// progress = maximum or maximum <= 0; 96 once a fifth of the page has
// arrived; below that 5 * progress / maximum (a value under 1).
double progressBarValue(int progress, int maximum);

// What the page reading writes into the page-detail fields, in order.
enum class PageField { None, Description, Keywords, Revisit, Author };
struct MetaRead {
    PageField field = PageField::None;  // None: the meta used a slot but fills no field
    QString value;
};
struct WebPageInformation {
    QString title;
    QVector<MetaRead> metas;  // every meta of the head, in document order
    bool failed = false;      // the document had no element collection
    QString failure;          // the failure's description then
};

// Reads the title and the meta elements of the document's head (those before
// its body or frameset): a meta named exactly (case-insensitively)
// "keywords", "description", "revisit" or "author" fills that field, later
// values replacing earlier ones.
WebPageInformation getWebPageInformation(const DocumentSnapshot& doc);

// The fields' values once every read is applied.
struct PageDetails {
    QString title, description, keywords, revisit, author;
};
PageDetails finalDetails(const WebPageInformation& info);

}  // namespace fd
