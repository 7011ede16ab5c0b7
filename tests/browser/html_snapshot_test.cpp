// A page's snapshot read from its HTML without a browser, checked against
// Qt WebEngine's own snapshot of the same file: the title and every element
// (node name, name, content) in document order must be the same, so page
// details read without a window are the window's.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "browser/BrowserLogic.h"
#include "browser/HtmlSnapshot.h"
#include "platform/WebEngineBrowser.h"

using namespace fd;

namespace {

std::string describe(const DocumentSnapshot& s) {
    QString out = QStringLiteral("html=%1 title=[%2]\n").arg(s.isHtml).arg(s.title);
    for (const DocumentElement& e : s.elements)
        out += QStringLiteral("  %1 name=[%2] content=[%3]\n").arg(e.nodeName, e.name, e.content);
    return out.toStdString();
}

}  // namespace

TEST(HtmlSnapshot, ReadsWhatTheBrowserReads) {
    const struct {
        const char* file;
        QByteArray bytes;
    } pages[] = {
        {"metas.html",
         "<!DOCTYPE html><html><head><title>\n  Widgets &amp;\tGadgets  </title>"
         "<META NAME=\"Description\" CONTENT=\"First\"><meta name=keywords content='a, b'>"
         "<meta name=\"robots\" content=\"all\"><meta name=\"revisit\" content=\"7 days\">"
         "<meta name=\"author\" content=\"Fifth, not read\"></head><body><p>x</body></html>"},
        {"messy.html",
         "<title>One</title><title>Two</title><p><b>bold<i>both</b>italic</i>"
         "<table><tr><td>cell</td></tr><meta name=\"description\" content=\"in a table\">x"
         "</table><svg><title>svg title</title><foreignObject><meta name=\"keywords\" "
         "content=\"in svg\"></foreignObject><linearGradient/></svg><template><meta "
         "name=author content=t></template><noscript><meta name=description content=ns>"
         "</noscript>"},
        {"latin1.html",
         "<html><head><meta charset=\"iso-8859-1\"><title>Caf\xe9</title>"
         "<meta name=\"description\" content=\"cr\xe8me br\xfbl\xe9\"></head></html>"},
        {"bom.html",
         "\xef\xbb\xbf<title>\xc3\xa9t\xc3\xa9</title><meta name=\"keywords\" "
         "content=\"\xe2\x82\xac\">"},
        {"empty.html", ""},
        // document.title collapses ASCII white space only: the no-break and
        // em spaces stay.
        {"nbsp.html",
         "<title>\xc2\xa0 A\xc2\xa0\xc2\xa0"
         "B\t\r\n\f C\xe2\x80\x83"
         "D \xc2\xa0</title>"},
    };
    QTemporaryDir dir;
    WebEngineBrowser browser;
    int completions = 0;
    QObject::connect(&browser, &WebBrowser::documentComplete, [&] { ++completions; });
    for (const auto& page : pages) {
        QFile f(dir.filePath(QString::fromLatin1(page.file)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(page.bytes);
        f.close();
        const int before = completions;
        browser.navigate(QUrl::fromLocalFile(f.fileName()).toString());
        QDeadlineTimer deadline(30000);
        while (completions == before && !deadline.hasExpired()) QTest::qWait(20);
        ASSERT_GT(completions, before) << page.file;

        const DocumentSnapshot seen = browser.document();
        const DocumentSnapshot read = snapshotFromHtml(page.bytes, QStringLiteral("text/html"));
        EXPECT_EQ(describe(read), describe(seen)) << page.file;
        const PageDetails a = finalDetails(getWebPageInformation(read));
        const PageDetails b = finalDetails(getWebPageInformation(seen));
        EXPECT_EQ(a.description, b.description) << page.file;
        EXPECT_EQ(a.keywords, b.keywords) << page.file;
    }
}

TEST(HtmlSnapshot, AnswersThatAreNotHtmlHaveNoElements) {
    const DocumentSnapshot xml = snapshotFromHtml("<?xml version=\"1.0\"?><a><meta/></a>",
                                                  QStringLiteral("application/xml"));
    EXPECT_FALSE(xml.isHtml);
    EXPECT_TRUE(xml.elements.isEmpty());
    // The header's charset is the one used.
    const DocumentSnapshot declared = snapshotFromHtml(
        "<title>\xe9</title>", QStringLiteral("text/html; charset=\"ISO-8859-1\""));
    EXPECT_EQ(declared.title, QStringLiteral("\u00e9"));
}
