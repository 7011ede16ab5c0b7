// Template filling and the choice of GET or POST, as tables.
#include <gtest/gtest.h>

#include "submit/QueryTemplate.h"

using namespace fd;

namespace {

struct FillCase {
    const char* what;
    QString tmpl, page, email, country, keys, name;
    QString expected;
};

}  // namespace

TEST(SubmitTemplate, FillsPlaceholdersInOrderWithValuesVerbatim) {
    const FillCase cases[] = {
        {"no placeholders: unchanged", "http://e.example/add?x=1", "P", "E", "C", "", "N",
         "http://e.example/add?x=1"},
        {"every placeholder, every occurrence",
         "h?u=<%URL%>&e=<%EMAIL%>&c=<%COUNTRY%>&k=<%KEYS%>&n=<%NAME%>&u2=<%URL%>", "P", "E", "C",
         "", "N", "h?u=P&e=E&c=C&k=&n=N&u2=P"},
        {"values are not encoded, escaped or trimmed", "h?u=<%URL%>&e=<%EMAIL%>",
         " http://s.example/a b?x=1&y=\"2\" ", "a+b@c", "", "", "",
         "h?u= http://s.example/a "
         "b?x=1&y=\"2\" &e=a+b@c"},
        {"a value holding a later placeholder has it replaced", "h?u=<%URL%>&e=<%EMAIL%>",
         "p<%EMAIL%>", "E", "", "", "", "h?u=pE&e=E"},
        {"a value holding an earlier placeholder keeps it", "h?e=<%EMAIL%>", "P", "x<%URL%>", "",
         "", "", "h?e=x<%URL%>"},
        {"empty name replaces <%NAME%> by nothing", "h?n=<%NAME%>&z", "P", "E", "C", "", "",
         "h?n=&z"},
        {"placeholders are case-sensitive", "h?u=<%url%>&v=<%Url%>", "P", "", "", "", "",
         "h?u=<%url%>&v=<%Url%>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fillSubmitTemplate(c.tmpl, c.page, c.email, c.country, c.keys, c.name),
                  c.expected)
            << c.what;
    }
}

TEST(ReviewTemplate, ReplacesOnlyUrlInLowerCase) {
    EXPECT_EQ(fillReviewTemplate("h?q=site:<%URL%>&e=<%EMAIL%>&n=<%NAME%>&u=<%URL%>",
                                 "HTTP://Site.Example/Page.HTM"),
              "h?q=site:http://site.example/page.htm&e=<%EMAIL%>&n=<%NAME%>&u=http://"
              "site.example/page.htm");
    EXPECT_EQ(fillReviewTemplate("h?q=<%Url%>", "P"), "h?q=<%Url%>");
}

TEST(SubmitRequest, OnlyLowerCasePostMakesAFormPost) {
    struct Case {
        const char* what;
        QString filled, method;
        bool post;
        QString url;
        QByteArray body;
    };
    const Case cases[] = {
        {"post splits at the first ?", "http://e.example/add?u=a?b&e=c", "post", true,
         "http://e.example/add", "u=a?b&e=c"},
        {"? as the last character posts an empty body", "http://e.example/add?", "post", true,
         "http://e.example/add", ""},
        {"no ? at all: posted to the whole text, no fields", "http://e.example/add", "post", true,
         "http://e.example/add", ""},
        {"body is UTF-8", "http://e.example/a?n=Zo\u00eb \u65e5", "post", true,
         "http://e.example/a", "n=Zo\xc3\xab \xe6\x97\xa5"},
        {"Post is a GET", "http://e.example/add?u=1", "Post", false, "http://e.example/add?u=1",
         ""},
        {"POST is a GET", "http://e.example/add?u=1", "POST", false, "http://e.example/add?u=1",
         ""},
        {"post with blanks is a GET", "http://e.example/add?u=1", " post", false,
         "http://e.example/add?u=1", ""},
        {"get", "http://e.example/add?u=1", "get", false, "http://e.example/add?u=1", ""},
        {"empty method", "http://e.example/add?u=1", "", false, "http://e.example/add?u=1", ""},
    };
    for (const auto& c : cases) {
        const EngineRequest r = submitRequest(c.filled, c.method);
        EXPECT_EQ(r.post, c.post) << c.what;
        EXPECT_EQ(r.url, c.url) << c.what;
        EXPECT_EQ(r.body, c.body) << c.what;
        EXPECT_EQ(r.headers, c.post ? "Content-Type: application/x-www-form-urlencoded\r\n" : "")
            << c.what;
    }
}
