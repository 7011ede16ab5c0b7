// A page's character set as the browser decides it: the labels it knows,
// the prescan of the document's first bytes (and of the rest of its head),
// the order of byte-order mark, header, prescan and default, and the bytes
// handed to the parser.
#include <gtest/gtest.h>

#include "platform/HtmlEncoding.h"

using namespace fd;

namespace {

QByteArray repeated(char c, int n) {
    return QByteArray(n, c);
}

}  // namespace

TEST(HtmlEncoding, labelsAreReadAsBrowsersReadThem) {
    const struct {
        const char* label;
        const char* encoding;
    } cases[] = {
        {"utf-8", "utf-8"},
        {" UTF8\t", "utf-8"},
        {"ISO-8859-1", "windows-1252"},  // Latin-1 and ASCII are read as windows-1252
        {"latin1", "windows-1252"},
        {"US-ASCII", "windows-1252"},
        {"iso-8859-9", "windows-1254"},
        {"gb2312", "gbk"},
        {"sjis", "shift_jis"},
        {"utf-16", "utf-16le"},
        {"unicodeFFFE", "utf-16be"},
        {"ks_c_5601-1987", "euc-kr"},
        {"x-user-defined", "x-user-defined"},
        {"iso-2022-kr", "replacement"},
        {"utf-32", ""},  // no browser decodes it
        {"no-such-thing", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encodingForLabel(QString::fromLatin1(c.label)), QLatin1String(c.encoding))
            << c.label;

    EXPECT_EQ(contentTypeCharset(QStringLiteral("text/html; charset=\"ISO-8859-1\"")),
              QStringLiteral("ISO-8859-1"));
    EXPECT_EQ(contentTypeCharset(QStringLiteral("text/html;Charset = 'utf-8' ; x=1")),
              QStringLiteral("utf-8"));
    EXPECT_EQ(contentTypeCharset(QStringLiteral("text/html")), QString());
    EXPECT_EQ(contentTypeCharset(QStringLiteral("charset=utf-8")), QString())
        << "the type comes first, never a parameter";
}

TEST(HtmlEncoding, prescanFindsTheDeclarationAsTheStandardDoes) {
    const struct {
        const char* name;
        QByteArray html;
        const char* encoding;
    } cases[] = {
        {"charset attribute", "<html><head><meta charset=\"koi8-r\">", "koi8-r"},
        {"unquoted, upper case", "<META CHARSET=KOI8-R>", "koi8-r"},
        {"pragma", "<meta http-equiv=Content-Type content='text/html; charset=iso-8859-2'>",
         "iso-8859-2"},
        {"pragma after its content",
         "<meta content=\"text/html;charset = 'koi8-u'\" "
         "http-equiv=\"content-type\">",
         "koi8-u"},
        {"content without the pragma", "<meta content='text/html; charset=koi8-r'>", ""},
        {"the first of a repeated attribute", "<meta charset=koi8-r charset=utf-8>", "koi8-r"},
        {"an unknown label, then a known one", "<meta charset=bogus><meta charset=windows-1251>",
         "windows-1251"},
        {"utf-16 in a document means utf-8", "<meta charset=utf-16be>", "utf-8"},
        {"x-user-defined in a document", "<meta charset=x-user-defined>", "windows-1252"},
        {"inside a comment", "<!-- <meta charset=koi8-r> --><p>", ""},
        {"after the shortest comment", "<!--><meta charset=koi8-r>", "koi8-r"},
        {"inside another tag's attribute", "<div title='<meta charset=koi8-r>'>", ""},
        {"a meta-like element", "<metal charset=koi8-r>", ""},
        {"inside a processing instruction", "<?x <meta charset=koi8-r> ?>", ""},
        {"the bytes end inside the meta", "<meta charset=\"koi8-r", ""},
        {"a slash before the attributes", "<meta/charset=koi8-r>", "koi8-r"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(prescanCharset(c.html), QLatin1String(c.encoding)) << c.name;
}

TEST(HtmlEncoding, pastTheFirst1024BytesOnlyTheHeadIsScanned) {
    const QByteArray meta = "<meta charset=koi8-r>";
    // Within the first 1024 bytes a declaration counts wherever it stands.
    EXPECT_EQ(prescanCharset("<body><p>" + repeated('x', 900) + meta), QStringLiteral("koi8-r"));
    // Past them, one in the head still counts (a long comment, script or
    // title before it), one after the head has ended does not.
    EXPECT_EQ(prescanCharset("<html><head><!--" + repeated('x', 3000) + "-->" + meta),
              QStringLiteral("koi8-r"));
    EXPECT_EQ(prescanCharset("<head><script>" + repeated('x', 3000) + "</script>" + meta),
              QStringLiteral("koi8-r"));
    EXPECT_EQ(prescanCharset("<head><title>" + repeated('t', 2000) + "</title>" + meta),
              QStringLiteral("koi8-r"));
    EXPECT_EQ(prescanCharset("<head></head><body><p>" + repeated('x', 3000) + meta), QString());
    EXPECT_EQ(prescanCharset("<p>" + repeated('x', 3000) + meta), QString());
}

TEST(HtmlEncoding, byteOrderMarkThenHeaderThenPrescanThenDefault) {
    const QByteArray declared = "<meta charset=koi8-r><title>\xe9</title>";
    const auto encoding = [](const QByteArray& body, const char* type) {
        return htmlCharset(body, QString::fromLatin1(type)).encoding.toStdString();
    };
    EXPECT_EQ(encoding("\xEF\xBB\xBF" + declared, "text/html; charset=windows-1251"), "utf-8");
    EXPECT_EQ(htmlCharset("\xEF\xBB\xBFx", QString()).bomLength, 3);
    EXPECT_EQ(encoding(QByteArray("\xFE\xFF\0<", 4), "text/html"), "utf-16be");
    EXPECT_EQ(encoding(QByteArray("\xFF\xFE<\0", 4), "text/html"), "utf-16le");
    EXPECT_EQ(encoding(declared, "text/html; charset=windows-1251"), "windows-1251");
    EXPECT_EQ(encoding(declared, "text/html; charset=no-such-thing"), "koi8-r")
        << "an unknown label in the header is passed over";
    EXPECT_EQ(encoding(declared, "text/html"), "koi8-r");
    EXPECT_EQ(encoding("<title>caf\xc3\xa9</title>", "text/html"), "utf-8");
    EXPECT_EQ(encoding("<title>caf\xe9</title>", "text/html"), "windows-1252");
    EXPECT_EQ(encoding("", ""), "utf-8");
}

TEST(HtmlEncoding, theParserGetsUtf8WithoutTheMark) {
    const auto utf8 = [](const QByteArray& body, const char* type = "text/html") {
        return htmlAsUtf8(body, htmlCharset(body, QString::fromLatin1(type)));
    };
    EXPECT_EQ(utf8("caf\xe9 \x93q\x94"), QByteArray("caf\xc3\xa9 \xe2\x80\x9cq\xe2\x80\x9d"));
    // A Latin-1 label is read as windows-1252: its quotes are quotes, not
    // control characters.
    EXPECT_EQ(utf8("\x93q\x94 \x80", "text/html; charset=ISO-8859-1"),
              QByteArray("\xe2\x80\x9cq\xe2\x80\x9d \xe2\x82\xac"));
    EXPECT_EQ(utf8("\xEF\xBB\xBF<p>\xc3\xa9"), QByteArray("<p>\xc3\xa9"));
    // UTF-16: the first mark is the encoding's, a second one the text's.
    EXPECT_EQ(utf8(QByteArray("\xFF\xFE\xFF\xFE<\0p\0", 8)), QByteArray("\xEF\xBB\xBF<p"));
    EXPECT_EQ(utf8(QByteArray("\xFE\xFF\0\xe9", 4)), QByteArray("\xc3\xa9"));
    // Bytes declared UTF-8 go on as they are, for the parser to mend.
    const QByteArray broken = "<p>\xE2\x82 \xFF";
    EXPECT_EQ(utf8(broken, "text/html; charset=utf-8"), broken);
    EXPECT_EQ(utf8("a\x80\xff", "text/html; charset=x-user-defined"),
              QString(QStringLiteral("a") + QChar(0xF780) + QChar(0xF7FF)).toUtf8());
    EXPECT_EQ(utf8("<p>anything", "text/html; charset=iso-2022-kr"), QByteArray("\xEF\xBF\xBD"));
    EXPECT_EQ(utf8("\x93\xfa\x96\x7b", "text/html; charset=shift_jis"),
              QByteArray("\xe6\x97\xa5\xe6\x9c\xac"));
}
