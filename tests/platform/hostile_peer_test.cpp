// The transfer control against the hostile peer: every misbehaviour ends
// within the stated time limit or size cap, as an error that says which,
// never as a document or a finished upload, and the control is free again.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "platform/CurlHttpClient.h"
#include "platform/CurlTransfer.h"
#include "support/Errors.h"
#include "support/HostileServer.h"
#include "support/Wait.h"

using namespace fd;
using namespace fd::test;

namespace {

// The product's limits are 15 s to connect and 60 s for a fetch; the tests
// use short ones of the same kind.
CurlTransfer::Limits shortLimits() {
    CurlTransfer::Limits limits;
    limits.connectTimeoutMs = 2000;
    limits.totalTimeoutMs = 2500;
    limits.maxBodyBytes = 4 << 20;
    return limits;
}

TEST(HostilePeer, FetchEndsInItsLimitWithAnErrorThatSaysWhich) {
    HostileServer peer;
    ASSERT_TRUE(peer.ok());
    CurlTransfer inet(nullptr, shortLimits());
    const struct {
        const char* path;
        long number;
        const char* says;
    } cases[] = {
        {"/silent", err::kTransferTimedOut, "timed out"},
        {"/drip", err::kTransferTimedOut, "timed out"},
        {"/huge", err::kTransferFailed, "larger than"},
        {"/loop", err::kTransferFailed, "redirect"},
        {"/reset", err::kTransferFailed, "reset"},
        {"/short", err::kTransferFailed, "bytes remaining"},
    };
    for (const auto& c : cases) {
        try {
            inet.openUrl(peer.url(QString::fromLatin1(c.path)));
            ADD_FAILURE() << c.path << " was taken for a document";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), c.number) << c.path << ": " << e.description().toStdString();
            EXPECT_TRUE(e.description().contains(QLatin1String(c.says), Qt::CaseInsensitive))
                << c.path << ": " << e.description().toStdString();
        }
        EXPECT_FALSE(inet.stillExecuting()) << c.path;
    }
    // A compressed answer nobody asked for stays as it came: about a
    // megabyte, never the gigabyte it would inflate to.
    EXPECT_LT(inet.openUrl(peer.url(QStringLiteral("/gzip"))).size(), 2 << 20);
}

// The plain HTTP requests behind submissions, IndexNow and the key-file
// check: a misbehaving peer ends the request inside its limits, and only a
// real status counts as an answer; a long body is cut at the cap.
TEST(HostilePeer, HttpRequestEndsInItsLimitAndReadsNoMoreThanTheCap) {
    HostileServer peer;
    ASSERT_TRUE(peer.ok());
    CurlHttpClient http;
    const struct {
        const char* path;
        int status;  // 0: no answer
        long error;
        bool truncated;
    } cases[] = {
        {"/silent", 0, err::kTransferTimedOut, false},
        {"/drip", 0, err::kTransferTimedOut, false},
        {"/huge", 200, 0, true},
        {"/loop", 0, err::kTransferFailed, false},
        {"/reset", 0, err::kTransferFailed, false},
        {"/short", 0, err::kTransferFailed, false},
        {"/gzip", 200, 0, true},
    };
    for (const char* method : {"GET", "POST"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(method) + " " + c.path);
            HttpRequest rq;
            rq.method = method;
            rq.url = peer.url(QString::fromLatin1(c.path));
            rq.body = "url=http%3A%2F%2Fsite.example%2F";
            rq.contentType = "application/x-www-form-urlencoded";
            rq.followRedirects = true;
            rq.connectTimeoutMs = 2000;
            rq.totalTimeoutMs = 2500;
            rq.maxBodyBytes = 64 * 1024;
            const HttpResponse r = http.send(rq);
            EXPECT_EQ(r.status, c.status) << r.errorText.toStdString();
            EXPECT_EQ(r.error, c.error) << r.errorText.toStdString();
            EXPECT_EQ(r.truncated, c.truncated);
            EXPECT_LE(r.body.size(), rq.maxBodyBytes);
            if (!r.answered()) {
                EXPECT_FALSE(r.errorText.isEmpty());
                EXPECT_TRUE(r.body.isEmpty());
            }
        }
    }
}

TEST(HostilePeer, UploadToAServerThatStallsOrResetsFailsAndIsLogged) {
    QTemporaryDir local;
    const QString file = local.filePath(QStringLiteral("errorlog.txt"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("an entry\r\n");
    f.close();
    for (const char* mode : {"silent", "drip", "reset"}) {
        HostileServer peer{QString::fromLatin1(mode)};
        ASSERT_TRUE(peer.ok()) << mode;
        RecordingSink log;
        CurlTransfer inet(&log, shortLimits());
        inet.startPut(QStringLiteral("127.0.0.1:%1").arg(peer.port()), QStringLiteral("up"),
                      QStringLiteral("pw"), file, QStringLiteral("/uploads/EL-1.txt"));
        std::optional<std::optional<AppError>> connected;
        inet.whenConnected(nullptr, [&](const std::optional<AppError>& f) { connected = f; });
        inet.waitForUpload();
        EXPECT_FALSE(inet.stillExecuting()) << mode;
        QString text;
        EXPECT_NE(inet.lastUploadResult(&text), 0) << mode << " was taken for a finished upload";
        // A server that never let the login through is told to the caller,
        // which shows its message; one that failed later is logged.
        ASSERT_TRUE(waitFor([&] { return connected.has_value(); })) << mode;
        if (connected->has_value()) {
            EXPECT_EQ((*connected)->number(), err::kCannotConnect) << mode;
            EXPECT_TRUE(log.lines.isEmpty()) << mode;
        } else {
            ASSERT_EQ(log.lines.size(), 1) << mode;
            EXPECT_TRUE(log.lines[0].startsWith(QLatin1String("inetQELS,")))
                << log.lines[0].toStdString();
        }
    }
}

}  // namespace
