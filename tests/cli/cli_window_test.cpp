// The window and farrowdale-cli on one program folder at the same time: the
// window submits pages while command-line runs import a list, write reports
// and list the sites; afterwards every row and file of both is there.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "CliRun.h"
#include "sites/PageList.h"
#include "sites/SiteRecords.h"
#include "submit/EngineListView.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"
#include "window/frmMain.h"

using namespace fd;
using namespace fd::test;

namespace {

const QString kAlpha = QStringLiteral("http://alpha.example/");
const QString kBravo = QStringLiteral("http://bravo.example/");

void addSite(TestFolder& f, const QString& name, const QString& root) {
    f.exec(QStringLiteral("INSERT INTO WebSites (WebSiteGenericName) VALUES ('%1')").arg(name));
    f.exec(QStringLiteral("INSERT INTO WebSiteNames (WebSiteID, WebSiteBaseURL, "
                          "WebSiteEmailAddress, WebSiteSubmitterName, CountryCode, Industry) "
                          "SELECT max(WebSiteID), '%1', 'me@example.org', 'Me', 'GB', 'Software' "
                          "FROM WebSites")
               .arg(root));
}

QStringList listOf(const QString& prefix, int count) {
    QStringList pages;
    for (int i = 0; i < count; ++i) pages << QStringLiteral("%1-%2.html").arg(prefix).arg(i);
    return pages;
}

}  // namespace

TEST(CliBesideTheWindow, BothWriteTheSameFolderAndNothingIsLost) {
    TestFolder folder;
    addSite(folder, "Alpha", kAlpha);
    addSite(folder, "Bravo", kBravo);
    // The window opens on Alpha with its list.
    const QStringList alphaPages = listOf("a", 5);
    sites::writePageListFile(folder.file("WebPageLists/alpha.wsr"), alphaPages);
    folder.exec(QStringLiteral("UPDATE WebSites SET LastListFile = '%1' WHERE "
                               "WebSiteGenericName = 'Alpha'")
                    .arg(folder.file("WebPageLists/alpha.wsr")));
    folder.exec(QStringLiteral("UPDATE WebSiteConfiguration SET WebSiteGenericName = 'Alpha', "
                               "RootWebSiteAddress = '%1', Industry = 'Software'")
                    .arg(kAlpha));

    FakeDialogs dialogs;
    auto* browser = new FakeBrowser;
    auto window = std::make_unique<frmMain>(folder.globals(), dialogs, browser);
    window->load();
    window->show();
    window->findChild<QTabWidget*>("tabTasks")->setCurrentIndex(3);
    auto* engines = window->findChild<EngineListView*>("lvwSubmissionList");
    // An engine sent through the browser (a form POST).
    engines->setCurrentItem(engines->findEntry("DuckDuckGo"));
    window->findChild<QLineEdit*>("txtSubmissionURL")->setText(kAlpha + "a-1.html");
    auto* submit = window->findChild<QPushButton*>("cmdSubmitPage");

    // Command-line runs one after another, the window submitting all the
    // while each of them runs.
    ASSERT_EQ(window->findChild<QTreeWidget*>("tvwWebSiteDirectory")->topLevelItem(0)->childCount(),
              alphaPages.size());
    const Cli cli(folder.path());
    QTemporaryDir tmp;
    int windowSubmissions = 0;
    QStringList lastBravo;
    for (int run = 0; run < 9; ++run) {
        QStringList args;
        switch (run % 3) {
            case 0:
                lastBravo = listOf(QStringLiteral("b%1").arg(run), 20 + run);
                sites::writePageListFile(tmp.filePath("bravo.txt"), lastBravo);
                args = {"pages", "import", tmp.filePath("bravo.txt"), "--site", "Bravo"};
                break;
            case 1:
                args = {"report", "submissions", "--from", "2000-01-01",
                        "--to",   "2100-01-01",  "--out",  tmp.filePath("report.txt")};
                break;
            default:
                args = {"sites", "--json"};
        }
        QProcess p;
        p.setProcessEnvironment(cli.environment());
        p.start(QStringLiteral(FARROWDALE_CLI),
                QStringList{"--program-folder", folder.path()} + args);
        ASSERT_TRUE(p.waitForStarted(10000));
        QElapsedTimer bound;
        bound.start();
        // Far quicker than a person clicks, with room for the other side.
        while (p.state() != QProcess::NotRunning && bound.elapsed() < 60000) {
            submit->click();
            ++windowSubmissions;
            QTest::qWait(20);
        }
        ASSERT_TRUE(p.state() == QProcess::NotRunning || p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0)
            << args.join(' ').toStdString() << ": " << p.readAllStandardError().toStdString();
    }
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.lastText().toStdString();

    // File > Exit saves the root URL's details, the window's list and the
    // settings.
    for (QAction* a : window->findChildren<QAction*>())
        if (a->objectName() == QLatin1String("Exit")) a->trigger();
    window.reset();

    EXPECT_EQ(folder.scalar("SELECT count(*) FROM Submissions"),
              QString::number(windowSubmissions));
    EXPECT_EQ(folder.scalar("SELECT count(DISTINCT WebSitePageID) FROM Submissions"), "1");
    const auto all = sites::readSites(*folder.globals().gDB);
    const auto alpha = *sites::findSite(all, "Alpha");
    const auto bravo = *sites::findSite(all, "Bravo");
    EXPECT_EQ(sites::readPageListFile(sites::readLastListFile(*folder.globals().gDB, alpha.id)),
              alphaPages);
    EXPECT_EQ(sites::readLastListFile(*folder.globals().gDB, bravo.id),
              sites::savedListPath(folder.path(), bravo));
    EXPECT_EQ(sites::readPageListFile(sites::savedListPath(folder.path(), bravo)), lastBravo);
    EXPECT_EQ(folder.scalar("SELECT WebSiteGenericName FROM WebSiteConfiguration"), "Alpha");
    EXPECT_EQ(folder.errorLog(), QString());
}
