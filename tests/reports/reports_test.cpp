// The report dialog and its two preview windows, driven offscreen on a fresh
// program folder: what the lists show, the report files' bytes, the export
// copy, the upload of the report and the checks on the dialog's values.
#include <gtest/gtest.h>
#include <listcaster/ctlRowporter.h>

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include "listcaster/RecordingPrinter.h"
#include "reports/ReportLogic.h"
#include "reports/ReportPreviews.h"
#include "reports/Upload.h"
#include "reports/frmSendReport.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"

using namespace fd;

namespace {

class ScriptedTransfer : public InetTransfer {
public:
    QByteArray openUrl(const QString&) override { return {}; }
    void startPut(const QString&, const QString&, const QString&, const QString& local,
                  const QString& remote) override {
        puts << QStringList{local, remote};
    }
    bool stillExecuting() const override { return false; }
    int responseCode() const override { return 0; }
    QString responseInfo() const override { return {}; }
    QList<QStringList> puts;
};

const QString kRootA = QStringLiteral("http://a.example");
const QString kRootB = QStringLiteral("http://b.example");

class Reports : public ::testing::Test {
protected:
    void SetUp() override {
        auto change = [this](const char* date, const QString& root, const QString& page,
                             const char* title) {
            folder.exec(QStringLiteral("INSERT INTO WebPageUpdateRequests (SubmissionDate, "
                                       "WebSiteID, RootWebSite, WebPage, PageTitle, Revisit, "
                                       "Author, Description, Keywords) VALUES ('%1', 1, '%2', "
                                       "'%3', '%4', '7 days', 'Ann|Lee', 'Desc|x', 'k1,k2')")
                            .arg(QString::fromUtf8(date), root, page, QString::fromUtf8(title)));
        };
        change("2026-03-02 00:00:00", kRootA, kRootA + "/about.html", "About|Us");
        change("2026-03-05 00:00:00", kRootB, "http://elsewhere.example/x.html", "Other");
        change("2026-04-20 00:00:00", kRootA, kRootA + "/late.html", "Late");
        dialog = std::make_unique<frmSendReport>(ReportServices{
            folder.globals(), dialogs, QStringLiteral("boss@a.example"),
            [this]() -> InetTransfer* { return &transfer; },
            [this]() -> PrinterDevice* { return &printer; }, QStringLiteral("AB12")});
        setRange(QDateTime(QDate(2026, 3, 1), QTime(0, 0)),
                 QDateTime(QDate(2026, 3, 31), QTime(23, 0)));
    }
    template <typename T>
    T* child(const char* name) {
        auto* w = dialog->findChild<T*>(QString::fromUtf8(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    void setRange(const QDateTime& from, const QDateTime& to) {
        child<QDateTimeEdit>("dtChangesFrom")->setDateTime(from);
        child<QDateTimeEdit>("dtChangesTo")->setDateTime(to);
    }
    void selectSite(const QString& root) {
        auto* list = child<QListWidget>("lstWebSiteFilter");
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->text() == root) list->item(i)->setSelected(true);
    }
    static QStringList row(QTreeWidget* list, int r) {
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c) cells << list->topLevelItem(r)->text(c);
        return cells;
    }

    test::TestFolder folder;
    test::FakeDialogs dialogs;
    ScriptedTransfer transfer;
    listcaster::test::RecordingPrinter printer;
    std::unique_ptr<frmSendReport> dialog;
};

}  // namespace

TEST(ReportQueries, SiteFilterIsOptionalAndQuotesTheSites) {
    ReportFilter f{QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)),
                   QDateTime(QDate(2026, 12, 8), QTime(0, 0)),
                   {}};
    EXPECT_TRUE(changeRequestQuery(f).endsWith(
        "where  ((SubmissionDate between #12/7/2026 14:05:09# And #12/8/2026 0:00:00#) ) order "
        "by SubmissionDate"));
    f.sites = {QStringLiteral("http://x"), QStringLiteral("http://\"q\"")};
    EXPECT_TRUE(changeRequestQuery(f).endsWith(
        "#)  AND (RootWebSite=\"http://x\"  OR RootWebSite=\"http://\"\"q\"\"\" )) order by "
        "SubmissionDate"));
    EXPECT_TRUE(submissionQuery(f).endsWith(
        "OR WebSiteBaseURL=\"http://\"\"q\"\"\" ))order by Submissions.SubmitDate, "
        "SearchEngines.SearchEngineName"));
}

TEST(ReportLayout, ColumnWidthsFollowTheAverageAboveNineHundred) {
    EXPECT_FALSE(changeRequestColumnWidths(7200));  // avg 900
    // 8 columns over 9620 twips: 1202.5 rounds to 1202 (half to even).
    EXPECT_EQ(*changeRequestColumnWidths(9620),
              (std::vector<int>{302, 2102, 2102, 1202, 2102, 1202, 302, 302}));
    EXPECT_EQ(submissionLastColumnWidth(3000, 1200, 2400), 50);
    EXPECT_EQ(submissionLastColumnWidth(6000, 1200, 2400), 2400);
}

TEST_F(Reports, DialogOpensWithReversedSitesHiddenSubmitAndTheReportAddress) {
    auto* sites = child<QListWidget>("lstWebSiteFilter");
    ASSERT_EQ(sites->count(), 2);
    // The distinct roots in the reverse of the query's order.
    QStringList queried;
    for (RecordsetPtr rs =
             folder.globals().gDB->query("Select distinct RootWebSite from WebPageUpdateRequests");
         !rs->eof(); rs->moveNext())
        queried.prepend(rs->field(0));
    EXPECT_EQ(QStringList({sites->item(0)->text(), sites->item(1)->text()}), queried);
    EXPECT_TRUE(child<QPushButton>("cmdSendChangeRequestReport")->isHidden());
    EXPECT_EQ(child<QLineEdit>("txtSendReportTo")->text(), "boss@a.example");
    // The pickers keep the time of day.
    EXPECT_EQ(dialog->filter().to.time(), QTime(23, 0));
}

TEST_F(Reports, ChangeRequestReportListsTheRangeAndWritesTheFile) {
    auto* preview = dialog->changeRequestPreview();
    auto* list = preview->list();
    preview->populateChangeRequestPreview();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_FALSE(preview->rowporter()->isHidden());
    // The root is taken out of the page; a page elsewhere stays whole; "|"
    // stays in the list.
    EXPECT_EQ(row(list, 0).mid(1), QStringList({kRootA, "/about.html", "About|Us", "Desc|x",
                                                "k1,k2", "7 days", "Ann|Lee"}));
    EXPECT_EQ(row(list, 1)[2], "http://elsewhere.example/x.html");
    EXPECT_EQ(list->topLevelItem(0)->data(0, Qt::UserRole).toDateTime().date(), QDate(2026, 3, 2));
    EXPECT_EQ(test::readFile(folder.file("changelog.txt")),
              "Date|Root|SubmitPage|Title|Revisit|Author|Description|Keywords\r\n"
              "03/02/26|http://a.example|http://a.example/about.html|About:Us|7 days|Ann:Lee|"
              "Desc:x|k1,k2\r\n"
              "03/05/26|http://b.example|http://elsewhere.example/x.html|Other|7 days|Ann:Lee|"
              "Desc:x|k1,k2\r\n");

    // Only the selected site.
    selectSite(kRootB);
    preview->populateChangeRequestPreview();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(row(list, 0)[1], kRootB);

    // A range without rows: the header alone, the control hidden.
    setRange(QDateTime(QDate(2025, 1, 1), QTime(0, 0)), QDateTime(QDate(2025, 2, 1), QTime(0, 0)));
    preview->populateChangeRequestPreview();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_TRUE(preview->rowporter()->isHidden());
    EXPECT_EQ(test::readFile(folder.file("changelog.txt")),
              "Date|Root|SubmitPage|Title|Revisit|Author|Description|Keywords\r\n");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Reports, ReportFileThatCannotBeWrittenIsLoggedAndExplained) {
    ASSERT_TRUE(QDir(folder.path()).mkdir("changelog.txt"));
    dialog->changeRequestPreview()->populateChangeRequestPreview();
    EXPECT_EQ(dialogs.lastText(),
              "Could not create files. Please check to make sure your "
              "Program folder is not 'Read Only'.");
    EXPECT_TRUE(folder.errorLog().contains("populateChangeRequestPreview"));
}

TEST_F(Reports, ColumnClicksToggleTheOrderWhicheverColumn) {
    auto* preview = dialog->changeRequestPreview();
    auto* list = preview->list();
    preview->populateChangeRequestPreview();
    auto firstTitle = [&] { return list->topLevelItem(0)->text(3); };
    emit list->header()->sectionClicked(3);  // descending first
    EXPECT_EQ(firstTitle(), "Other");
    emit list->header()->sectionClicked(3);
    EXPECT_EQ(firstTitle(), "About|Us");
    emit list->header()->sectionClicked(1);  // another column: descending again
    EXPECT_EQ(row(list, 0)[1], kRootB);
}

TEST_F(Reports, EndDateBeforeStartIsRefusedWhenTheEndPickerLosesFocus) {
    auto* to = child<QDateTimeEdit>("dtChangesTo");
    auto loseFocus = [&] {
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(to, &out);
    };
    const QDateTime day(QDate(2026, 3, 10), QTime(12, 0));
    setRange(day, day);
    loseFocus();
    EXPECT_TRUE(dialogs.messages.empty());
    setRange(day.addDays(1), day);
    loseFocus();
    EXPECT_EQ(dialogs.lastText(), "Please select an End Date after the Start date.");
}

TEST_F(Reports, ExportCopiesTheChosenReportOverAnExistingFile) {
    const QString target = folder.file("out.txt");
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("a much longer earlier file that must be replaced entirely");
    old.close();
    dialogs.files.push_back(target);
    dialog->cmdCreateChangeReport_Click();
    EXPECT_EQ(test::readFile(target), test::readFile(folder.file("changelog.txt")));
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].filter, "Text (*.txt)|*.txt|");
    EXPECT_TRUE(dialogs.fileRequests[0].overwritePrompt);

    // Choosing the report file itself leaves it intact.
    dialogs.files.push_back(folder.file("changelog.txt"));
    dialog->cmdCreateChangeReport_Click();
    EXPECT_EQ(test::readFile(target), test::readFile(folder.file("changelog.txt")));
}

TEST_F(Reports, SubmitUploadsTheChosenReportUnderItsName) {
    dialog->cmdSendChangeRequestReport_Click();
    child<QComboBox>("cboReportList")->setCurrentIndex(1);
    dialog->cmdSendChangeRequestReport_Click();
    ASSERT_EQ(transfer.puts.size(), 2);
    EXPECT_EQ(transfer.puts[0],
              QStringList({folder.file("changelog.txt"), kUploadFolder + "UR-AB12.txt"}));
    EXPECT_EQ(transfer.puts[1],
              QStringList({folder.file("submissionlog.txt"), kUploadFolder + "SR-AB12.txt"}));
    EXPECT_EQ(dialogs.lastText(), "Successfully sent file to Tallowby.");
}

TEST_F(Reports, SubmissionReportCutsAddressesAndFiltersBySite) {
    const QString base60 = "http://s.example/" + QString(43, u'b');
    const QString page60 = QString(40, u'p') + QString(20, u'z');
    folder.exec(QStringLiteral("INSERT INTO WebSiteNames (WebSiteNameID, WebSiteID, "
                               "WebSiteBaseURL) VALUES (1, 1, '%1'), (2, 2, '%2')")
                    .arg(base60, kRootB));
    folder.exec(QStringLiteral("INSERT INTO WebSitePages (WebSitePageID, WebSiteID, PageURL) "
                               "VALUES (1, 1, '%1'), (2, 1, 'http://full.example/p.html')")
                    .arg(page60));
    const QString engine = folder.scalar("SELECT SearchEngineID FROM SearchEngines LIMIT 1");
    const QString name = folder.scalar("SELECT SearchEngineName FROM SearchEngines LIMIT 1");
    folder.exec(QStringLiteral("INSERT INTO Submissions (SubmitDate, WebSiteID, WebSiteNameID, "
                               "WebSitePageID, SearchEngineID) VALUES "
                               "('2026-03-04 10:00:00', 1, 1, 1, %1), "
                               "('2026-03-09 11:30:00', 1, 1, 2, %1), "
                               "('2026-03-10 09:00:00', 2, 2, 2, %1)")
                    .arg(engine));
    // What the engines answered, for two of the three.
    folder.exec(
        "INSERT INTO SubmissionAnswers (SubmissionID, HTTPStatus, Accepted, AnswerText) "
        "VALUES (1, NULL, 0, 'No answer'), (3, 202, 1, 'Received')");
    auto* preview = dialog->submissionPreview();
    auto* list = preview->list();
    preview->populateSubmissionPreview();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_FALSE(preview->rowporter()->isHidden());
    // 60 + 60 characters: the first 100, in the list and in the file.
    EXPECT_EQ(row(list, 0),
              QStringList({"03/04/26", name, base60 + QString(40, u'p'), "No answer"}));
    // A full page address after the base shows alone; the file keeps both.
    EXPECT_EQ(row(list, 1)[2], "http://full.example/p.html");
    EXPECT_EQ(row(list, 1)[3], "");
    EXPECT_EQ(row(list, 2)[3], "202 Received");
    const QByteArray file = test::readFile(folder.file("submissionlog.txt"));
    EXPECT_TRUE(file.startsWith("Date|SearchEngineName|URL\r\n03/04/26|" + name.toUtf8() + "|" +
                                (base60 + QString(40, u'p')).toUtf8() + "\r\n03/09/26|"));
    EXPECT_TRUE(file.contains("|" + base60.toUtf8() + "http://full.example/p.html\r\n"));
    EXPECT_FALSE(file.contains("Received"));  // the answers stay out of the report file

    // The dialog's site list holds the change requests' roots.
    selectSite(kRootB);
    preview->populateSubmissionPreview();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(row(list, 0)[0], "03/10/26");

    // A column click sorts, then prints the headers and at most three rows.
    emit list->header()->sectionClicked(0);
    QStringList printed;
    for (const auto& op : printer.texts()) printed << op.text;
    EXPECT_EQ(printed, QStringList({"Date", "Search Engine", "Web Page", "Answer", "03/10/26", name,
                                    "http://full.example/p.html", "202 Received"}));

    // A database without the answer table still gives its report.
    folder.exec("DROP TABLE SubmissionAnswers");
    preview->populateSubmissionPreview();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(row(list, 0)[3], "");
}
