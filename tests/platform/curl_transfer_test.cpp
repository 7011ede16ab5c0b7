// The transfer control against a local HTTP server and a local FTP server.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/CurlTransfer.h"
#include "support/Errors.h"
#include "support/PeerProcess.h"
#include "support/TestFolder.h"

using namespace fd;

TEST(CurlTransferGet, BodyLimitsAndFailures) {
    QTemporaryDir root;
    QFile page(root.filePath("a.txt"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("line 1\r\nline 2");
    page.close();
    test::PeerProcess http(QStringLiteral(FARROWDALE_HTTP_SERVER), {root.path(), "120"});
    ASSERT_TRUE(http.ok());
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(http.port());

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
    EXPECT_EQ(test::errorNumberOf([&] { inet.openUrl("file://" + page.fileName()); }),
              err::kTransferFailed);
    // Every failure released the control.
    EXPECT_FALSE(inet.stillExecuting());
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
    inet.waitForUpload();
    EXPECT_FALSE(inet.stillExecuting());
    EXPECT_EQ(inet.lastUploadResult(), 0);
    EXPECT_EQ(test::readFile(ftpRoot.filePath("Tallowby/QELS/uploads/EL-1A2B3C4D.txt")), bytes);

    // A refused login fails later in the transfer: the start still reported
    // success and the failure went to the log.
    inet.startPut(server, "up", "wrong", source, "/Tallowby/QELS/uploads/x.txt");
    EXPECT_EQ(inet.responseCode(), 0);
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
