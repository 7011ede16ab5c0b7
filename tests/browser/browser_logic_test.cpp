// The browser handling's plain logic: address clean-up, the progress rule,
// the snapshot parser and the reading of title and meta elements.
#include <gtest/gtest.h>

#include "browser/BrowserLogic.h"
#include "browser/PageScripts.h"

using namespace fd;

namespace {

DocumentElement meta(const QString& name, const QString& content) {
    return {QStringLiteral("META"), name, content};
}
DocumentElement el(const char* node) {
    return {QString::fromLatin1(node), {}, {}};
}

DocumentSnapshot html(const QString& title, QVector<DocumentElement> elements) {
    DocumentSnapshot d;
    d.isHtml = true;
    d.title = title;
    d.elements = std::move(elements);
    return d;
}

}  // namespace

TEST(RemoveDoubleSlash, normalisesAsTheAddressBarExpects) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        // Scheme kept, whole address lower-cased, doubled slashes after it single.
        {"HTTP://WWW.Example.COM//Dir//Page.HTML", "http://www.example.com/dir/page.html"},
        {"https://a.org//x", "https://a.org/x"},
        {"ftp://host//pub", "ftp://host/pub"},
        {"file:\\\\\\C:\\x//y", "file:\\\\\\c:\\x/y"},
        {"FILE:///Home/u//Pages/a.html", "file:///home/u/pages/a.html"},
        // Every occurrence of the prefix goes, not only the leading one.
        {"http://a.com/?u=http://b.com", "http://a.com/?u=b.com"},
        // One left-to-right pass: three slashes become two.
        {"http://a.com///b", "http://a.com//b"},
        // No known scheme: only the "//" pairs collapse.
        {"www.A.com//b", "www.a.com/b"},
        {"mailto://x//y", "mailto:/x/y"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(removeDoubleSlash(QString::fromLatin1(c.in)), QString::fromLatin1(c.out)) << c.in;
}

TEST(QueryStringCuts, removeQuerystringCutsAnywhereTheAddressFieldNotAtTheStart) {
    EXPECT_EQ(removeQuerystring(QStringLiteral("http://a/b?x=1?y")), QStringLiteral("http://a/b"));
    EXPECT_EQ(removeQuerystring(QStringLiteral("http://a/b")), QStringLiteral("http://a/b"));
    EXPECT_EQ(removeQuerystring(QStringLiteral("?x")), QString());
    EXPECT_EQ(cutPageAddressQuery(QStringLiteral("http://a/b?x=1")), QStringLiteral("http://a/b"));
    EXPECT_EQ(cutPageAddressQuery(QStringLiteral("a?")), QStringLiteral("a"));
    EXPECT_EQ(cutPageAddressQuery(QStringLiteral("?x=1")), QStringLiteral("?x=1"));
    EXPECT_EQ(cutPageAddressQuery(QString()), QString());
}

TEST(ProgressBarValue, staysUnderOneUntilAFifthThenStandsAt96) {
    struct Case {
        int progress, maximum;
        double value;
    } cases[] = {
        {10, 100, 0.5},
        {19, 100, 0.95},
        {20, 100, 96},
        {99, 100, 96},
        {100, 100, 0},
        {-1, 100, 0},
        {0, 100, 0},
        {5, 0, 0},
        {5, -3, 0},
        // Byte counts of a large page do not overflow.
        {2000000000, 2100000000, 96},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(progressBarValue(c.progress, c.maximum), c.value)
            << c.progress << "/" << c.maximum;
}

TEST(ParseDocumentSnapshot, readsTitleAndElementsInOrder) {
    const DocumentSnapshot d = parseDocumentSnapshot(QStringLiteral(
        R"({"html":true,"title":"T \"q\"","e":[["HTML","",""],["META","Description","d"],["A","x",""]]})"));
    EXPECT_TRUE(d.isHtml);
    EXPECT_EQ(d.title, QStringLiteral("T \"q\""));
    ASSERT_EQ(d.elements.size(), 3);
    EXPECT_EQ(d.elements[1].nodeName, QStringLiteral("META"));
    EXPECT_EQ(d.elements[1].name, QStringLiteral("Description"));
    EXPECT_EQ(d.elements[1].content, QStringLiteral("d"));
    EXPECT_EQ(d.elements[2].name, QStringLiteral("x"));
}

TEST(ParseDocumentSnapshot, anythingElseIsANonHtmlDocument) {
    for (const char* text : {"", "null", "[1,2]", "{not json", R"({"title":"x"})"}) {
        const DocumentSnapshot d = parseDocumentSnapshot(QString::fromLatin1(text));
        EXPECT_FALSE(d.isHtml) << text;
        EXPECT_TRUE(d.elements.isEmpty()) << text;
    }
    // Short or odd element entries do not throw and read as empty texts.
    const DocumentSnapshot d =
        parseDocumentSnapshot(QStringLiteral(R"({"html":true,"title":"t","e":[["META"],5]})"));
    ASSERT_EQ(d.elements.size(), 2);
    EXPECT_EQ(d.elements[0].name, QString());
    EXPECT_EQ(d.elements[1].nodeName, QString());
}

TEST(GetWebPageInformation, readsTheNamedMetasWhereverTheyStandInTheHead) {
    struct Case {
        const char* what;
        DocumentSnapshot doc;
        PageDetails expected;
        int metasRead;
    };
    const Case cases[] = {
        {"charset, viewport and http-equiv metas first: all four named ones still read",
         html("Page", {el("HTML"),
                       el("HEAD"),
                       {QStringLiteral("META"), {}, {}},
                       meta(QStringLiteral("viewport"), QStringLiteral("width=device-width")),
                       {QStringLiteral("META"), {}, QStringLiteral("text/html")},
                       meta(QStringLiteral("Description"), QStringLiteral("desc")),
                       el("TITLE"),
                       meta(QStringLiteral("robots"), QStringLiteral("all")),
                       meta(QStringLiteral("keywords"), QStringLiteral("k1,k2")),
                       meta(QStringLiteral("revisit"), QStringLiteral("7 days")),
                       meta(QStringLiteral("author"), QStringLiteral("Ann")),
                       el("BODY")}),
         {QStringLiteral("Page"), QStringLiteral("desc"), QStringLiteral("k1,k2"),
          QStringLiteral("7 days"), QStringLiteral("Ann")},
         8},
        {"a meta in the body is not the page's: the head ends at the body",
         html("B", {el("HEAD"), meta(QStringLiteral("author"), QStringLiteral("Head")), el("BODY"),
                    el("DIV"), meta(QStringLiteral("author"), QStringLiteral("Body"))}),
         {QStringLiteral("B"), {}, {}, {}, QStringLiteral("Head")},
         1},
        {"exact names only: revisit-after is not read, REVISIT is",
         html("R", {meta(QStringLiteral("revisit-after"), QStringLiteral("7 days")),
                    meta(QStringLiteral("REVISIT"), QStringLiteral("14 days")),
                    meta(QStringLiteral("Author "), QStringLiteral("trailing blank"))}),
         {QStringLiteral("R"), {}, {}, QStringLiteral("14 days"), {}},
         3},
        {"a name twice: the later value wins, also past the fourth meta",
         html("D", {meta(QStringLiteral("keywords"), QStringLiteral("first")),
                    meta(QStringLiteral("author"), QStringLiteral("A")),
                    meta(QStringLiteral("viewport"), QStringLiteral("v")),
                    meta(QStringLiteral("robots"), QStringLiteral("r")),
                    meta(QStringLiteral("Keywords"), QStringLiteral("second"))}),
         {QStringLiteral("D"), {}, QStringLiteral("second"), {}, QStringLiteral("A")},
         5},
        {"no meta elements: title only",
         html("Plain", {el("HTML"), el("HEAD"), el("TITLE"), el("BODY"), el("P")}),
         {QStringLiteral("Plain"), {}, {}, {}, {}},
         0},
        {"node names in any case count as meta (XHTML's are lower case)",
         html("x",
              {{QStringLiteral("meta"), QStringLiteral("description"), QStringLiteral("lower")}}),
         {QStringLiteral("x"), QStringLiteral("lower"), {}, {}, {}},
         1},
    };
    for (const Case& c : cases) {
        const WebPageInformation info = getWebPageInformation(c.doc);
        const PageDetails d = finalDetails(info);
        EXPECT_FALSE(info.failed) << c.what;
        EXPECT_EQ(info.metas.size(), c.metasRead) << c.what;
        EXPECT_EQ(d.title, c.expected.title) << c.what;
        EXPECT_EQ(d.description, c.expected.description) << c.what;
        EXPECT_EQ(d.keywords, c.expected.keywords) << c.what;
        EXPECT_EQ(d.revisit, c.expected.revisit) << c.what;
        EXPECT_EQ(d.author, c.expected.author) << c.what;
    }
}

TEST(GetWebPageInformation, nonHtmlDocumentKeepsTheTitleAndFails) {
    DocumentSnapshot doc;
    doc.isHtml = false;
    doc.title = QStringLiteral("feed.xml");
    doc.elements = {meta(QStringLiteral("description"), QStringLiteral("ignored"))};
    const WebPageInformation info = getWebPageInformation(doc);
    EXPECT_TRUE(info.failed);
    EXPECT_EQ(info.title, QStringLiteral("feed.xml"));
    EXPECT_TRUE(info.metas.isEmpty());
}
