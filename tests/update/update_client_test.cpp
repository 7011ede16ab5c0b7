// The update client against a local HTTP server: the request it sends, and
// how it applies (or refuses) what comes back.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "UpdatePageEvaluator.h"
#include "platform/CurlTransfer.h"
#include "support/FakeDialogs.h"
#include "support/PeerProcess.h"
#include "support/TestFolder.h"
#include "update/UpdateClient.h"
#include "update/UpdateScript.h"

using namespace fd;

namespace {

const QString kEngineIds = QStringLiteral(
    "SELECT group_concat(SearchEngineID, ',') FROM "
    "(SELECT SearchEngineID FROM SearchEngines ORDER BY 1)");

void setCatalogue(test::TestFolder& f, const QList<int>& ids) {
    f.exec("DELETE FROM SearchEngines");
    for (int id : ids)
        f.exec(QStringLiteral("INSERT INTO SearchEngines (SearchEngineID, SearchEngineName) "
                              "VALUES (%1, 'old %1')")
                   .arg(id));
}

// A client folder, an HTTP server serving answer files, and one run.
class UpdateRun : public ::testing::Test {
protected:
    void SetUp() override {
        setCatalogue(folder, {7, 1, 2});
        ASSERT_TRUE(http.ok());
    }
    QString serve(const QString& name, const QByteArray& body) {
        QFile f(root.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(body);
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(http.port()).arg(name);
    }
    void run(const QString& url, bool show, InetTransfer* other = nullptr) {
        folder.exec(QStringLiteral("UPDATE WebSiteConfiguration SET UpdateURL = '%1'").arg(url));
        UpdateContext c{*folder.globals().gDB,
                        other ? *other : inet,
                        dialogs,
                        *folder.globals().errorLog,
                        nullptr,
                        QStringLiteral("1.0.0"),
                        &updateUrl,
                        [this] { ++refreshed; }};
        UpdateSearchEngineData(c, show);
    }

    test::TestFolder folder;
    QTemporaryDir root;
    test::PeerProcess http{QStringLiteral(FARROWDALE_HTTP_SERVER), {root.path(), "120"}};
    CurlTransfer inet;
    test::FakeDialogs dialogs;
    QString updateUrl;
    int refreshed = 0;
};

class BusyTransfer : public InetTransfer {
public:
    QByteArray openUrl(const QString&) override {
        throw AppError(err::kTransferBusy, "Still executing last request.", "inetQELS");
    }
    void startPut(const QString&, const QString&, const QString&, const QString&,
                  const QString&) override {}
    bool stillExecuting() const override { return true; }
    int responseCode() const override { return 0; }
    QString responseInfo() const override { return {}; }
};

}  // namespace

TEST(UpdateRequest, SeparatorIdsVersionAndCounts) {
    test::TestFolder f;
    setCatalogue(f, {7, 1, 2});
    f.exec("INSERT INTO WebPageUpdateRequests (WebPage) VALUES ('a')");
    const CADODBAccess& db = *f.globals().gDB;
    EXPECT_EQ(buildUpdateRequest(db, "http://u.example/U.asp", "2.1.5"),
              "http://u.example/U.asp?SearchEngines=1|2|7|&ver=2.1.5&wsc=0&wsnc=0&wpurc=1&sc=0");
    EXPECT_TRUE(buildUpdateRequest(db, "http://u.example/U.asp?k=1", "1.0.0")
                    .startsWith("http://u.example/U.asp?k=1&SearchEngines=1|2|7|&ver="));
    setCatalogue(f, {});
    EXPECT_TRUE(buildUpdateRequest(db, "http://u.example/U.asp", "1.0.0")
                    .startsWith("http://u.example/U.asp?SearchEngines=&ver=1.0.0&wsc="));
    EXPECT_EQ(updateVersionText("1.0"), "1.0.0");
    EXPECT_EQ(updateVersionText("2.1.5.9"), "2.1.5");
}

// The generated server page's answer to the request the client really sent.
TEST_F(UpdateRun, AnswerOfTheGeneratedPageIsApplied) {
    const QVector<EngineRow> server = {
        {"1", "Alpha", "https://a.example/?q=site:<%URL%>", "https://a.example/add?u=<%URL%>", "",
         "get", "post", "1"},
        {"2", R"(Bob's "Best" Engine)", "", "https://b.example/s?u=<%URL%>&m=<%EMAIL%>",
         R"(Say "hi" to O'Brien)", "", "get", "14"},
        {"10", "Gamma", "x", "y", "z", "get", "get", "40"},
    };
    const QString url =
        serve("Update.asp", test::answer(buildUpdateScript(server), "1|2|7|").toUtf8());
    run(url, true);
    EXPECT_EQ(http.nextLine(),
              "GET /Update.asp?SearchEngines=1|2|7|&ver=1.0.0&wsc=0&wsnc=0"
              "&wpurc=0&sc=0");
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kUpdateDoneMessage});
    EXPECT_EQ(dialogs.messages[0].title, "Farrowdale");
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(folder.scalar(kEngineIds), "1,2,7,10");
    EXPECT_EQ(folder.scalar("SELECT SearchEngineName FROM SearchEngines WHERE SearchEngineID=2"),
              server[1].name);
    EXPECT_EQ(folder.scalar("SELECT SubmitQueryString FROM SearchEngines WHERE SearchEngineID=2"),
              server[1].submit);
    EXPECT_EQ(folder.scalar("SELECT SearchEngineName FROM SearchEngines WHERE SearchEngineID=7"),
              "old 7");
}

TEST_F(UpdateRun, OnlyAWholeAnswerUnderTheEnvelopeIsKept) {
    const auto insert = [](int id, const char* name = "n") {
        return QByteArray("INSERT INTO SearchEngines (SearchEngineID, SearchEngineName) VALUES (") +
               QByteArray::number(id) + ", '" + name + "')\r\n";
    };
    struct Case {
        const char* what;
        QByteArray body;
        QString message;
        QString ids;
    } cases[] = {
        {"blank lines and a line holding </XML> are skipped",
         "<XML program=\"QELS\" author=\"x\">\r\n\r\n   \r\n" + insert(60) +
             insert(61, "a</XML>b") + "</XML>",
         kUpdateDoneMessage, "1,2,7,60"},
        {"envelope in other letter case is refused",
         "<XML Program=\"QELS\">\r\n" + insert(62) + "</XML>", kUpdateRefusedMessage, "1,2,7,60"},
        {"the third of five failing keeps none",
         "<XML program=\"QELS\">\r\n" + insert(63) + insert(64) +
             "UPDATE NoSuchTable SET a = 1\r\n" + insert(65) + insert(66) + "</XML>",
         kUpdateErrorMessage, "1,2,7,60"},
        {"bare LF ends make one line: an empty valid answer",
         "<XML program=\"QELS\">\n" + insert(67) + "</XML>", kUpdateDoneMessage, "1,2,7,60"},
        {"an empty body", "", kUpdateNothingMessage, "1,2,7,60"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.messages.clear();
        run(serve(QStringLiteral("a%1.txt").arg(n++), c.body), true);
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{c.message});
        EXPECT_EQ(folder.scalar(kEngineIds), c.ids);
    }
    EXPECT_EQ(refreshed, 2);
    EXPECT_TRUE(folder.errorLog().contains(",UpdateSearchEngineData,"));
}

TEST_F(UpdateRun, SilentAndFailedRuns) {
    // Unreachable: silent shows nothing and changes nothing; with messages
    // it is the connection error.
    run("http://127.0.0.1:9/Update.asp", false);
    EXPECT_TRUE(dialogs.messages.empty());
    run("http://127.0.0.1:9/Update.asp", true);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kUpdateErrorMessage});
    EXPECT_EQ(folder.scalar(kEngineIds), "1,2,7");

    dialogs.messages.clear();
    BusyTransfer busy;
    run(serve("a.txt", "<XML program=\"QELS\">\r\n</XML>"), true, &busy);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kUpdateBusyMessage});

    // An empty address is reported even in a silent run, and nothing is asked.
    dialogs.messages.clear();
    run("", false);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kUpdateNoAddressMessage});
    EXPECT_EQ(refreshed, 0);

    // Without a configuration row the address of the previous run is used.
    dialogs.messages.clear();
    updateUrl = serve("b.txt", "<XML program=\"QELS\">\r\n</XML>");
    folder.exec("DELETE FROM WebSiteConfiguration");
    UpdateContext c{*folder.globals().gDB,
                    inet,
                    dialogs,
                    *folder.globals().errorLog,
                    nullptr,
                    "1.0.0",
                    &updateUrl,
                    [this] { ++refreshed; }};
    UpdateSearchEngineData(c, true);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kUpdateDoneMessage});
}
