// The site selection: chosen by name and root URL as the command line
// chooses, kept in step with the Configuration tab's boxes, and the page
// list saved through it, whose failure to be remembered is now logged.
#include <QFileInfo>

#include "SitesFixture.h"
#include "core/DatabaseConnection.h"
#include "sites/PageList.h"
#include "sites/SiteSelection.h"

using namespace fd;
using namespace fd::test;

namespace {

class SiteSelectionTest : public SitesFixture {
protected:
    void SetUp() override {
        folder.exec(QStringLiteral("insert into WebSites (WebSiteGenericName, LastListFile) values "
                                   "('Alpha', ''), ('Acme', '%1')")
                        .arg(writeList(QStringLiteral("acme.wsr"), "a.htm\r\nb.htm\r\n")));
        folder.exec(QStringLiteral(
            "insert into WebSiteNames (WebSiteID, WebSiteBaseURL, WebSiteEmailAddress, "
            "WebSiteSubmitterName, CountryCode, Industry) values "
            "(2, 'http://acme.example/', 'web@acme.example', 'Ann', 'IE', 'Retail'), "
            "(2, 'http://shop.acme.example/', 'shop@acme.example', 'Bob', 'GB', 'Software')"));
    }
};

}  // namespace

TEST_F(SiteSelectionTest, chosenByNameAndRootUrl_withItsStoredDetailsAndPages) {
    sites::SiteSelection s(*folder.globals().gDB, folder.path());
    EXPECT_FALSE(s.chooseSite(QStringLiteral("acme")));  // names are exact
    EXPECT_FALSE(s.siteSelected());
    ASSERT_TRUE(s.chooseSite(QStringLiteral("Acme")));
    // Its position is the one the site box gives it (the database's order).
    const std::vector<sites::SiteRecord> list = s.siteList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[static_cast<std::size_t>(s.selectedSiteIndex())].name, QStringLiteral("Acme"));
    EXPECT_EQ(s.selectedWebSiteId(), 2);
    EXPECT_EQ(s.pages(), (QStringList{"a.htm", "b.htm"}));

    ASSERT_TRUE(s.chooseRoot());  // the site's first
    EXPECT_EQ(s.rootUrl(), QStringLiteral("http://acme.example/"));
    EXPECT_EQ(s.submitterName() + u' ' + s.countryCode() + u' ' + s.industry(),
              QStringLiteral("Ann IE Retail"));
    ASSERT_TRUE(s.chooseRoot(QStringLiteral("http://shop.acme.example/")));
    EXPECT_EQ(s.submitterEmail(), QStringLiteral("shop@acme.example"));
    EXPECT_FALSE(s.chooseRoot(QStringLiteral("http://elsewhere.example/")));
    EXPECT_FALSE(s.rootSelected());
    EXPECT_EQ(s.submitterName(), QString());

    EXPECT_EQ(QFileInfo(s.listFilePath()).fileName(), QStringLiteral("2_Acme.wsr"));
}

TEST_F(SiteSelectionTest, followsTheConfigurationTabsBoxes) {
    sites::SiteSelection& s = config->selection();
    int changes = 0;
    QObject::connect(&s, &sites::SiteSelection::chosen, [&] { ++changes; });
    config->UpdateWebSiteNameList(QStringLiteral("Acme"));
    ASSERT_TRUE(s.site());
    EXPECT_EQ(s.site()->name, QStringLiteral("Acme"));
    EXPECT_EQ(s.selectedSiteIndex(), config->siteIndex());
    ASSERT_TRUE(s.root());
    EXPECT_EQ(s.root()->url, QStringLiteral("http://acme.example/"));
    EXPECT_GT(changes, 0);

    // Typing another root URL leaves the entry: no root URL is chosen, and
    // the site stays; typing another name leaves the site too.
    typeInto(rootBox(), QStringLiteral("http://new.example/"));
    EXPECT_FALSE(s.root());
    EXPECT_TRUE(s.site());
    typeInto(siteBox(), QStringLiteral("Acme Two"));
    EXPECT_FALSE(s.site());
    EXPECT_EQ(config->selectedWebSiteId(), s.selectedWebSiteId());
}

// Saving the configuration writes the tree's list file and then remembers it
// in the site's row; when the row cannot take it, the save is logged under
// its routine instead of passing for done.
TEST_F(SiteSelectionTest, pageListSaveThatIsNotRememberedIsLogged) {
    config->UpdateWebSiteNameList(QStringLiteral("Acme"));
    ASSERT_EQ(tree->pages(), (QStringList{"a.htm", "b.htm"}));
    db::Connection(folder.globals().gDB->databasePath(), QStringLiteral("Test"))
        .exec(
            "CREATE TRIGGER KeepListFile BEFORE UPDATE OF LastListFile ON WebSites "
            "BEGIN SELECT RAISE(ABORT, 'the list file cannot be remembered'); END");
    click("cmdSaveSettings");
    const QString saved = folder.file(QStringLiteral("2_Acme.wsr"));
    EXPECT_EQ(sites::readPageListFile(saved), (QStringList{"a.htm", "b.htm"}));
    EXPECT_TRUE(folder.errorLog().contains(QStringLiteral("UpdateWebSiteConfiguration")))
        << folder.errorLog().toStdString();
    EXPECT_TRUE(folder.errorLog().contains(QStringLiteral("the list file cannot be remembered")))
        << folder.errorLog().toStdString();
    EXPECT_NE(sql(QStringLiteral("select LastListFile from WebSites where WebSiteID = 2")), saved);
}
