// The IndexNow protocol as plain functions: keys, escaping, request texts,
// answers, the plan of a run and the judgement of a key file.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QUrlQuery>

#include "submit/indexnow/IndexNowKey.h"
#include "submit/indexnow/IndexNowProtocol.h"
#include "submit/indexnow/IndexNowRun.h"
#include "submit/indexnow/KeyFileCheck.h"

using namespace fd;

TEST(IndexNowKey, FormAndNewKeys) {
    struct Case {
        QString key;
        bool ok;
        const char* says;  // a part of the message when refused
    } cases[] = {
        {"abcdEFGH", true, ""},
        {QString(128, u'k'), true, ""},
        {"0123-4567-89ab", true, ""},
        {"", false, "no IndexNow key"},
        {"abcdEFG", false, "7 characters"},
        {QString(129, u'k'), false, "129 characters"},
        {"abcd EFGH", false, "a blank"},
        {"abcdEFGH ", false, "a blank"},
        {"abcd_EFGH", false, "\"_\""},
        {"abcdEFGHé", false, "\"é\""},
        {"abcd\tEFGH", false, "a tab"},
    };
    for (const Case& c : cases) {
        const QString problem = indexNowKeyProblem(c.key);
        EXPECT_EQ(problem.isEmpty(), c.ok) << c.key.toStdString();
        EXPECT_TRUE(problem.contains(QString::fromUtf8(c.says))) << problem.toStdString();
    }
    QSet<QString> keys;
    for (int i = 0; i < 50; ++i) {
        const QString k = newIndexNowKey();
        EXPECT_EQ(k.size(), kNewIndexNowKeyLength);
        EXPECT_EQ(indexNowKeyProblem(k), QString());
        keys.insert(k);
    }
    EXPECT_EQ(keys.size(), 50);
    EXPECT_EQ(indexNowKeyFileName("abcdEFGH"), "abcdEFGH.txt");
}

TEST(IndexNowKey, KeyFileAddressAndLocation) {
    const QString root = "https://Acme.example:8443/shop/";
    EXPECT_EQ(indexNowKeyFileUrl(root, "abcdEFGH"), "https://Acme.example:8443/abcdEFGH.txt");
    EXPECT_EQ(indexNowKeyFileUrl(root, "abcdEFGH", " https://acme.example/keys/k.txt "),
              "https://acme.example/keys/k.txt");
    EXPECT_EQ(indexNowKeyFileUrl("ftp://acme.example/", "abcdEFGH"), QString());

    EXPECT_EQ(keyLocationProblem(root, ""), QString());
    EXPECT_EQ(keyLocationProblem(root, "http://ACME.example/keys/k.txt"), QString());
    EXPECT_FALSE(keyLocationProblem(root, "https://other.example/k.txt").isEmpty());
    EXPECT_FALSE(keyLocationProblem(root, "https://acme.example/keys/").isEmpty());
    EXPECT_FALSE(keyLocationProblem(root, "keys/k.txt").isEmpty());

    const QString location = "https://acme.example/shop/k.txt";
    EXPECT_TRUE(keyLocationCovers(location, "https://acme.example/shop/a.htm"));
    EXPECT_TRUE(keyLocationCovers(location, "https://acme.example/shop/deep/b.htm"));
    EXPECT_FALSE(keyLocationCovers(location, "https://acme.example/a.htm"));
    EXPECT_FALSE(keyLocationCovers(location, "https://acme.example/shopping/a.htm"));
    EXPECT_FALSE(keyLocationCovers(location, "https://other.example/shop/a.htm"));
    EXPECT_TRUE(keyLocationCovers("", "https://acme.example/a.htm"));
}

TEST(IndexNowProtocol, PageAddressesAreEscapedOnce) {
    struct Case {
        QString in, out;
    } cases[] = {
        {"http://acme.example/a b.htm", "http://acme.example/a%20b.htm"},
        {"http://acme.example/say \"hi\".htm", "http://acme.example/say%20%22hi%22.htm"},
        {"http://acme.example/p?a=1&b=2", "http://acme.example/p?a=1&b=2"},
        {"http://acme.example/c#1.htm", "http://acme.example/c%231.htm"},
        {"http://acme.example/café/ü.htm", "http://acme.example/caf%C3%A9/%C3%BC.htm"},
        {"http://acme.example/a%20b.htm", "http://acme.example/a%20b.htm"},
        {"http://acme.example/100%.htm", "http://acme.example/100%25.htm"},
        {"http://acme.example/<x>|{y}^`\\", "http://acme.example/%3Cx%3E%7C%7By%7D%5E%60%5C"},
        {"  http://acme.example/t.htm ", "http://acme.example/t.htm"},
        {"http://bücher.example/a.htm", "http://xn--bcher-kva.example/a.htm"},
        {"http://acme.example/it's(1)*;,=+$!@:~.htm", "http://acme.example/it's(1)*;,=+$!@:~.htm"},
    };
    for (const Case& c : cases) EXPECT_EQ(indexNowPageUrl(c.in), c.out) << c.in.toStdString();
}

TEST(IndexNowProtocol, JsonStringsParseBack) {
    const QString tricky[] = {"plain",
                              "a \"quoted\" word",
                              "back\\slash",
                              "tab\tnew\nline\r",
                              QString(QChar(1)) + QChar(0x1f),
                              "é ü ☃ \U0001F600",
                              "\u2028"};
    QStringList urls;
    for (const QString& t : tricky) {
        const QByteArray doc = "[" + jsonString(t) + "]";
        QJsonParseError e;
        const QJsonDocument d = QJsonDocument::fromJson(doc, &e);
        ASSERT_EQ(e.error, QJsonParseError::NoError) << doc.toStdString();
        EXPECT_EQ(d.array().at(0).toString(), t);
        urls << t;
    }
    const QJsonObject body =
        QJsonDocument::fromJson(indexNowJsonBody("acme.example", "abcdEFGH", "", urls)).object();
    EXPECT_EQ(body.value("host").toString(), "acme.example");
    EXPECT_EQ(body.value("key").toString(), "abcdEFGH");
    EXPECT_FALSE(body.contains("keyLocation"));
    EXPECT_EQ(body.value("urlList").toArray().size(), urls.size());
    EXPECT_EQ(body.value("urlList").toArray().at(1).toString(), urls[1]);
    EXPECT_EQ(QJsonDocument::fromJson(indexNowJsonBody("h", "abcdEFGH", "http://h/k.txt", {}))
                  .object()
                  .value("keyLocation")
                  .toString(),
              "http://h/k.txt");
}

TEST(IndexNowProtocol, GetRequestAndEndpoint) {
    const QString page = "http://acme.example/a%20b.htm?x=1&y=2#";
    const QString get = indexNowGetUrl("https://engine.example/indexnow", page, "abcdEFGH",
                                       "http://acme.example/k.txt");
    ASSERT_TRUE(get.startsWith("https://engine.example/indexnow?url="));
    const QUrlQuery q(get.section(u'?', 1));
    EXPECT_EQ(q.queryItemValue("url", QUrl::FullyDecoded), page);
    EXPECT_EQ(q.queryItemValue("key"), "abcdEFGH");
    EXPECT_EQ(q.queryItemValue("keyLocation", QUrl::FullyDecoded), "http://acme.example/k.txt");
    EXPECT_EQ(q.queryItems().size(), 3);

    EXPECT_EQ(indexNowEndpoint(" https://www.bing.com/indexnow?url=<%URL%>&key=<%KEYS%>"),
              "https://www.bing.com/indexnow");
    EXPECT_EQ(indexNowEndpoint("https://api.indexnow.org/indexnow"),
              "https://api.indexnow.org/indexnow");
    EXPECT_EQ(indexNowEndpoint(""), QString());
    EXPECT_EQ(indexNowEndpoint("   "), QString());
    EXPECT_EQ(indexNowEndpoint("mailto:x@y"), QString());
    EXPECT_TRUE(isIndexNowMethod(" IndexNow "));
    EXPECT_FALSE(isIndexNowMethod("get"));
}

TEST(IndexNowProtocol, AnswersInPlainWords) {
    const QDateTime now(QDate(2026, 5, 1), QTime(10, 0));
    struct Case {
        int status;
        bool truncated;
        long error;
        bool accepted;
        const char* says;
    } cases[] = {
        {200, false, 0, true, "Received"},
        {202, false, 0, true, "not checked yet"},
        {200, true, 0, false, "cut off"},
        {400, false, 0, false, "bad request"},
        {403, false, 0, false, "key is not valid"},
        {422, false, 0, false, "not on the host"},
        {429, false, 0, false, "try again after 10:02"},
        {500, false, 0, false, "failed"},
        {204, false, 0, false, "Unexpected"},
        {0, false, err::kCannotConnect, false, "cannot reach"},
        {0, false, err::kTransferTimedOut, false, "time limit"},
        {0, false, err::kRequestCancelled, false, "Cancelled"},
    };
    for (const Case& c : cases) {
        HttpResponse r;
        r.status = c.status;
        r.truncated = c.truncated;
        r.error = c.error;
        r.retryAfter = "120";
        const IndexNowAnswer a = interpretIndexNowAnswer(r, now);
        EXPECT_EQ(a.accepted, c.accepted) << c.status;
        EXPECT_EQ(a.status, c.status);
        EXPECT_TRUE(a.text.contains(QString::fromUtf8(c.says))) << a.text.toStdString();
    }
}

TEST(IndexNowProtocol, RetryAfter) {
    const QDateTime now(QDate(2026, 5, 1), QTime(10, 0), Qt::UTC);
    EXPECT_EQ(parseRetryAfter("90", now), now.addSecs(90));
    EXPECT_EQ(parseRetryAfter("Fri, 01 May 2026 12:30:00 GMT", now)->toUTC(),
              QDateTime(QDate(2026, 5, 1), QTime(12, 30), Qt::UTC));
    EXPECT_FALSE(parseRetryAfter("", now));
    EXPECT_FALSE(parseRetryAfter("soon", now));
    EXPECT_FALSE(parseRetryAfter("-5", now));
    // A date the engine's clock put in the past means at once, not "after"
    // a time that has gone.
    EXPECT_EQ(parseRetryAfter("Tue, 28 Apr 2026 15:00:00 GMT", now), now);
    const QDateTime local(QDate(2026, 5, 1), QTime(10, 0));
    EXPECT_EQ(retryAdvice(std::nullopt, local), "try again later");
    EXPECT_EQ(retryAdvice(local.addSecs(3600), local), "try again after 11:00");
    EXPECT_EQ(retryAdvice(local.addDays(1), local), "try again after 2 May 2026 10:00");
}

TEST(IndexNowPlan, RefusesWhatCannotBeSent) {
    const std::vector<PageToSubmit> one{{"http://acme.example/a.htm", "a.htm"}};
    const QString engine = "https://engine.example/indexnow";
    struct Case {
        QString tmpl, root, key, location;
        const char* says;
    } cases[] = {
        {engine, "http://acme.example/", "", "", "no IndexNow key"},
        {engine, "http://acme.example/", "abc def ghi", "", "a blank"},
        {engine, "http://acme.example/", QString(129, u'a'), "", "129 characters"},
        {"", "http://acme.example/", "abcdEFGH", "", "submit template is empty"},
        {"   ", "http://acme.example/", "abcdEFGH", "", "submit template is empty"},
        {"engine?url=", "http://acme.example/", "abcdEFGH", "", "not a web address"},
        {engine, "acme.example", "abcdEFGH", "", "root URL"},
        {engine, "http://acme.example/", "abcdEFGH", "http://other.example/k.txt", "host"},
    };
    for (const Case& c : cases) {
        const IndexNowPlan p = planIndexNow("Engine", c.tmpl, c.root, c.key, c.location, one);
        EXPECT_TRUE(p.problem.contains(QString::fromUtf8(c.says))) << p.problem.toStdString();
        EXPECT_TRUE(p.pages.empty());
    }
}

TEST(IndexNowPlan, SortsPagesAndCountsTheOnesHeldBack) {
    const std::vector<PageToSubmit> pages{
        {"http://acme.example/shop/a.htm", "shop/a.htm"},
        {"http://ACME.example/shop/b c.htm", "shop/b c.htm"},
        {"http://acme.example/shop/a.htm", "shop/a.htm"},  // twice
        {"http://acme.example/about.htm", "about.htm"},    // outside the key's folder
        {"http://other.example/shop/x.htm", "x"},          // another host
        {"ftp://acme.example/shop/f.htm", "f"},            // not a web address
        {"mailto:me@acme.example", "m"},                   // not a web address
    };
    const IndexNowPlan p =
        planIndexNow("Engine", "https://engine.example/indexnow?url=<%URL%>",
                     "http://acme.example/", "abcdEFGH", "http://acme.example/shop/k.txt", pages);
    ASSERT_EQ(p.problem, QString());
    EXPECT_EQ(p.endpoint, "https://engine.example/indexnow");
    EXPECT_EQ(p.host, "acme.example");
    ASSERT_EQ(p.pages.size(), 2u);
    EXPECT_EQ(p.pages[1].url, "http://ACME.example/shop/b%20c.htm");
    EXPECT_EQ(p.pages[1].path, "shop/b c.htm");
    EXPECT_EQ(p.duplicates, 1);
    EXPECT_EQ(p.outsideKeyFolder, 1);
    EXPECT_EQ(p.otherHost, 1);
    EXPECT_EQ(p.notWeb, 2);
    EXPECT_TRUE(skippedPageMessage(p, "http://acme.example/about.htm").contains("folder"));
    EXPECT_TRUE(skippedPageMessage(p, "http://other.example/").contains("host"));
    EXPECT_EQ(skippedPageMessage(p, "http://acme.example/shop/a.htm"), QString());

    IndexNowBatchResult r;
    r.sent = 2000;
    r.accepted[202] = 1990;
    r.refused[422] = 10;
    EXPECT_EQ(indexNowBatchSummary(r, p),
              "2,000 sent, 1,990 accepted (202), 10 refused (422), 1 skipped: other host, 2 "
              "skipped: not a web address, 1 skipped: outside the key file's folder, 1 skipped: "
              "listed twice");
}

TEST(KeyFile, JudgedByStatusTypeAndContent) {
    const QString key = "abcdEFGH";
    struct Case {
        int status;
        long error;
        QString type;
        QByteArray body;
        bool truncated;
        KeyFileVerdict verdict;
    } cases[] = {
        {200, 0, "text/plain", "abcdEFGH", false, KeyFileVerdict::Good},
        {200, 0, "text/plain; charset=utf-8",
         "\xEF\xBB\xBF"
         "abcdEFGH\r\n",
         false, KeyFileVerdict::Good},
        {200, 0, "", "abcdEFGH", false, KeyFileVerdict::Good},
        {404, 0, "text/html", "<h1>Not found</h1>", false, KeyFileVerdict::NotFound},
        {500, 0, "text/plain", "", false, KeyFileVerdict::HttpError},
        {200, 0, "text/html", "abcdEFGH", false, KeyFileVerdict::NotPlainText},
        {200, 0, "text/plain", "abcd\xFF\xFE", false, KeyFileVerdict::NotPlainText},
        {200, 0, "text/plain", "abcdEFGX", false, KeyFileVerdict::ContentDiffers},
        {200, 0, "text/plain", "abcdEFGH abcdEFGH", false, KeyFileVerdict::ContentDiffers},
        {200, 0, "text/plain", "", false, KeyFileVerdict::ContentDiffers},
        {200, 0, "text/plain", QByteArray(4096, 'x'), true, KeyFileVerdict::TooLarge},
        {0, err::kCannotConnect, "", "", false, KeyFileVerdict::HostUnreachable},
        {0, err::kTransferTimedOut, "", "", false, KeyFileVerdict::HostUnreachable},
    };
    for (const Case& c : cases) {
        HttpResponse r;
        r.status = c.status;
        r.error = c.error;
        r.errorText = "Connection refused";
        r.contentType = c.type;
        r.body = c.body;
        r.truncated = c.truncated;
        const KeyFileCheck k = judgeKeyFile("http://acme.example/abcdEFGH.txt", key, r);
        EXPECT_EQ(k.verdict, c.verdict) << c.status << " " << c.body.left(20).toStdString();
        EXPECT_TRUE(k.message.contains("http://acme.example/abcdEFGH.txt"))
            << k.message.toStdString();
    }
}
