// The Configuration tab driven offscreen: sites and root URLs created and
// selected, the cascade into details, industry and page list, the saves, the
// country code and the root box's validation.
#include <QFocusEvent>
#include <QLabel>
#include <QTest>

#include "SitesFixture.h"

using namespace fd;
using namespace fd::test;

namespace {

class ConfigurationTabTest : public SitesFixture {
protected:
    int count(const QString& table) {
        return sql(QStringLiteral("select count(*) from ") + table).toInt();
    }
    void leaveRootBox() {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(rootBox(), &out);
    }
    void fillDetails(const QString& submitter) {
        edit("txtEmail")->setText(QStringLiteral("me@example.org"));
        edit("txtSubmittersName")->setText(submitter);
        edit("txtCountryCode")->setText(QStringLiteral("NZ"));
        edit("txtReportEmail")->setText(QStringLiteral("boss@example.org"));
        edit("txtReportGeneratorURL")->setText(QStringLiteral("http://example.org/dir"));
        child<QComboBox>("cmdIndustryList")->setCurrentText(QStringLiteral("Publishing"));
    }
};

TEST_F(ConfigurationTabTest, addSite_duplicatesIgnoreCaseAndBlanks_andQuotesAreStored) {
    config->UpdateIndustryList(QString());
    addSite(QStringLiteral("  "));
    EXPECT_EQ(dialogs.lastText(), QStringLiteral("You must enter the name of the new web site."));
    EXPECT_EQ(dialogs.messages.back().title, QStringLiteral("Farrowdale"));

    addSite(QStringLiteral("O'Brien's \"Pub\""));
    addSite(QStringLiteral("Other"));
    ASSERT_EQ(count("WebSites"), 2);
    EXPECT_EQ(sql("select WebSiteGenericName from WebSites where WebSiteID = 1"),
              QStringLiteral("O'Brien's \"Pub\""));
    EXPECT_EQ(config->siteText(), QStringLiteral("Other"));

    addSite(QStringLiteral("  o'brien's \"PUB\" "));
    EXPECT_EQ(count("WebSites"), 2);
    EXPECT_EQ(config->siteIndex(), 0);
    EXPECT_EQ(config->selectedWebSiteId(), 1);
    EXPECT_FALSE(child<QPushButton>("cmdAddSite")->isEnabled());
    EXPECT_EQ(folder.errorLog(), QString());
}

TEST_F(ConfigurationTabTest, addUrl_checksAndDuplicates) {
    addUrl(QStringLiteral("http://a.example/"));
    EXPECT_EQ(dialogs.lastText(),
              QStringLiteral("Please select a Web Site to add this URL to first."));
    addSite(QStringLiteral("Site"));
    addUrl(QString());
    EXPECT_EQ(dialogs.lastText(), QStringLiteral("Please enter the URL you would like to add."));
    addUrl(QStringLiteral("ftp://files.example/"));
    EXPECT_EQ(dialogs.lastText(),
              QStringLiteral("Please enter a valid URL. Must begin with 'http'."));
    EXPECT_EQ(count("WebSiteNames"), 0);

    const size_t shown = dialogs.messages.size();
    addUrl(QStringLiteral("HTTP://A.example/"));
    EXPECT_EQ(config->rootText(), QStringLiteral("HTTP://A.example/"));
    EXPECT_TRUE(config->rootSelected());
    addUrl(QStringLiteral("http://a.EXAMPLE/ "));  // already there: silently not added
    EXPECT_EQ(dialogs.messages.size(), shown);
    EXPECT_EQ(count("WebSiteNames"), 1);
}

TEST_F(ConfigurationTabTest, submitterApostrophe_keptOnAddAndOnSave) {
    config->UpdateIndustryList(QString());
    addSite(QStringLiteral("Site"));
    fillDetails(QStringLiteral("Seán O'Neill"));
    addUrl(QStringLiteral("http://a.example/"));
    EXPECT_EQ(sql("select WebSiteSubmitterName from WebSiteNames"), QStringLiteral("Seán O'Neill"));
    EXPECT_EQ(sql("select Industry from WebSiteNames"), QStringLiteral("Publishing"));

    edit("txtSubmittersName")->setText(QStringLiteral("Dara \"D\" O'Neill"));
    edit("txtEmail")->setText(QStringLiteral("o'neill@example.org"));
    click("cmdSaveSettings");
    EXPECT_EQ(sql("select WebSiteSubmitterName from WebSiteNames"),
              QStringLiteral("Dara \"D\" O'Neill"));
    EXPECT_EQ(sql("select WebSiteEmailAddress from WebSiteNames"),
              QStringLiteral("oneill@example.org"));
    EXPECT_EQ(folder.errorLog(), QString());
}

TEST_F(ConfigurationTabTest, saveWithoutSelectedRoot_writesNoUpdate) {
    addSite(QStringLiteral("Site"));
    addUrl(QStringLiteral("http://a.example/"));
    rootBox()->setEditText(QStringLiteral("http://typed.example/"));
    edit("txtSubmittersName")->setText(QStringLiteral("Changed"));
    config->UpdateWebSiteConfiguration();
    EXPECT_EQ(sql("select WebSiteSubmitterName from WebSiteNames"), QString());
}

TEST_F(ConfigurationTabTest, selectingSite_cascadesToRootDetailsIndustryAndPageList) {
    folder.exec(QStringLiteral("insert into WebSites (WebSiteGenericName, LastListFile) values "
                               "('First', ''), ('Second', '%1')")
                    .arg(writeList(QStringLiteral("second.wsr"), "a.htm\r\nb.asp\r\n")));
    folder.exec(QStringLiteral(
        "insert into WebSiteNames (WebSiteID, WebSiteBaseURL, WebSiteSubmitterName, CountryCode, "
        "Industry) values (2, 'http://s2a.example/', 'Ann', 'AU', 'Retail'), "
        "(2, 'http://s2b.example/', 'Bob', 'BE', 'Software'), "
        "(1, 'http://s1.example/', 'Cy', 'CY', 'Energy and Utilities')"));
    config->UpdateWebSiteNameList(QStringLiteral("Second"));
    EXPECT_EQ(config->siteIndex(), 1);
    EXPECT_EQ(config->rootText(), QStringLiteral("http://s2a.example/"));
    EXPECT_EQ(edit("txtSubmittersName")->text(), QStringLiteral("Ann"));
    EXPECT_EQ(config->industry(), QStringLiteral("Retail"));
    EXPECT_EQ(tree->rootNode()->text(0), QStringLiteral("http://s2a.example/"));
    EXPECT_EQ(tree->pages(), (QStringList{"a.htm", "b.asp"}));

    // The named root URL is selected when it is in the list.
    config->UpdateWebSiteRootList(QStringLiteral("http://s2b.example/"), 2);
    EXPECT_EQ(edit("txtCountryCode")->text(), QStringLiteral("BE"));
    EXPECT_EQ(config->industry(), QStringLiteral("Software"));

    // A user's pick of the other site resets the tree: that site has no list.
    siteBox()->setCurrentIndex(0);
    emit siteBox()->activated(0);
    EXPECT_EQ(config->rootText(), QStringLiteral("http://s1.example/"));
    EXPECT_EQ(tree->nodeCount(), 1);
    EXPECT_EQ(tree->rootNode()->text(0), QStringLiteral("http://s1.example/"));

    // An industry that is not in the list selects nothing.
    config->UpdateIndustryList(QStringLiteral("Piracy"));
    EXPECT_EQ(config->industry(), QString());
    EXPECT_EQ(folder.errorLog(), QString());
}

TEST_F(ConfigurationTabTest, countryCode_cutToTenCharacters) {
    QLineEdit* cc = edit("txtCountryCode");
    QTest::keyClicks(cc, QStringLiteral("ABCDEFGHIJKLMN"));
    EXPECT_EQ(cc->text(), QStringLiteral("ABCDEFGHIJ"));
    EXPECT_EQ(cc->cursorPosition(), 10);

    emit child<QLabel>("lblLookUpCountryCode")->linkActivated(QStringLiteral("#"));
    QTest::mouseClick(child<QLabel>("lblCountryCode"), Qt::LeftButton);
    ASSERT_EQ(hub.navigations.size(), 2);
    EXPECT_TRUE(hub.navigations[0].startsWith(QStringLiteral("file:")));
    EXPECT_TRUE(hub.navigations[0].endsWith(QStringLiteral("/Country_Codes.html")));
    EXPECT_EQ(hub.navigations[1], hub.navigations[0]);
}

TEST_F(ConfigurationTabTest, rootValidation_messageOnlyForSlashesWithoutHttp) {
    rootBox()->setEditText(QStringLiteral("www.example.org"));
    leaveRootBox();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(hub.address.text(), QStringLiteral("www.example.org"));
    EXPECT_EQ(tree->rootNode()->text(0), QStringLiteral("www.example.org"));

    rootBox()->setEditText(QStringLiteral(" //www.example.org"));
    leaveRootBox();
    EXPECT_EQ(dialogs.lastText(),
              QStringLiteral("Please fix your Web Site Root to include 'http://'"));
    EXPECT_EQ(hub.address.text(), QStringLiteral(" //www.example.org"));

    rootBox()->setEditText(QStringLiteral("HTTP://www.example.org"));
    leaveRootBox();
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(ConfigurationTabTest, rootEnter_setsAddressAndRootNodeAndGoes) {
    config->UpdateWebSiteNameList(QString());
    pages->cmdClearFilesList_Click();
    EXPECT_EQ(tree->rootNode()->text(0), QStringLiteral("http://www.yoursite.com/"));
    rootBox()->setEditText(QStringLiteral("http://typed.example/"));
    QTest::keyClick(rootBox(), Qt::Key_Return);
    EXPECT_EQ(tree->rootNode()->text(0), QStringLiteral("http://typed.example/"));
    EXPECT_EQ(hub.wentTo, QStringList{"http://typed.example/"});
}

TEST_F(ConfigurationTabTest, settingsRow_storedAsTyped) {
    addSite(QStringLiteral("Joe's \"Diner\""));
    addUrl(QStringLiteral("http://joes.example/"));
    edit("txtCountryCode")->setText(QStringLiteral("US"));
    config->setLastReport(QStringLiteral("/tmp/it's \"here\".wsr"));
    config->saveSettingsRow();
    EXPECT_EQ(sql("select WebSiteGenericName from WebSiteConfiguration"),
              QStringLiteral("Joe's \"Diner\""));
    EXPECT_EQ(sql("select RootWebSiteAddress from WebSiteConfiguration"),
              QStringLiteral("http://joes.example/"));
    EXPECT_EQ(sql("select LastReport from WebSiteConfiguration"),
              QStringLiteral("/tmp/it's \"here\".wsr"));
    EXPECT_EQ(sql("select SubmittersCountryCode from WebSiteConfiguration"), QStringLiteral("US"));
}

}  // namespace
