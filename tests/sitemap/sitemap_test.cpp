// The site map's page byte for byte, and the menu routine driven with scripted
// dialogs, browser and transfer control.
#include "sitemap/SiteMap.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

#include "SiteMapFixture.h"

using namespace fd;

namespace {

const QString kHead = QStringLiteral(
    "<html><head>\r\n"
    "<title>http://a.example</title>\r\n"
    "<!-- Created by Tallowby Automation Software (https://www.tallowby.example/) -->\r\n"
    "</head>\r\n"
    "<body>\r\n"
    "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\">\r\n");
const QString kFoot = QStringLiteral(
    "<tr><td>&nbsp;</td></tr>\r\n"
    "<tr><td colspan=\"3\" align=\"right\"><font size=\"-2\">Created by <a "
    "href=\"https://www.tallowby.example/\">Tallowby</a> Automation Software</font></td></tr>\r\n"
    "</table></body></html>\r\n");

QString heading(const QString& label) {
    return QStringLiteral("<tr><td colspan=\"3\"><h3><a href=\"http://a.example\">") + label +
           QStringLiteral("</a></h3></td></tr>\r\n");
}

class ScriptedTransfer : public InetTransfer {
public:
    QByteArray openUrl(const QString&) override { return {}; }
    void startPut(const QString&, const QString&, const QString&, const QString& local,
                  const QString& remote) override {
        if (throwNumber) throw AppError(throwNumber, QStringLiteral("refused"), "inet");
        puts << QStringList{local, remote};
    }
    bool stillExecuting() const override { return false; }
    int responseCode() const override { return 0; }
    QString responseInfo() const override { return {}; }
    QList<QStringList> puts;
    long throwNumber = 0;
};

}  // namespace

TEST(SiteMapHtml, AllPagesLeftOutStillGivesACompletePage) {
    EXPECT_EQ(buildSiteMapHtml("http://a.example", "Acme", {"/robots.txt", "/global.asa"}),
              kHead + heading("Acme") + kFoot);
}

TEST(SiteMapHtml, TwoLinksARowOddCountClosedAndNameFallsBackToRoot) {
    // With or without a leading "/": the target joins root and entry as they
    // stand; only the link text loses the "/".
    const QString html =
        buildSiteMapHtml("http://a.example", "", {"/index.htm", "about.htm", "/b/c.htm"});
    EXPECT_EQ(html, kHead + heading("http://a.example") +
                        "<tr><td><li><a href=\"http://a.example/index.htm\">index.htm</a></li>"
                        "</td><td>&nbsp;&nbsp;</td>\r\n"
                        "<td><li><a href=\"http://a.exampleabout.htm\">about.htm</a></li></td>"
                        "</tr>\r\n"
                        "<tr><td><li><a href=\"http://a.example/b/c.htm\">b/c.htm</a></li></td>"
                        "<td>&nbsp;&nbsp;</td>\r\n"
                        "</tr>\r\n" +
                        kFoot);
    // An even count needs no closing line.
    EXPECT_FALSE(buildSiteMapHtml("r", "", {"/a", "/b"}).contains("\r\n</tr>\r\n"));
}

TEST(SiteMapHtml, LeftOutBySubstringOfTheLowerCasedEntry) {
    for (const char* e :
         {"/ERRORS.LOG", "/_vti_cnf/a.htm", "/global.asax", "/favicon.ico", "/x/Robots.TXT"})
        EXPECT_TRUE(leftOutOfSiteMap(e)) << e;
    for (const char* e : {"/logs/today.htm", "/vti/a.htm", "/index.asp"})
        EXPECT_FALSE(leftOutOfSiteMap(e)) << e;
    // A left-out entry does not count: the two listed pages share one row.
    const QString html = buildSiteMapHtml("r", "", {"/a", "/b.log", "/c"});
    EXPECT_TRUE(html.contains("<td><li><a href=\"r/c\">c</a></li></td></tr>\r\n"));
    EXPECT_FALSE(html.contains("b.log"));
}

TEST(SiteMapHtml, NamesAndEntriesAreEscaped) {
    const QString html =
        buildSiteMapHtml("http://a.example", "Tom & Jerry's <Cafe>", {"/say \"hi\".htm", "/café"});
    EXPECT_TRUE(html.contains(heading("Tom &amp; Jerry's &lt;Cafe&gt;")));
    EXPECT_TRUE(
        html.contains("<a href=\"http://a.example/say &quot;hi&quot;.htm\">say "
                      "&quot;hi&quot;.htm</a>"));
    // Outside ASCII as a character reference: the file stays 8-bit text.
    EXPECT_TRUE(html.contains(">caf&#233;</a>"));
}

class SiteMapRun : public test::SiteMapFixture<ScriptedTransfer> {
protected:
    QStringList nodes{"http://a.example", "/index.htm"};
};

TEST_F(SiteMapRun, EmptyOrRootOnlyTreeShowsItsMessageAndNoDialog) {
    CreateSiteMap_Click({}, "", services());
    CreateSiteMap_Click({"http://a.example"}, "", services());
    EXPECT_EQ(dialogs.texts(),
              (std::vector<QString>{
                  "You cannot create a site map until you have opened up a web page list file.",
                  "You need to create a list of webpages first. \r\nGo to the 'Page Details' "
                  "tab and use the 'Add Page to List' button."}));
    EXPECT_TRUE(dialogs.fileRequests.empty());
}

TEST_F(SiteMapRun, CancelWritesNothing) {
    CreateSiteMap_Click(nodes, "", services());
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].initialDir, folder.path() + "/WebPageLists");
    EXPECT_EQ(dialogs.fileRequests[0].filterIndex, 3);
    EXPECT_EQ(dialogs.fileRequests[0].filter,
              "All Files (*.*)|*.*|HTML Files(*.html)|*.html|HTML Files (*.htm)|*.htm");
    EXPECT_TRUE(dialogs.fileRequests[0].defaultExtension.isEmpty());
    EXPECT_FALSE(dialogs.fileRequests[0].overwritePrompt);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(browser.navigations.isEmpty());
    EXPECT_EQ(folder.errorLog(), "");
}

// A long list shows its progress; Cancel there ends the run before the save
// dialog, with nothing written or logged.
TEST_F(SiteMapRun, LongListCancelledAsksAndWritesNothing) {
    QStringList many{"http://a.example"};
    for (int i = 0; i < 20000; ++i) many << QStringLiteral("/p%1.htm").arg(i);
    dialogs.cancelProgressAt = 10000;
    CreateSiteMap_Click(many, "", services());
    ASSERT_EQ(dialogs.progresses.size(), 1u);
    EXPECT_EQ(dialogs.progresses[0].maximum, 20000);
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(folder.errorLog(), "");

    dialogs.cancelProgressAt.reset();
    dialogs.files.push_back(folder.file("map.htm"));
    CreateSiteMap_Click(many, "", services());
    EXPECT_GT(dialogs.progresses[1].furthest, 0);
    EXPECT_TRUE(test::readFile(folder.file("map.htm")).contains("/p19999.htm"));
}

TEST_F(SiteMapRun, WritesShowsAndDeclinesTheUpload) {
    const QString path = folder.file("my map.htm");
    dialogs.files.push_back(path);
    CreateSiteMap_Click(nodes, "Acme", services());
    EXPECT_EQ(test::readFile(path),
              (buildSiteMapHtml("http://a.example", "Acme", {"/index.htm"}) + "\r\n").toUtf8());
    EXPECT_EQ(browser.navigations, QStringList{QUrl::fromLocalFile(path).toString()});
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(inet.puts.isEmpty());
}

TEST_F(SiteMapRun, UploadsUnderTheStampedName) {
    const QString path = folder.file("map.htm");
    dialogs.files.push_back(path);
    dialogs.answers.push_back(MsgAnswer::Yes);
    SiteMapServices s = services();
    QRandomGenerator random(1);
    s.randomValue = [&random] { return siteMapRandomValue(random); };
    s.now = [] { return QDateTime::currentDateTime(); };
    CreateSiteMap_Click(nodes, "", s);
    ASSERT_EQ(inet.puts.size(), 1);
    EXPECT_EQ(inet.puts[0][0], path);
    EXPECT_TRUE(QRegularExpression("^/Tallowby/QELS/uploads/SM-\\d{8}-\\d\\d\\.htm$")
                    .match(inet.puts[0][1])
                    .hasMatch())
        << inet.puts[0][1].toStdString();
    EXPECT_EQ(dialogs.lastText(), "Successfully sent file to Tallowby.");
}

TEST_F(SiteMapRun, RefusedConnectionAndBusyControlAreToldOthersLogged) {
    const QString path = folder.file("map.htm");
    for (long number : {err::kCannotConnect, err::kTransferBusy, 12002L}) {
        dialogs.files.push_back(path);
        dialogs.answers.push_back(MsgAnswer::Yes);
        inet.throwNumber = number;
        CreateSiteMap_Click(nodes, "", services());
    }
    const std::vector<QString> texts = dialogs.texts();
    ASSERT_EQ(texts.size(), 5u);  // three questions, two messages
    EXPECT_EQ(texts[1], "Unable to connect to the Tallowby servers.\r\nPlease try again later.");
    EXPECT_EQ(texts[3], "Please try again later.");
    EXPECT_TRUE(folder.errorLog().contains(",CreateSiteMap_Click,12002,'refused',"));

    // A file that cannot be written is logged and told, with the reason, and
    // nothing follows (no upload question).
    dialogs.files.push_back(folder.file("missing/map.htm"));
    CreateSiteMap_Click(nodes, "", services());
    ASSERT_EQ(dialogs.texts().size(), 6u);
    EXPECT_TRUE(dialogs.lastText().startsWith("The site map could not be saved"));
    EXPECT_TRUE(dialogs.lastText().contains("missing/map.htm"));
    EXPECT_TRUE(folder.errorLog().contains(",CreateSiteMap_Click,76,"));
}

TEST(SiteMapRandom, StaysWithinOneTo99AndRepeatsPerSeed) {
    QRandomGenerator a(7), b(7);
    for (int i = 0; i < 500; ++i) {
        const int v = siteMapRandomValue(a);
        ASSERT_GE(v, 1);
        ASSERT_LE(v, 99);
        ASSERT_EQ(v, siteMapRandomValue(b));
    }
}
