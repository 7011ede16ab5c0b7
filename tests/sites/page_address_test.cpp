// The one rule that joins a root URL and a node's text into a page's address,
// and its inverse, as a table.
#include <gtest/gtest.h>

#include "sites/PageAddress.h"

using namespace fd::sites;

TEST(PageAddress, joinsRootAndTextWithExactlyOneSlash) {
    struct Case {
        const char* root;
        const char* text;
        const char* address;
    };
    const Case cases[] = {
        {"http://host/", "/", "http://host/"},
        {"http://host/", "/lead/slash.html", "http://host/lead/slash.html"},
        {"http://host/", "a.html", "http://host/a.html"},
        {"http://host", "a.html", "http://host/a.html"},
        {"http://host", "/a.html", "http://host/a.html"},
        {"http://host/dir/", "a.html", "http://host/dir/a.html"},
        {"http://host/dir", "a.html", "http://host/dir/a.html"},
        {"http://host/dir/", "/", "http://host/dir/"},
        // Two slashes in the list stay two: only the joining one is shared.
        {"http://host/", "//folder/a.html", "http://host//folder/a.html"},
        {"http://host", "//folder/a.html", "http://host//folder/a.html"},
        // Blanks around either side are trimmed; blanks inside are the page's.
        {"http://host/", "  sp.html  ", "http://host/sp.html"},
        {"  http://host/  ", "a b.html", "http://host/a b.html"},
        // A fragment is no part of the page's address.
        {"http://host/", "c#1.html", "http://host/c"},
        {"http://host/", "page.html#top", "http://host/page.html"},
        {"http://host/", "#top", "http://host/"},
        // A query of the root, and the root itself.
        {"http://host/p.asp", "?id=1", "http://host/p.asp?id=1"},
        {"http://host/", "", "http://host/"},
        {"http://host/", "   ", "http://host/"},
        // A text that is an address of its own stands as it is.
        {"http://host/", "https://other.example/x.html", "https://other.example/x.html"},
        {"http://host/", " HTTP://Host/X.html#f ", "HTTP://Host/X.html"},
        {"http://host/", "ftp://files.example/a", "ftp://files.example/a"},
        // Not a scheme: a colon later in a name, or "://" after a slash.
        {"http://host/", "a:b.html", "http://host/a:b.html"},
        {"http://host/", "x/http://y", "http://host/x/http://y"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pageAddress(QString::fromUtf8(c.root), QString::fromUtf8(c.text)),
                  QString::fromUtf8(c.address))
            << c.root << " + [" << c.text << "]";
}

TEST(PageAddress, theBrowserMayKeepTheFragment) {
    EXPECT_EQ(pageAddress(QStringLiteral("http://host/"), QStringLiteral("page.html#top"),
                          Fragment::Keep),
              QStringLiteral("http://host/page.html#top"));
    EXPECT_EQ(
        pageAddress(QStringLiteral("http://host/"), QStringLiteral("c#1.html"), Fragment::Keep),
        QStringLiteral("http://host/c#1.html"));
}

TEST(PageAddress, nodeTextGivesTheAddressBack) {
    struct Case {
        const char* root;
        const char* address;
        const char* text;  // what the list keeps
    };
    const Case cases[] = {
        {"http://host/", "http://host/a.html", "a.html"},
        {"http://host/", "http://host/", "/"},
        {"http://host/", "http://host//folder/a.html", "//folder/a.html"},
        {"http://host", "http://host/a.html", "/a.html"},
        {"http://host/dir/", "http://host/dir/sub/a.html", "sub/a.html"},
        {"http://host/dir", "http://host/dir/a.html", "/a.html"},
        {"http://host/p.asp", "http://host/p.asp?id=1", "?id=1"},
        // Scheme and host in another case are the same site.
        {"http://host/", "HTTP://HOST/a.html", "a.html"},
        // Elsewhere: another host, scheme, port or folder stays absolute.
        {"http://host/", "http://other/a.html", "http://other/a.html"},
        {"http://host/", "https://host/a.html", "https://host/a.html"},
        {"http://host/", "http://host:8080/a.html", "http://host:8080/a.html"},
        {"http://host/dir/", "http://host/a.html", "http://host/a.html"},
        {"http://host/dir", "http://host/dirt/a.html", "http://host/dirt/a.html"},
        {"http://host/dir", "http://host/dir", "http://host/dir"},
        // A fragment is dropped on the way.
        {"http://host/", "http://host/a.html#x", "a.html"},
    };
    for (const Case& c : cases) {
        const QString root = QString::fromUtf8(c.root);
        const QString address = QString::fromUtf8(c.address);
        const QString text = nodeTextFor(root, address);
        EXPECT_EQ(text, QString::fromUtf8(c.text)) << c.root << " " << c.address;
        // The same page: scheme and host may differ in case only.
        EXPECT_EQ(pageAddress(root, text).toLower(), pageAddress(root, address).toLower())
            << c.root << " " << c.address;
    }
}
