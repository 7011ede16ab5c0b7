// The upload procedure against a scripted transfer control.
#include "reports/Upload.h"

#include <gtest/gtest.h>

#include "support/FakeDialogs.h"
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
