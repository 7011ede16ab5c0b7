// The transfer control against a local HTTP server and a local FTP server.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/CurlTransfer.h"
#include "support/Errors.h"
#include "support/PeerProcess.h"
#include "support/TestFolder.h"

using namespace fd;

namespace {

// What the control tells of the last upload's connection, once it has.
std::optional<AppError> connectOutcome(CurlTransfer& inet) {
    bool told = false;
    std::optional<AppError> failure;
    inet.whenConnected(nullptr, [&](const std::optional<AppError>& f) {
        told = true;
        failure = f;
    });
    QDeadlineTimer deadline(30000);
    while (!told && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(told);
    return failure;
}

// The test HTTP server, serving a folder that holds one file, a.txt.
struct OneFileServer {
    explicit OneFileServer(const QByteArray& body) {
        QFile page(file());
        if (page.open(QIODevice::WriteOnly)) page.write(body);
    }
    QString file() const { return root.filePath("a.txt"); }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1/").arg(http.port()); }
    QTemporaryDir root;
    test::PeerProcess http{QStringLiteral(FARROWDALE_HTTP_SERVER), {root.path(), "120"}};
};

}  // namespace

TEST(CurlTransferGet, BodyLimitsAndFailures) {
    OneFileServer server("line 1\r\nline 2");
    ASSERT_TRUE(server.http.ok());
    const QString base = server.base();

    CurlTransfer::Limits limits;
    limits.totalTimeoutMs = 1500;
    limits.maxBodyBytes = 100000;
    CurlTransfer inet(nullptr, limits);
    EXPECT_EQ(inet.openUrl(base + "a.txt?x=1|2|"), QByteArray("line 1\r\nline 2"));
    EXPECT_EQ(inet.openUrl(base + "huge?bytes=100000").size(), 100000);
    EXPECT_EQ(test::errorNumberOf([&] { inet.openUrl(base + "huge?bytes=100001"); }),
              err::kTransferFailed);
    EXPECT_EQ(test::errorNumberOf([&] { inet.openUrl(base + "slow"); }), err::kTransferTimedOut);
    EXPECT_EQ(test::errorNumberOf([&] { inet.openUrl(base + "missing.txt"); }),
              err::kTransferFailed);
    // Nothing listens on the discard port; other protocols are not fetched.
    EXPECT_EQ(test::errorNumberOf([&] { inet.openUrl("http://127.0.0.1:9/"); }),
              err::kCannotConnect);
    EXPECT_EQ(test::errorNumberOf([&] { inet.openUrl("file://" + server.file()); }),
              err::kTransferFailed);
    // Every failure released the control.
    EXPECT_FALSE(inet.stillExecuting());
}

// The fetch on the worker: the outcome comes later on the caller's thread;
// meanwhile the control is busy; destroying the control ends a fetch that
// would wait for ever.
TEST(CurlTransferGet, BackgroundFetchIsBusyUntilDoneAndAbortable) {
    OneFileServer server("answer");
    ASSERT_TRUE(server.http.ok());
    test::PeerProcess& http = server.http;
    const QString base = server.base();
    QObject context;
    QList<QByteArray> bodies;
    QList<long> failures;
    const auto record = [&](const QByteArray& body, const std::optional<AppError>& failure) {
        bodies << body;
        failures << (failure ? failure->number() : 0L);
    };
    const auto settle = [&](int count) {
        QDeadlineTimer deadline(30000);
        while (bodies.size() < count && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return bodies.size() == count;
    };
    {
        CurlTransfer inet;
        inet.startFetch(base + "a.txt", &context, record);
        EXPECT_TRUE(bodies.isEmpty());  // never from within the call
        ASSERT_TRUE(settle(1));
        EXPECT_EQ(bodies[0], "answer");
        EXPECT_EQ(failures[0], 0);
        EXPECT_EQ(http.nextLine(), "GET /a.txt");

        inet.startFetch(base + "hang", &context, record);
        EXPECT_EQ(http.nextLine(), "GET /hang");
        EXPECT_TRUE(inet.stillExecuting());
        EXPECT_EQ(test::errorNumberOf([&] { inet.openUrl(base + "a.txt"); }), err::kTransferBusy);
        inet.startFetch(base + "a.txt", &context, record);
        ASSERT_TRUE(settle(2));
        EXPECT_EQ(failures[1], err::kTransferBusy);
    }
    EXPECT_EQ(http.nextLine(), "GONE /hang");
    QCoreApplication::processEvents();
    EXPECT_EQ(bodies.size(), 2);  // the aborted fetch tells nothing
}

TEST(CurlTransferPut, UploadArrivesUnderTheRemotePath) {
    QTemporaryDir ftpRoot, local;
    ASSERT_TRUE(QDir(ftpRoot.path()).mkpath("Tallowby/QELS/uploads"));
    test::PeerProcess ftp(QStringLiteral(FARROWDALE_FTP_SERVER), {ftpRoot.path(), "up", "pw"});
    ASSERT_TRUE(ftp.ok());
    const QString source = local.filePath("error log.txt");  // a blank in the path
    QByteArray bytes("first\r\n");
    for (int i = 0; i < 20000; ++i) bytes += "entry " + QByteArray::number(i) + "\r\n";
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    test::RecordingSink log;
    CurlTransfer inet(&log);
    const QString server = QStringLiteral("127.0.0.1:%1").arg(ftp.port());
    inet.startPut(server, "up", "pw", source, "/Tallowby/QELS/uploads/EL-1A2B3C4D.txt");
    EXPECT_EQ(inet.responseCode(), 0);
    EXPECT_TRUE(inet.stillExecuting());
    EXPECT_EQ(connectOutcome(inet), std::nullopt);
    inet.waitForUpload();
    EXPECT_FALSE(inet.stillExecuting());
    EXPECT_EQ(inet.lastUploadResult(), 0);
    EXPECT_EQ(test::readFile(ftpRoot.filePath("Tallowby/QELS/uploads/EL-1A2B3C4D.txt")), bytes);

    // A transfer that started and failed later (no such folder on the
    // server): connected, and the failure goes to the log alone.
    inet.startPut(server, "up", "pw", source, "/Tallowby/missing/x.txt");
    EXPECT_EQ(connectOutcome(inet), std::nullopt);
    inet.waitForUpload();
    EXPECT_NE(inet.lastUploadResult(), 0);
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines[0].startsWith("inetQELS,")) << log.lines[0].toStdString();

    // A local file that cannot be read fails at once and starts nothing.
    inet.startPut(server, "up", "pw", local.filePath("none.txt"), "/Tallowby/QELS/uploads/y.txt");
    EXPECT_NE(inet.responseCode(), 0);
    EXPECT_TRUE(inet.responseInfo().contains("none.txt"));
    EXPECT_FALSE(inet.stillExecuting());
}

// Nothing listening, a name that cannot be resolved, a login refused: each
// is known as a failure to connect before anything could claim success, and
// is left to the caller to report (nothing in the log).
TEST(CurlTransferPut, ConnectionFailuresAreToldBeforeAnySuccess) {
    QTemporaryDir ftpRoot, local;
    test::PeerProcess ftp(QStringLiteral(FARROWDALE_FTP_SERVER), {ftpRoot.path(), "up", "pw"});
    ASSERT_TRUE(ftp.ok());
    QFile f(local.filePath("a.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a");
    f.close();
    struct Case {
        const char* what;
        QString server;
        const char* password;
    } cases[] = {
        {"nothing listens", "127.0.0.1:9", "pw"},
        // A 64-character label is refused by the resolver itself, so no name
        // server is asked.
        {"unresolvable name", QString(64, u'a') + ".example", "pw"},
        {"wrong password", QStringLiteral("127.0.0.1:%1").arg(ftp.port()), "wrong"},
    };
    test::RecordingSink log;
    CurlTransfer inet(&log);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        inet.startPut(c.server, "up", c.password, f.fileName(), "/x.txt");
        EXPECT_EQ(inet.responseCode(), 0);
        const std::optional<AppError> failure = connectOutcome(inet);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->number(), err::kCannotConnect);
        EXPECT_TRUE(failure->description().startsWith("Unable to connect to the upload server: "))
            << failure->description().toStdString();
        inet.waitForUpload();
        EXPECT_FALSE(inet.stillExecuting());
    }
    EXPECT_TRUE(log.lines.isEmpty()) << log.lines.join("\n").toStdString();
}

TEST(CurlTransferPut, BusyControlRefusesEveryOtherRequest) {
    QTemporaryDir root, local;
    // An HTTP server never sends an FTP greeting, so the upload stays in its
    // connect phase until it is aborted.
    test::PeerProcess http(QStringLiteral(FARROWDALE_HTTP_SERVER), {root.path(), "120"});
    ASSERT_TRUE(http.ok());
    QFile f(local.filePath("a.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a");
    f.close();
    {
        CurlTransfer inet;
        const QString server = QStringLiteral("127.0.0.1:%1").arg(http.port());
        inet.startPut(server, "", "", f.fileName(), "/a.txt");
        ASSERT_TRUE(inet.stillExecuting());
        EXPECT_EQ(
            test::errorNumberOf([&] { inet.startPut(server, "", "", f.fileName(), "/b.txt"); }),
            err::kTransferBusy);
        EXPECT_EQ(test::errorNumberOf([&] {
                      inet.openUrl(QStringLiteral("http://127.0.0.1:%1/").arg(http.port()));
                  }),
                  err::kTransferBusy);
        EXPECT_TRUE(inet.stillExecuting());
    }  // the destructor aborts the upload and joins the worker
}

TEST(CurlTransfer, UploadAddressKeepsTheRootPathAndEncodesNames) {
    EXPECT_EQ(CurlTransfer::uploadUrl("ftp://h.example/", "/T/Q/EL-1 2.txt"),
              "ftp://h.example/%2FT/Q/EL-1%202.txt");
    EXPECT_EQ(CurlTransfer::uploadUrl("h.example:21", "a.txt"), "ftp://h.example:21/a.txt");
}
