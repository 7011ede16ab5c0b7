// Recording a submission against a real database: the rows of the site, the
// root URL, the page and the submission, and what a failure leaves.
#include <gtest/gtest.h>

#include "submit/SubmissionRecord.h"
#include "support/TestFolder.h"

using namespace fd;

namespace {

class Record : public ::testing::Test {
protected:
    test::TestFolder folder;
    const QDateTime now{QDate(2026, 3, 4), QTime(15, 6, 7)};

    SubmissionInput input(const QString& url) {
        SubmissionInput in;
        in.siteName = "Acme";
        in.rootUrl = "http://acme.example/";
        in.email = "me@acme.example";
        in.submissionUrl = url;
        in.description = "Our products";
        in.keywords = "tools, parts";
        in.engineName = "Bing";
        return in;
    }
    RecordResult record(const SubmissionInput& in, bool stopOnEmptyPath = false) {
        return recordSubmission(*folder.globals().gDB, in, stopOnEmptyPath, now);
    }
    QString count(const char* table) {
        return folder.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table));
    }
};

}  // namespace

TEST_F(Record, NewSiteRootAndPageWriteAllFourRows) {
    const RecordResult r = record(input("http://acme.example/products/a.htm"));
    EXPECT_EQ(r.outcome, RecordOutcome::Recorded);
    EXPECT_EQ(folder.scalar("SELECT WebSiteGenericName || '|' || ifnull(LastUpdateRequest, "
                            "'null') FROM WebSites"),
              "Acme|null");
    EXPECT_EQ(folder.scalar("SELECT WebSiteID || '|' || WebSiteBaseURL || '|' || "
                            "WebSiteEmailAddress || '|' || typeof(WebSiteID) FROM WebSiteNames"),
              QString::number(r.webSiteId) + "|http://acme.example/|me@acme.example|integer");
    EXPECT_EQ(folder.scalar("SELECT WebSiteID || '|' || PageURL || '|' || PageDescription || '|' "
                            "|| PageKeywords || '|' || UpdatedDate FROM WebSitePages"),
              QString::number(r.webSiteId) +
                  "|products/a.htm|Our products|tools, parts|2026-03-04 15:06:07");
    EXPECT_EQ(folder.scalar("SELECT SubmitDate || '|' || WebSiteID || '|' || WebSiteNameID || "
                            "'|' || WebSitePageID || '|' || SearchEngineID FROM Submissions"),
              QStringLiteral("2026-03-04 15:06:07|%1|%2|%3|2")
                  .arg(r.webSiteId)
                  .arg(r.webSiteNameId)
                  .arg(r.webSitePageId));
}

TEST_F(Record, PagePathRules) {
    struct Case {
        const char* what;
        QString url;
        std::optional<QString> treePage;
        QString path;
        bool recordable;
    };
    const QString longTail(150, u'x');
    const Case cases[] = {
        {"root removed", "http://acme.example/dir/p.htm", {}, "dir/p.htm", true},
        {"every occurrence removed", "http://acme.example/r/http://acme.example/", {}, "r/", true},
        {"root is case-sensitive: outside",
         "HTTP://ACME.EXAMPLE/p.htm",
         {},
         "HTTP://ACME.EXAMPLE/p.htm",
         false},
        {"tree node wins over the box", "http://elsewhere.example/q", QString("from/tree.htm"),
         "from/tree.htm", true},
        {"cut to 100", "http://acme.example/" + longTail, {}, longTail.left(100), true},
    };
    for (const auto& c : cases) {
        SubmissionInput in = input(c.url);
        in.treePage = c.treePage;
        bool recordable = true;
        EXPECT_EQ(submissionPagePath(in, &recordable), c.path) << c.what;
        EXPECT_EQ(recordable, c.recordable) << c.what;
    }
}

TEST_F(Record, PageOutsideTheSiteIsAddedButNotSubmitted) {
    const RecordResult r = record(input("http://other.example/x.htm"));
    EXPECT_EQ(r.outcome, RecordOutcome::NotRecorded);
    EXPECT_EQ(folder.scalar("SELECT PageURL FROM WebSitePages"), "http://other.example/x.htm");
    EXPECT_EQ(count("Submissions"), "0");
}

TEST_F(Record, QuotesAndStatementTextInValuesAreStoredIntact) {
    folder.exec(
        "INSERT INTO SearchEngines (SearchEngineID, SearchEngineName, SubmitQueryString, "
        "Popularity) VALUES (77, 'Bob''s \"Find\"', 'h', 1)");
    SubmissionInput in = input("http://o'neil.example/\"q\"#top");
    in.siteName = "O'Neil \"Best\" Tools";
    in.rootUrl = "http://o'neil.example/";
    in.email = "o'neil@x.example";
    in.description = "Say \"hi\"\"\"); DELETE FROM Industries; --";
    in.keywords = "a'b, #1/1/2020#, [x]";
    in.engineName = "Bob's \"Find\"";
    const QString industries = count("Industries");
    const RecordResult r = record(in);
    EXPECT_EQ(r.outcome, RecordOutcome::Recorded);
    EXPECT_EQ(count("Industries"), industries);
    EXPECT_EQ(folder.scalar("SELECT WebSiteGenericName FROM WebSites"), in.siteName);
    EXPECT_EQ(folder.scalar("SELECT WebSiteBaseURL || '|' || WebSiteEmailAddress FROM "
                            "WebSiteNames"),
              in.rootUrl + "|" + in.email);
    EXPECT_EQ(folder.scalar("SELECT PageURL || '|' || PageDescription || '|' || PageKeywords "
                            "FROM WebSitePages"),
              "\"q\"#top|" + in.description + "|" + in.keywords);
    EXPECT_EQ(folder.scalar("SELECT SearchEngineID FROM Submissions"), "77");
    // Recording it again finds every row by its quoted value.
    record(in);
    EXPECT_EQ(count("WebSites"), "1");
    EXPECT_EQ(count("WebSitePages"), "1");
    EXPECT_EQ(count("Submissions"), "2");
}
