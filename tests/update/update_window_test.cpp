// The Support menu's update and error-log items, and the silent update after
// start, on the real main window.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "platform/Upload.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/PeerProcess.h"
#include "support/TestFolder.h"
#include "update/UpdateClient.h"
#include "window/MainModule.h"
#include "window/frmMain.h"

using namespace fd;

namespace {

class RecordingTransfer : public InetTransfer {
public:
    QByteArray openUrl(const QString&) override { return {}; }
    void startPut(const QString& server, const QString& user, const QString& password,
                  const QString& local, const QString& remote) override {
        puts << QStringList{server, user, password, local, remote};
    }
    bool stillExecuting() const override { return false; }
    int responseCode() const override { return 0; }
    QString responseInfo() const override { return {}; }
    QList<QStringList> puts;
};

// Lets the event loop run until done() holds (bounded).
bool waitUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(30000);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(10);
    }
    return true;
}

// The program started on the folder, as Main starts it.
std::unique_ptr<Application> startOn(test::TestFolder& folder, Dialogs& dialogs) {
    StartOptions o;
    o.programFolder = folder.path();
    o.dataDir = test::deliveredData();
    return Main(o, dialogs, [] { return new test::FakeBrowser; });
}

bool listsShow(QWidget& w, const QString& text) {
    for (auto* tree : w.findChildren<QTreeWidget*>())
        for (int col = 0; col < tree->columnCount(); ++col)
            if (!tree->findItems(text, Qt::MatchExactly, col).isEmpty()) return true;
    return false;
}

}  // namespace

TEST(UpdateWindow, SupportMenuRunsTheUpdateAndSendsTheErrorLog) {
    test::TestFolder folder;
    test::FakeDialogs dialogs;
    auto app = startOn(folder, dialogs);
    ASSERT_TRUE(app);
    frmMain& w = *app->mainWindow;
    // The silent run after start asks the test folder's closed port: no
    // message, the failure only logged.
    QApplication::processEvents();
    ASSERT_TRUE(waitUntil([&] { return !w.updateRunning(); }));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(folder.errorLog().contains(",UpdateSearchEngineData,35754,"));

    QTemporaryDir root;
    QFile answer(root.filePath("Update.asp"));
    ASSERT_TRUE(answer.open(QIODevice::WriteOnly));
    answer.write(
        "<XML program=\"QELS\">\r\nINSERT INTO SearchEngines (SearchEngineID, SearchEngineName, "
        "SubmitQueryString, HTTPSubmitMethod, Popularity) VALUES (900, 'Zeta Finder', "
        "'https://z.example/add?u=<%URL%>', 'get', 1)\r\n</XML>");
    answer.close();
    test::PeerProcess http(QStringLiteral(FARROWDALE_HTTP_SERVER), {root.path(), "120"});
    ASSERT_TRUE(http.ok());
    folder.exec(QStringLiteral("UPDATE WebSiteConfiguration SET UpdateURL = "
                               "'http://127.0.0.1:%1/Update.asp'")
                    .arg(http.port()));
    auto* update = w.findChild<QAction*>("Update");
    ASSERT_TRUE(update);
    ASSERT_TRUE(update->isEnabled());
    EXPECT_FALSE(listsShow(w, "Zeta Finder"));
    update->trigger();
    // The answer is applied when it arrives; meanwhile no second run.
    EXPECT_TRUE(w.updateRunning());
    EXPECT_FALSE(update->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return !w.updateRunning(); }));
    EXPECT_TRUE(update->isEnabled());
    EXPECT_EQ(dialogs.lastText(), kUpdateDoneMessage);
    EXPECT_TRUE(listsShow(w, "Zeta Finder"));

    auto transfer = std::make_unique<RecordingTransfer>();
    RecordingTransfer& inet = *transfer;
    w.setTransfer(std::move(transfer));
    auto* send = w.findChild<QAction*>("SendErrorLog");
    ASSERT_TRUE(send);
    ASSERT_TRUE(send->isEnabled());
    send->trigger();
    ASSERT_EQ(inet.puts.size(), 1);
    const QString id = installationIdentifier(folder.path());
    EXPECT_EQ(inet.puts[0], (QStringList{kUploadServer, "", "", folder.path() + "/errorlog.txt",
                                         "/Tallowby/QELS/uploads/EL-" + id + ".txt"}));
    EXPECT_EQ(dialogs.lastText(), "Successfully sent file to Tallowby.");
    // Fixed for one installation, different for another folder.
    EXPECT_EQ(id.size(), 8);
    EXPECT_EQ(installationIdentifier(folder.path()), id);
    EXPECT_NE(installationIdentifier(folder.path() + "x"), id);
}

// Against a server that takes the request and never answers, the silent run
// after start leaves the window working: it paints, takes input and offers
// its menus while the answer is awaited. Closed meanwhile, it ends at once,
// the request dropped and nothing applied.
TEST(UpdateWindow, SilentRunNeverHoldsTheWindow) {
    test::TestFolder folder;
    QTemporaryDir root;
    test::PeerProcess http(QStringLiteral(FARROWDALE_HTTP_SERVER), {root.path(), "120"});
    ASSERT_TRUE(http.ok());
    folder.exec(QStringLiteral("UPDATE WebSiteConfiguration SET UpdateURL = "
                               "'http://127.0.0.1:%1/hang'")
                    .arg(http.port()));
    const QString engines = folder.scalar("SELECT count(*) FROM SearchEngines");
    test::FakeDialogs dialogs;
    auto app = startOn(folder, dialogs);
    ASSERT_TRUE(app);
    frmMain& w = *app->mainWindow;
    QApplication::processEvents();
    EXPECT_TRUE(http.nextLine().startsWith("GET /hang?SearchEngines="));
    ASSERT_TRUE(w.updateRunning());
    EXPECT_TRUE(w.transfer().stillExecuting());

    // Input is taken and painted while the request waits.
    auto* address = w.findChild<QLineEdit*>("txtSubmitURL");
    ASSERT_TRUE(address);
    address->setFocus();
    QTest::keyClicks(address, "typed while waiting");
    EXPECT_EQ(address->text(), "typed while waiting");
    EXPECT_FALSE(w.grab().isNull());
    EXPECT_FALSE(w.findChild<QAction*>("Update")->isEnabled());
    EXPECT_TRUE(w.updateRunning());

    w.close();
    app.reset();  // the transfer is aborted, not waited for
    EXPECT_EQ(http.nextLine(), "GONE /hang");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM SearchEngines"), engines);
}
