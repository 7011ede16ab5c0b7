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
#include <optional>

#include "browser/BrowserLogic.h"
#include "browser/HtmlSnapshot.h"
#include "browser/WebEngineBrowser.h"

using namespace fd;

namespace {

std::string describe(const DocumentSnapshot& s) {
    QString out = QStringLiteral("html=%1 title=[%2]\n").arg(s.isHtml).arg(s.title);
    for (const DocumentElement& e : s.elements)
        out += QStringLiteral("  %1 name=[%2] content=[%3]\n").arg(e.nodeName, e.name, e.content);
    return out.toStdString();
}

// Each page as the browser reads it, from a local file.
class BrowserPages {
public:
    BrowserPages() {
        QObject::connect(&browser_, &WebBrowser::documentComplete, [this] { ++completions_; });
    }
    // The browser's snapshot of bytes loaded as the file name; none when the
    // load did not complete.
    std::optional<DocumentSnapshot> load(const char* name, const QByteArray& bytes) {
        QFile f(dir_.filePath(QString::fromLatin1(name)));
        if (!f.open(QIODevice::WriteOnly)) return std::nullopt;
        f.write(bytes);
        f.close();
        const int before = completions_;
        browser_.navigate(QUrl::fromLocalFile(f.fileName()).toString());
        QDeadlineTimer deadline(30000);
        while (completions_ == before && !deadline.hasExpired()) QTest::qWait(20);
        if (completions_ == before) return std::nullopt;
        return browser_.document();
    }

private:
    QTemporaryDir dir_;
    WebEngineBrowser browser_;
    int completions_ = 0;
};

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
    BrowserPages browser;
    for (const auto& page : pages) {
        const std::optional<DocumentSnapshot> loaded = browser.load(page.file, page.bytes);
        ASSERT_TRUE(loaded) << page.file;

        const DocumentSnapshot& seen = *loaded;
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

// The character set, decided for each page as the browser decides it: a
// declaration the prescan finds, also behind a long head, and none inside
// a comment or another tag.
TEST(HtmlSnapshot, DecodesEachPageAsTheBrowserDoes) {
    const QByteArray koi8Title = "<title>\xf0\xd2\xc9\xd7\xc5\xd4</title>";  // "Привет" in KOI8-R
    const QByteArray longComment = "<!--" + QByteArray(3000, '-') + "-->";
    const struct {
        const char* file;
        QByteArray bytes;
    } pages[] = {
        {"late-meta.html",
         "<html><head>" + longComment + "<meta charset=koi8-r>" + koi8Title + "</head></html>"},
        {"pragma.html",
         "<meta content='text/html; charset=koi8-r' http-equiv=content-type>" + koi8Title},
        {"commented.html",
         "<!-- <meta charset=koi8-r> --><title>caf\xc3\xa9</title><meta name=description "
         "content='\xc3\xa9t\xc3\xa9'>"},
        {"in-attribute.html", "<link title='<meta charset=koi8-r>'><title>caf\xc3\xa9</title>"},
        {"x-user-defined.html", "<meta charset=x-user-defined><title>caf\xe9</title>"},
    };
    BrowserPages browser;
    for (const auto& page : pages) {
        const std::optional<DocumentSnapshot> seen = browser.load(page.file, page.bytes);
        ASSERT_TRUE(seen) << page.file;
        EXPECT_EQ(describe(snapshotFromHtml(page.bytes, QStringLiteral("text/html"))),
                  describe(*seen))
            << page.file;
    }
}
