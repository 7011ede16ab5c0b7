// The update client against a local HTTP server: the request it sends, and
// how it applies (or refuses) what comes back.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "UpdatePageEvaluator.h"
#include "core/ProgramFolder.h"
#include "platform/CurlTransfer.h"
#include "support/FakeDialogs.h"
#include "support/HostileServer.h"
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
        {"bare LF line ends are line ends too", "<XML program=\"QELS\">\n" + insert(67) + "</XML>",
         kUpdateDoneMessage, "1,2,7,60,67"},
        {"an empty body", "", kUpdateNothingMessage, "1,2,7,60,67"},
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

// Everything the database holds, schema and rows, to compare before and after.
QString dump(test::TestFolder& f) {
    const CADODBAccess& db = *f.globals().gDB;
    QString out;
    RecordsetPtr objects =
        db.query("SELECT type, name, ifnull(sql, '') AS sql FROM sqlite_master ORDER BY name");
    for (; !objects->eof(); objects->moveNext()) {
        out += objects->field("sql") + "\n";
        if (objects->field("type") != "table") continue;
        RecordsetPtr rows = db.query("SELECT * FROM [" + objects->field("name") + "]");
        for (; !rows->eof(); rows->moveNext()) {
            for (int c = 0; c < rows->columns().size(); ++c) out += rows->field(c) + u'|';
            out += u'\n';
        }
    }
    return out;
}

// An answer may only insert into, update or delete from SearchEngines: any
// other statement refuses the whole answer, before and after it, and is
// logged; nothing anywhere changes.
TEST_F(UpdateRun, HostileStatementsRefuseTheWholeAnswer) {
    folder.exec("INSERT INTO WebSites (WebSiteGenericName) VALUES ('kept')");
    folder.exec("INSERT INTO Submissions (SubmitDate, SearchEngineID) VALUES ('2026-01-01', 1)");
    folder.exec("UPDATE WebSiteConfiguration SET FileTransInfo = 'x$user$x$secret'");
    QTemporaryDir elsewhere;
    const QString other = elsewhere.filePath("QELS.db");
    ASSERT_EQ(createDatabase(other, {"CREATE TABLE t (a); INSERT INTO t VALUES (1), (2), (3);"}),
              QString());
    CADODBAccess otherDb(connectionStringFor(elsewhere.path()));
    const auto otherRows = [&] { return otherDb.query("SELECT count(*) FROM t")->field(0); };
    const QString copy = elsewhere.filePath("copy.db");
    const QByteArray attach = "ATTACH DATABASE '" + other.toUtf8() + "' AS e";
    const QByteArray hostile[] = {
        "DELETE FROM Submissions",
        "UPDATE WebSiteConfiguration SET FileTransInfo = 'x$evil$x$pw'",
        "DROP TABLE WebSitePages",
        "CREATE VIEW v AS SELECT * FROM SearchEngines",
        "CREATE TRIGGER tr AFTER INSERT ON SearchEngines BEGIN DELETE FROM WebSites; END",
        "CREATE TABLE SearchEngines2 (a)",
        "ALTER TABLE SearchEngines ADD COLUMN x",
        attach,
        attach + "\r\nDELETE FROM e.t",
        "COMMIT",
        "END",
        "ROLLBACK",
        "BEGIN",
        "SAVEPOINT s",
        "RELEASE s",
        "VACUUM",
        "VACUUM INTO '" + copy.toUtf8() + "'",
        "PRAGMA journal_mode=DELETE",
        "PRAGMA writable_schema=ON",
        "SELECT 1",
        "INSERT INTO SearchEngines (SearchEngineID, SearchEngineName) SELECT 71, FileTransInfo "
        "FROM WebSiteConfiguration",
        "UPDATE SearchEngines SET SearchEngineName = load_extension('/tmp/x.so')",
        "UPDATE SearchEngines SET SearchEngineName = (SELECT sql FROM sqlite_master)",
        "UPDATE SearchEngines SET SearchEngineName='x' /* ' */ ; DELETE FROM WebSites; -- '",
        "UPDATE SearchEngines SET SearchEngineName=`x` ; DELETE FROM WebSites",
        "DELETE FROM SearchEngines; DELETE FROM WebSites",
    };
    const QByteArray insert =
        "INSERT INTO SearchEngines (SearchEngineID, SearchEngineName) VALUES (70, 'n')\r\n";
    const QByteArray insertAfter =
        "INSERT INTO SearchEngines (SearchEngineID, SearchEngineName) VALUES (72, 'n')\r\n";
    // Every answer is served under one address, so the run's own setting of
    // the update address changes nothing between the dumps.
    const QString url = serve("h.txt", "");
    folder.exec(QStringLiteral("UPDATE WebSiteConfiguration SET UpdateURL = '%1'").arg(url));
    const QString before = dump(folder);
    for (const QByteArray& h : hostile) {
        SCOPED_TRACE(h.toStdString());
        dialogs.messages.clear();
        serve("h.txt", "<XML program=\"QELS\">\r\n" + insert + h + "\r\n" + insertAfter + "</XML>");
        run(url, true);
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{kUpdateErrorMessage});
        EXPECT_EQ(dump(folder), before);
        EXPECT_EQ(otherRows(), "3");
        EXPECT_FALSE(QFile::exists(copy));
    }
    EXPECT_EQ(refreshed, 0);
    // Each refusal is logged with the statement it refused, on one line
    // (the translator already refuses a comment and a second statement).
    EXPECT_EQ(folder.errorLog().count("Refused statement of the update answer"),
              int(std::size(hostile)))
        << folder.errorLog().toStdString();
    EXPECT_TRUE(folder.errorLog().contains("(changes table Submissions): DELETE FROM Submissions"));
    EXPECT_TRUE(folder.errorLog().contains("(controls the transaction): COMMIT"));
}

TEST_F(UpdateRun, TenThousandStatementsApplyInOneTransaction) {
    QByteArray body = "<XML program=\"QELS\" author=\"x\">\r\n";
    for (int id = 1000; id < 11000; ++id)
        body += "INSERT INTO SearchEngines (SearchEngineID,SearchEngineName,Popularity) VALUES (" +
                QByteArray::number(id) + ",'Engine " + QByteArray::number(id) + "'," +
                QByteArray::number(id % 50) + ")\r\n";
    body +=
        "UPDATE SearchEngines SET SearchEngineName = 'renamed', Popularity = 3 WHERE "
        "SearchEngineID = 7\r\nDELETE FROM SearchEngines WHERE SearchEngineID = 2\r\n</XML>";
    run(serve("big.txt", body), true);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kUpdateDoneMessage});
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM SearchEngines"), "10002");
    EXPECT_EQ(folder.scalar("SELECT SearchEngineName FROM SearchEngines WHERE SearchEngineID = 7"),
              "renamed");
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

// A server that stalls, drips, floods, loops, resets, lies about its length
// or sends a gzip bomb: each run ends inside the transfer's limits with a
// message that is not the success one, is logged, and the database keeps
// every row it had.
TEST_F(UpdateRun, HostileServerEndsTheRunAndChangesNothing) {
    test::HostileServer peer;
    ASSERT_TRUE(peer.ok());
    CurlTransfer::Limits limits;
    limits.connectTimeoutMs = 2000;
    limits.totalTimeoutMs = 2500;
    limits.maxBodyBytes = 4 << 20;
    CurlTransfer quick(nullptr, limits);
    folder.exec("UPDATE WebSiteConfiguration SET UpdateURL = ''");
    const QString before = dump(folder);
    int logged = 0;
    for (const test::HostileAnswer& h : test::hostileAnswers()) {
        SCOPED_TRACE(h.what);
        dialogs.messages.clear();
        // The address is restored before each dump, so only the run's
        // effect is compared.
        run(peer.url(QString::fromLatin1(h.path)), true, &quick);
        folder.exec("UPDATE WebSiteConfiguration SET UpdateURL = ''");
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_NE(dialogs.messages[0].text, kUpdateDoneMessage);
        EXPECT_FALSE(quick.stillExecuting());
        EXPECT_EQ(dump(folder), before);
        if (dialogs.messages[0].text == kUpdateErrorMessage) ++logged;
    }
    EXPECT_EQ(refreshed, 0);
    // The gzip bomb arrives as it was sent (compressed bytes are no answer
    // envelope) and is refused; every other way ends in a logged failure.
    EXPECT_EQ(logged, int(test::hostileAnswers().size()) - 1);
    EXPECT_EQ(folder.errorLog().count(",UpdateSearchEngineData,"), logged);
}
