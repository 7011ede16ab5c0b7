// The generated update page, byte for byte against pages written by hand,
// and what the page would answer, run through a small evaluator of its
// answering loop and then applied to a real catalogue.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <algorithm>

#include "UpdatePageEvaluator.h"
#include "core/ErrorLog.h"
#include "support/TestFolder.h"
#include "update/UpdateClient.h"
#include "update/UpdateScript.h"

using namespace fd;
using fd::test::answer;

namespace {

QByteArray golden(const char* name) {
    return test::readFile(QStringLiteral(FARROWDALE_SOURCE_DIR "/tests/update/golden/") +
                          QString::fromUtf8(name));
}

QVector<EngineRow> threeEngines() {
    return {
        {"1", "Alpha", "https://a.example/search?q=site:<%URL%>",
         "https://a.example/add?url=<%URL%>&mail=<%EMAIL%>", "", "get", "post", "1"},
        {"2", R"(Bob's "Best" Engine)", "", "https://b.example/submit?u=<%URL%>",
         R"(Say "hi" to O'Brien)", "", "get", "14"},
        {"10", "Gamma", "x", "y", "z", "get", "get", "40"},
    };
}

// Values a plain data line could not carry: "|", line breaks, quotes
// around them, script delimiters, characters outside ASCII.
QVector<EngineRow> awkwardEngines() {
    return {
        {"3", "Pipe|Engine", "https://p.example/?q=<%URL%>|x", "",
         "Line 1\r\nline 2\nline 3\rend, \"quoted\" and O'Brien's", "get", "post", "5"},
        {"4", QString::fromUtf8("Caf\u00e9 \u65e5\u672c \"q\" 'a'"), "",
         "https://c.example/?u=<%URL%>", "50%> <% done|", "", "get", "6"},
    };
}

}  // namespace

TEST(UpdateScript, PagesMatchTheHandWrittenOnes) {
    EXPECT_EQ(buildUpdateScript({}), golden("empty.asp"));
    EXPECT_EQ(buildUpdateScript({{"7", "Example", "https://example.com/?q=site:x", "", "A tip",
                                  "get", "get", "3"}}),
              golden("one.asp"));
    EXPECT_EQ(buildUpdateScript(threeEngines()), golden("three.asp"));
    EXPECT_EQ(buildUpdateScript(awkwardEngines()), golden("awkward.asp"));
}

// A "|" or a line break in a value no longer breaks the page: every data
// line stays one line of eight pieces, and the answer the page writes,
// applied by the client's own update connection, restores every value byte
// for byte.
TEST(UpdateScript, AnyValueTravelsIntact) {
    const QByteArray page = buildUpdateScript(awkwardEngines());
    int dataLines = 0;
    for (const QString& l : QString::fromUtf8(page).split("\r\n")) {
        if (!l.startsWith("arrSearchEngineInformation(")) continue;
        ++dataLines;
        const QString data = l.mid(l.indexOf("split(") + 6).chopped(6);  // up to ,"|")
        EXPECT_EQ(test::evalScriptString(data).split(u'|').size(), 8) << l.toStdString();
    }
    EXPECT_EQ(dataLines, 2);
    // ASCII only: the page's host reads it the same under any code page.
    EXPECT_TRUE(std::all_of(page.begin(), page.end(),
                            [](char c) { return static_cast<unsigned char>(c) < 0x80; }));

    test::TestFolder client;
    client.exec("DELETE FROM SearchEngines");
    client.exec("INSERT INTO SearchEngines (SearchEngineID, SearchEngineName) VALUES (3, 'old')");
    const QString a = answer(page, "3|");
    EXPECT_EQ(a.count("\r\n"), 3);  // envelope and one statement per engine
    {
        UpdateConnection connection(client.globals().gDB->databasePath());
        ASSERT_EQ(applyUpdateAnswer(connection, a), UpdateOutcome::Applied);
    }
    auto rs = client.globals().gDB->query("SELECT * FROM SearchEngines ORDER BY SearchEngineID");
    ASSERT_EQ(rs->recordCount(), 2);
    for (const EngineRow& r : awkwardEngines()) {
        EXPECT_EQ(rs->field("SearchEngineID"), r.id);
        EXPECT_EQ(rs->field("SearchEngineName").toUtf8(), r.name.toUtf8());
        EXPECT_EQ(rs->field("ReviewQueryString").toUtf8(), r.review.toUtf8());
        EXPECT_EQ(rs->field("SubmitQueryString").toUtf8(), r.submit.toUtf8());
        EXPECT_EQ(rs->field("SearchEngineTips").toUtf8(), r.tips.toUtf8());
        EXPECT_EQ(rs->field("HTTPReviewMethod"), r.reviewMethod);
        EXPECT_EQ(rs->field("HTTPSubmitMethod"), r.submitMethod);
        EXPECT_EQ(rs->field("Popularity"), r.popularity);
        rs->moveNext();
    }
}

TEST(UpdateScript, ScriptDelimitersNeverAppearInTheData) {
    const QString page = QString::fromUtf8(buildUpdateScript(threeEngines()));
    // Only the page's own opening and closing delimiters remain.
    EXPECT_EQ(page.count("<%"), 1);
    EXPECT_EQ(page.count("%>"), 1);
    EXPECT_TRUE(page.startsWith("<%\r\n"));
    EXPECT_TRUE(page.endsWith("\r\n%>"));
}

TEST(UpdateScript, AnswersCarryTemplatesAndQuotesIntact) {
    const QByteArray page = buildUpdateScript(threeEngines());
    const QString a = answer(page, "1|10|");
    EXPECT_EQ(a,
              "<XML program=\"QELS\" author=\"Farrowdale\">\r\n"
              "UPDATE SearchEngines SET SearchEngineName = 'Alpha',ReviewQueryString = "
              "'https://a.example/search?q=site:<%URL%>',SubmitQueryString = "
              "'https://a.example/add?url=<%URL%>&mail=<%EMAIL%>',SearchEngineTips = "
              "'',HTTPReviewMethod = 'get',HTTPSubmitMethod = 'post',Popularity = '1' WHERE "
              "SearchEngineID = 1\r\n"
              "INSERT INTO SearchEngines (SearchEngineID,SearchEngineName,ReviewQueryString,"
              "SubmitQueryString,SearchEngineTips,HTTPReviewMethod,HTTPSubmitMethod,Popularity) "
              "VALUES (2,'Bob''s \"Best\" Engine','','https://b.example/submit?u=<%URL%>','Say "
              "\"hi\" to O''Brien','','get','14')\r\n"
              "UPDATE SearchEngines SET SearchEngineName = 'Gamma',ReviewQueryString = "
              "'x',SubmitQueryString = 'y',SearchEngineTips = 'z',HTTPReviewMethod = "
              "'get',HTTPSubmitMethod = 'get',Popularity = '40' WHERE SearchEngineID = 10\r\n"
              "</XML>");
    // Every id listed: only updates; none listed (or junk): only inserts.
    EXPECT_EQ(answer(page, "1|2|10|").count("UPDATE"), 3);
    EXPECT_EQ(answer(page, "").count("INSERT"), 3);
    EXPECT_EQ(answer(page, "x||01").count("UPDATE"), 1);  // "01" is the number 1
    EXPECT_EQ(answer(buildUpdateScript({}), "1|"),
              "<XML program=\"QELS\" author=\"Farrowdale\">\r\n</XML>");
}

TEST(UpdateScript, AnswerAppliedToAClientCatalogueRestoresEveryValue) {
    test::TestFolder client;
    client.exec("DELETE FROM SearchEngines");
    client.exec("INSERT INTO SearchEngines (SearchEngineID, SearchEngineName) VALUES (1, 'old')");
    const QString a = answer(buildUpdateScript(threeEngines()), "1|");
    for (const QString& stmt : a.split("\r\n")) {
        if (stmt.startsWith("<XML") || stmt.contains("</XML>")) continue;
        client.exec(stmt);
    }
    auto rs = client.globals().gDB->query("SELECT * FROM SearchEngines ORDER BY SearchEngineID");
    ASSERT_EQ(rs->recordCount(), 3);
    for (const EngineRow& r : threeEngines()) {
        EXPECT_EQ(rs->field("SearchEngineName"), r.name);
        EXPECT_EQ(rs->field("SubmitQueryString"), r.submit);
        EXPECT_EQ(rs->field("SearchEngineTips"), r.tips);
        EXPECT_EQ(rs->field("Popularity"), r.popularity);
        rs->moveNext();
    }
}

TEST(UpdateScript, CreateWritesThePageFromTheCatalogue) {
    test::TestFolder f;
    f.exec("DELETE FROM SearchEngines");
    f.exec(
        R"(INSERT INTO SearchEngines VALUES (7, 'Example', 'https://example.com/?q=site:x', NULL, 'A tip', 'get', 'get', 3))");
    ASSERT_TRUE(CreateUpdateScript(*f.globals().gDB, f.path(), *f.globals().errorLog));
    EXPECT_EQ(test::readFile(f.file("Update.asp")), golden("one.asp"));
    EXPECT_TRUE(f.errorLog().isEmpty());
}

TEST(UpdateScript, FailureIsLoggedAndKeepsTheOldPage) {
    test::TestFolder f;
    QFile old(f.file("Update.asp"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("previous");
    old.close();
    f.exec("DROP TABLE SearchEngines");
    EXPECT_FALSE(CreateUpdateScript(*f.globals().gDB, f.path(), *f.globals().errorLog));
    EXPECT_EQ(test::readFile(f.file("Update.asp")), "previous");
    EXPECT_TRUE(f.errorLog().contains(",CreateUpdateScript,"));
}
