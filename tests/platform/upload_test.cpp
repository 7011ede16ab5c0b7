// The upload procedure against a scripted transfer control, and against the
// real one with a local FTP server.
#include "platform/Upload.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "core/ErrorLog.h"
#include "platform/CurlTransfer.h"
#include "support/FakeDialogs.h"
#include "support/PeerProcess.h"
#include "support/TestFolder.h"

using namespace fd;

namespace {
class ScriptedTransfer : public InetTransfer {
public:
    QByteArray openUrl(const QString&) override { return {}; }
    void startPut(const QString& server, const QString& user, const QString& password,
                  const QString& local, const QString& remote) override {
        puts << QStringList{server, user, password, local, remote};
    }
    bool stillExecuting() const override { return busy; }
    int responseCode() const override { return code; }
    QString responseInfo() const override { return info; }

    QList<QStringList> puts;
    bool busy = false;
    int code = 0;
    QString info;
};
}  // namespace

TEST(UploadStamp, MonthDayMinuteSecondAndTwoDigitNumber) {
    EXPECT_EQ(uploadStamp(QDateTime(QDate(2026, 7, 3), QTime(9, 5, 7)), 4), "07030507-04");
    // An hour apart: the same time part.
    EXPECT_EQ(uploadStamp(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 1)), 99),
              uploadStamp(QDateTime(QDate(2026, 12, 31), QTime(22, 59, 1)), 99));
}

TEST(Upload, StartsThePutAndReportsSuccess) {
    test::TestFolder f;
    test::FakeDialogs dialogs;
    ScriptedTransfer inet;
    UploadTarget target{"ftp://127.0.0.1:2121", "", ""};
    ASSERT_TRUE(runUpload(inet, dialogs, *f.globals().errorLog, nullptr, target,
                          {"/tmp/a b.txt", "EL-x.txt", "SendErrorLog_Click", "failed"}));
    ASSERT_EQ(inet.puts.size(), 1);
    EXPECT_EQ(inet.puts[0], (QStringList{"ftp://127.0.0.1:2121", "", "", "/tmp/a b.txt",
                                         "/Tallowby/QELS/uploads/EL-x.txt"}));
    EXPECT_EQ(dialogs.lastText(), "Successfully sent file to Tallowby.");
}

TEST(Upload, BusyControlSendsNothing) {
    test::TestFolder f;
    test::FakeDialogs dialogs;
    ScriptedTransfer inet;
    inet.busy = true;
    EXPECT_FALSE(
        runUpload(inet, dialogs, *f.globals().errorLog, nullptr, {}, {"a", "b", "R", "x"}));
    EXPECT_TRUE(inet.puts.isEmpty());
    EXPECT_EQ(dialogs.lastText(), "Still executing your previous request. Please try again later.");
}

TEST(Upload, FailedStartIsLoggedWithTheResponse) {
    test::TestFolder f;
    test::FakeDialogs dialogs;
    ScriptedTransfer inet;
    inet.code = 7;
    inet.info = "Couldn't connect to server";
    EXPECT_FALSE(runUpload(inet, dialogs, *f.globals().errorLog, nullptr, {},
                           {"a", "SM-1.htm", "CreateSiteMap_Click", "There was an error."}));
    EXPECT_EQ(dialogs.lastText(), "There was an error.");
    EXPECT_TRUE(f.errorLog().contains(",CreateSiteMap_Click,7,'Couldn't connect to server',"));
}

// With the real transfer control: success is told only once the server has
// taken the connection and the login; when it could not, the action's own
// reaction follows (or, by default, a line in the log) and nothing claims
// success.
TEST(UploadToALocalServer, SuccessOnlyAfterTheLoginElseTheActionsReaction) {
    test::TestFolder f;
    QTemporaryDir ftpRoot;
    ASSERT_TRUE(QDir(ftpRoot.path()).mkpath("Tallowby/QELS/uploads"));
    test::PeerProcess ftp(QStringLiteral(FARROWDALE_FTP_SERVER), {ftpRoot.path(), "up", "pw"});
    ASSERT_TRUE(ftp.ok());
    const QString local = f.file("report.txt");
    {
        QFile file(local);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("report\r\n");
    }
    test::FakeDialogs dialogs;
    ErrorLog& log = *f.globals().errorLog;
    CurlTransfer inet(&log);
    const QString server = QStringLiteral("127.0.0.1:%1").arg(ftp.port());
    const auto waitFor = [](const std::function<bool()>& done) {
        QDeadlineTimer deadline(30000);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    };

    ASSERT_TRUE(runUpload(inet, dialogs, log, nullptr, {server, "up", "pw"},
                          {local, "UR-x.txt", "cmdSendChangeRequestReport_Click", "failed"}));
    EXPECT_TRUE(dialogs.messages.empty());  // the login is not known yet
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }));
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"Successfully sent file to Tallowby."});
    inet.waitForUpload();
    EXPECT_EQ(test::readFile(ftpRoot.filePath("Tallowby/QELS/uploads/UR-x.txt")), "report\r\n");

    // Nothing listens: without a reaction of its own the action logs it.
    dialogs.messages.clear();
    ASSERT_TRUE(runUpload(inet, dialogs, log, nullptr, {"127.0.0.1:9", "up", "pw"},
                          {local, "EL-x.txt", "SendErrorLog_Click", "failed"}));
    ASSERT_TRUE(waitFor([&] { return f.errorLog().contains(",SendErrorLog_Click,35754,"); }));
    EXPECT_TRUE(f.errorLog().contains("'Unable to connect to the upload server: "));

    // A refused login: the action's reaction, and no success.
    QStringList reactions;
    UploadRequest request{local, "SM-1.htm", "CreateSiteMap_Click", "failed"};
    request.connectionFailed = [&](const AppError& e) { reactions << e.description(); };
    ASSERT_TRUE(runUpload(inet, dialogs, log, nullptr, {server, "up", "wrong"}, request));
    ASSERT_TRUE(waitFor([&] { return !reactions.isEmpty(); }));
    inet.waitForUpload();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(reactions[0].startsWith("Unable to connect to the upload server: "));
    EXPECT_FALSE(QFile::exists(ftpRoot.filePath("Tallowby/QELS/uploads/SM-1.htm")));
}
