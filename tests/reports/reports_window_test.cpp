// The reports as the main window offers them: the Tools menu's report
// dialog with its preview, the latest change request of the page, and the
// directory update URL's buttons on the Configuration tab.
#include <gtest/gtest.h>
#include <listcaster/ctlRowporter.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "window/MainModule.h"
#include "window/frmMain.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"

using namespace fd;

namespace {

class ReportsInMainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        StartOptions o;
        o.programFolder = folder.path();
        o.dataDir = test::deliveredData();
        app = Main(o, dialogs, [this] { return browser = new test::FakeBrowser; });
        ASSERT_TRUE(app);
    }
    void TearDown() override { app.reset(); }
    frmMain& window() { return *app->mainWindow; }
    template <typename T>
    T* child(const char* name) {
        auto* w = window().findChild<T*>(QString::fromUtf8(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    void logChange(const QString& page, const QString& title, int daysAgo) {
        folder.exec(
            QStringLiteral("INSERT INTO WebPageUpdateRequests (SubmissionDate, WebSiteID, "
                           "RootWebSite, WebPage, PageTitle, Revisit, Author, "
                           "Description, Keywords) VALUES ('%1', 1, 'http://a.example', "
                           "'%2', '%3', 'r', 'au', 'd', 'k')")
                .arg(QDate::currentDate().addDays(-daysAgo).toString(Qt::ISODate), page, title));
    }

    test::TestFolder folder;
    test::FakeDialogs dialogs;
    test::FakeBrowser* browser = nullptr;
    std::unique_ptr<Application> app;
};

}  // namespace

TEST_F(ReportsInMainWindow, CreateReportsOpensTheDialogAndViewReportThePreview) {
    logChange("http://a.example/x.html", "X", 1);
    logChange("http://a.example/y.html", "Y", 2);
    int previewRows = -1;
    bool controlShownAndBound = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->objectName(), "frmSendReport");
        QTimer::singleShot(0, [&, dialog] {
            auto* preview = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (preview && preview->objectName() == "frmChangeRequestPreview") {
                previewRows =
                    preview->findChild<QTreeWidget*>("lvwChangeRequestReport")->topLevelItemCount();
                auto* control = preview->findChild<listcaster::ctlRowporter*>("ctlRowporter");
                auto* print = control->findChild<QToolButton*>("btnPrint");
                controlShownAndBound = control->isVisible() && print && print->isEnabled();
                preview->reject();
            }
            dialog->reject();
        });
        dialog->findChild<QPushButton*>("cmdPreviewReport")->click();
    });
    child<QAction>("SendChangeReport")->trigger();
    EXPECT_EQ(previewRows, 2);
    EXPECT_TRUE(controlShownAndBound);
}

TEST_F(ReportsInMainWindow, ViewLatestChangeRequestFillsThePageDetails) {
    logChange("http://a.example/x.html", "Older", 3);
    logChange("http://a.example/x.html", "Newer", 1);
    logChange("http://a.example/x.html", "Oldest", 5);
    child<QLineEdit>("txtCurrentURL")->setText("http://a.example/x.html");
    child<QPushButton>("cmdViewLatestChangeRequest")->click();
    EXPECT_EQ(child<QLineEdit>("txtWebPageTitle")->text(), "Newer");
    EXPECT_EQ(child<QLineEdit>("txtPageAuthor")->text(), "au");
    // An address holding a double quote is a value, not a broken statement.
    child<QLineEdit>("txtCurrentURL")->setText("http://a.example/\"q\".html");
    child<QPushButton>("cmdViewLatestChangeRequest")->click();
    EXPECT_EQ(child<QLineEdit>("txtWebPageTitle")->text(), "Newer");
    EXPECT_FALSE(folder.errorLog().contains("cmdViewLatestChangeRequest"));
}

TEST_F(ReportsInMainWindow, UpdateDirectoryListAsksForTheUrlOrOpensIt) {
    auto* url = child<QLineEdit>("txtReportGeneratorURL");
    url->clear();
    child<QPushButton>("cmdReportGenerator")->click();
    EXPECT_EQ(dialogs.lastText(),
              "You must enter the URL of your Directory Listing URL as "
              "supplied by your webmaster.");
    url->setText("http://a.example/dir.cgi");
    child<QToolButton>("imgGoToUpdateURL")->click();
    EXPECT_EQ(browser->navigations.last(), "http://a.example/dir.cgi");
}
