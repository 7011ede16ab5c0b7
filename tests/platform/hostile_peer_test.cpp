// The transfer control against the hostile peer: every misbehaviour ends
// within the stated time limit or size cap, as an error that says which,
// never as a document or a finished upload, and the control is free again.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <optional>

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
