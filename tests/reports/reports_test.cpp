// The report dialog and its two preview windows, driven offscreen on a fresh
// program folder: what the lists show, the report files' bytes, the export
// copy, the upload of the report and the checks on the dialog's values.
#include <gtest/gtest.h>
#include <listcaster/ctlRowporter.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "listcaster/RecordingPrinter.h"
#include "platform/Upload.h"
#include "reports/ReportLogic.h"
#include "reports/ReportPreviews.h"
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
        dialog = openDialog(dialogs);
        setRange(QDateTime(QDate(2026, 3, 1), QTime(0, 0)),
                 QDateTime(QDate(2026, 3, 31), QTime(23, 0)));
    }
    // A new report dialog, as "Create Reports" opens it.
    std::unique_ptr<frmSendReport> openDialog(Dialogs& with) {
        return std::make_unique<frmSendReport>(ReportServices{
            folder.globals(), with, QStringLiteral("boss@a.example"),
            [this]() -> InetTransfer* { return &transfer; },
            [this]() -> PrinterDevice* { return &printer; }, QStringLiteral("AB12")});
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
    // Whole days, whatever the pickers' time of day.
    EXPECT_TRUE(changeRequestQuery(f).endsWith(
        "where  ((SubmissionDate between #12/7/2026 0:00:00# And #12/8/2026 23:59:59#) ) order "
        "by SubmissionDate"));
    f.sites = {QStringLiteral("http://x"), QStringLiteral("http://\"q\"")};
    EXPECT_TRUE(changeRequestQuery(f).endsWith(
        "#)  AND (RootWebSite=\"http://x\"  OR RootWebSite=\"http://\"\"q\"\"\" )) order by "
        "SubmissionDate"));
    EXPECT_TRUE(submissionQuery(f).endsWith(
        "OR WebSiteBaseURL=\"http://\"\"q\"\"\" ))order by Submissions.SubmitDate, "
        "SearchEngines.SearchEngineName"));
}

TEST(ReportFiles, LineBreaksInADetailFieldKeepTheRecordOnOneLine) {
    const ChangeRequestRow r{QDateTime(QDate(2026, 3, 2), QTime(0, 0)),
                             "http://a.example",
                             "http://a.example/p.html",
                             "Two\r\nlines",
                             "7\rdays",
                             "Ann\nLee",
                             "a|b\n",
                             "k1,\r\n\r\nk2"};
    EXPECT_EQ(changeLogLine(r),
              "03/02/26|http://a.example|http://a.example/p.html|Two:lines|7:days|Ann:Lee|a:b:|"
              "k1,::k2\r\n");
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

// Requests are stored at midnight; the default range (the last 30 days up to
// now, with the time of day) still holds its first and its last day whole.
TEST_F(Reports, DefaultRangeHoldsItsFirstAndLastDayWhole) {
    const QDate today = QDate::currentDate();
    const QString root = QStringLiteral("http://days.example");
    for (const auto& [day, time] :
         {std::pair{today.addDays(-31), "23:59:59"}, std::pair{today.addDays(-30), "00:00:00"},
          std::pair{today, "00:00:00"}})
        folder.exec(QStringLiteral("INSERT INTO WebPageUpdateRequests (SubmissionDate, WebSiteID, "
                                   "RootWebSite, WebPage, PageTitle) VALUES ('%1 %2', 1, '%3', "
                                   "'%3/p.html', '%1')")
                        .arg(day.toString(Qt::ISODate), QString::fromLatin1(time), root));
    dialog = openDialog(dialogs);
    selectSite(root);
    auto* preview = dialog->changeRequestPreview();
    preview->populateChangeRequestPreview();
    ASSERT_EQ(preview->list()->topLevelItemCount(), 2);
    EXPECT_EQ(preview->list()->topLevelItem(0)->text(3), today.addDays(-30).toString(Qt::ISODate));
    EXPECT_EQ(preview->list()->topLevelItem(1)->text(3), today.toString(Qt::ISODate));
}

// "View Report" twice in one dialog: the second preview starts in query
// order, without a sort mark, as a new window would.
TEST_F(Reports, AReopenedPreviewStartsInQueryOrder) {
    QStringList firstTitles;
    QList<bool> marked;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* p = qobject_cast<frmChangeRequestPreview*>(QApplication::activeModalWidget());
        if (!p || !p->isVisible()) return;
        QTreeWidget* list = p->list();
        QHeaderView* header = list->header();
        firstTitles << list->topLevelItem(0)->text(3);
        marked << header->isSortIndicatorShown();
        // A real click on "Page Title": descending first.
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(3) + 10, header->height() / 2));
        firstTitles << list->topLevelItem(0)->text(3);
        p->reject();
    });
    watcher.start(20);
    for (int i = 0; i < 2; ++i) child<QPushButton>("cmdPreviewReport")->click();
    EXPECT_EQ(firstTitles, QStringList({"About|Us", "Other", "About|Us", "Other"}));
    EXPECT_EQ(marked, QList<bool>({false, false}));
}

// The end picker's calendar opens without any message, so a wrong end date
// can be mended there; leaving the picker checks once, with one message.
TEST_F(Reports, EndPickerCalendarOpensFreelyAndLeavingItChecksOnce) {
    QtDialogs real;
    dialog = openDialog(real);
    dialog->show();
    QApplication::setActiveWindow(dialog.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    auto* to = child<QDateTimeEdit>("dtChangesTo");
    const QDateTime day(QDate(2026, 3, 10), QTime(12, 0));
    setRange(day, day.addDays(-1));

    QStringList boxes;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes << box->text();
            box->accept();
        }
    });
    closer.start(20);

    to->setFocus();
    QStyleOptionComboBox arrow;
    arrow.initFrom(to);
    arrow.editable = true;
    arrow.subControls = QStyle::SC_All;
    const QRect r =
        to->style()->subControlRect(QStyle::CC_ComboBox, &arrow, QStyle::SC_ComboBoxArrow, to);
    QTest::mouseClick(to, Qt::LeftButton, {}, r.center());
    QCalendarWidget* calendar = to->calendarWidget();
    ASSERT_TRUE(QTest::qWaitFor([&] { return calendar->isVisible(); }, 5000));
    QTest::qWait(200);
    EXPECT_TRUE(boxes.isEmpty());
    // Two days on in the calendar, taken with Enter: after the start now.
    QWidget* keys = QApplication::focusWidget();
    ASSERT_TRUE(keys);
    QTest::keyClick(keys, Qt::Key_Right);
    QTest::keyClick(keys, Qt::Key_Right);
    QTest::keyClick(keys, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !calendar->isVisible(); }, 5000));
    EXPECT_EQ(to->date(), day.date().addDays(1));
    EXPECT_TRUE(boxes.isEmpty());

    // Before the start again, and Tab away (Tab first walks the picker's
    // day, month and year): one message, the focus kept.
    to->setDate(day.date().addDays(-2));
    to->setFocus();
    for (int i = 0; i < 4 && boxes.isEmpty(); ++i) QTest::keyClick(to, Qt::Key_Tab);
    QTest::qWait(300);
    EXPECT_EQ(boxes, QStringList({"Please select an End Date after the Start date."}));
    EXPECT_EQ(dialog->focusWidget(), to);
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
