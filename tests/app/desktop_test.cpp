// The real program on an X display of its own, read through the desktop's
// accessibility tree (AT-SPI) and driven with the display's own keys and
// clicks (tests/app/desktop_session.py does the driving): every focusable
// control of the main window and of its dialogs has a name a screen reader
// can say, and the menus' shortcuts win over the fields' editing keys, which
// only exist on a real desktop.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include "support/TestFolder.h"

namespace {

struct Session {
    int exitCode = -1;
    QString output;
};

// Runs one mode of the session script on a display and a D-Bus session of
// its own, over a program folder with a change request and a submission, so
// both report previews show their rows and their export control.
Session runSession(const char* mode) {
    fd::test::TestFolder folder;
    folder.exec(QStringLiteral(
        "INSERT INTO WebPageUpdateRequests (SubmissionDate, WebSiteID, RootWebSite, WebPage, "
        "PageTitle) VALUES (date('now', 'localtime') || ' 00:00:00', 1, "
        "'http://www.example.com/', "
        "'http://www.example.com/a.html', 'A page')"));
    folder.exec(
        QStringLiteral("INSERT INTO WebSiteNames (WebSiteNameID, WebSiteID, WebSiteBaseURL) VALUES "
                       "(50, 1, 'http://www.example.com/')"));
    folder.exec(QStringLiteral(
        "INSERT INTO WebSitePages (WebSitePageID, WebSiteID, PageURL) VALUES (50, 1, 'a.html')"));
    folder.exec(QStringLiteral(
        "INSERT INTO Submissions (SubmitDate, WebSiteID, WebSiteNameID, WebSitePageID, "
        "SearchEngineID) SELECT datetime('now', 'localtime'), 1, 50, 50, min(SearchEngineID) "
        "FROM SearchEngines"));

    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // A failure leaves a picture of the display beside the test.
    env.insert(QStringLiteral("DESKTOP_SESSION_SHOT"),
               QDir::current().filePath(QStringLiteral("desktop_%1.png").arg(mode)));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xvfb-run"),
            {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1400x900x24"),
             QStringLiteral("dbus-run-session"), QStringLiteral("--"),
             QStringLiteral("/usr/bin/python3"), QStringLiteral(FARROWDALE_DESKTOP_SESSION),
             QString::fromLatin1(mode), QStringLiteral(FARROWDALE_BINARY), folder.path()});
    Session s;
    if (!p.waitForStarted(10000)) {
        s.output = QStringLiteral("xvfb-run could not be started");
        return s;
    }
    if (!p.waitForFinished(400000)) {
        p.kill();
        p.waitForFinished(10000);
        s.output = QStringLiteral("the session did not end within 400 seconds\n");
    }
    s.output += QString::fromUtf8(p.readAll());
    if (p.exitStatus() == QProcess::NormalExit) s.exitCode = p.exitCode();
    return s;
}

constexpr int kBusCannotStart = 77;

void expectPassed(const Session& s) {
    if (s.exitCode == kBusCannotStart) GTEST_SKIP() << s.output.toStdString();
    EXPECT_EQ(s.exitCode, 0) << s.output.toStdString();
    EXPECT_TRUE(s.output.contains(QStringLiteral("PASS:"))) << s.output.toStdString();
}

}  // namespace

class Desktop : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-run-session")).isEmpty())
            GTEST_SKIP() << "the D-Bus session bus cannot start: dbus-run-session is missing";
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
            << "xvfb-run is missing (scripts/install-deps installs it)";
    }
};

TEST_F(Desktop, everyFocusableControlOfTheWindowAndItsDialogsHasAName) {
    expectPassed(runSession("names"));
}

TEST_F(Desktop, menuShortcutsWinOverTheEditingKeysOfATextField) {
    expectPassed(runSession("keys"));
}
