// The audit window offscreen against the generated local site: a run fills
// both lists while the window stays responsive, the lists sort by number
// where a column holds numbers, each list has its export control bound, a
// double-click opens the page, and Cancel keeps what was finished.
#include <gtest/gtest.h>
#include <listcaster/ctlRowporter.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "audit/frmSiteAudit.h"
#include "sites/SiteDirectoryTree.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/PeerProcess.h"
#include "support/QtPrinters.h"
#include "support/TestFolder.h"
#include "window/MainModule.h"
#include "window/frmMain.h"

using namespace fd::audit;

namespace {

class AuditWindow : public ::testing::Test {
protected:
    void SetUp() override { startServer(); }

    void startServer() {
        server_ = std::make_unique<fd::test::PeerProcess>(
            QStringLiteral(FARROWDALE_TEST_FIXTURES "/audit_site.py"),
            QStringList{dir_.filePath(QStringLiteral("log")), dir_.path()});
        ASSERT_TRUE(server_->ok());
        root_ = QStringLiteral("http://127.0.0.1:%1/").arg(server_->port());
    }

    void openStandalone() {
        SiteAuditServices s;
        s.databasePath = folder_.globals().gDB->databasePath();
        s.log = folder_.globals().errorLog.get();
        s.openPage = [this](const QString& url) { opened_ << url; };
        window_ = std::make_unique<frmSiteAudit>(s);
        window_->show();
    }

    template <typename T>
    T* child(const char* name) const {
        return window_->findChild<T*>(QString::fromLatin1(name));
    }

    // Runs the audit through the Start button and waits for its end, the
    // event loop turning meanwhile.
    void runAudit(const QStringList& pages) {
        window_->setSite(root_, pages);
        clickStart(*window_);
    }
    static void clickStart(frmSiteAudit& w) {
        QSignalSpy done(&w, &frmSiteAudit::auditFinished);
        QTest::mouseClick(w.findChild<QPushButton*>("cmdStart"), Qt::LeftButton);
        ASSERT_TRUE(done.wait(60000));
    }

    QStringList column(QTreeWidget* list, int c) const {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i) out << list->topLevelItem(i)->text(c);
        return out;
    }

    QTemporaryDir dir_;
    fd::test::TestFolder folder_;
    std::unique_ptr<fd::test::PeerProcess> server_;
    QString root_;
    QStringList opened_;
    std::unique_ptr<frmSiteAudit> window_;
};

TEST_F(AuditWindow, RunFillsSortableListsWithTheirExportControls) {
    openStandalone();
    runAudit({"good1.html", "not-found.html", "no-h1.html", "two-h1.html", "long-title.html",
              "slow.html"});
    QTreeWidget* pages = window_->pagesList();
    QTreeWidget* findings = window_->findingsList();
    EXPECT_EQ(pages->objectName(), "lvwAuditPages");
    EXPECT_EQ(pages->topLevelItemCount(), 7);
    EXPECT_EQ(findings->topLevelItemCount(), 5);
    EXPECT_EQ(child<QLabel>("lblProgress")->text(), "Pages done: 7 / found: 7 / findings: 5");
    EXPECT_TRUE(child<QPushButton>("cmdStart")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("cmdCancel")->isEnabled());

    // Status sorts as a number, both ways, by clicking its header.
    const int status = 1;
    pages->header()->setSortIndicator(-1, Qt::AscendingOrder);
    QTest::mouseClick(pages->header()->viewport(), Qt::LeftButton, {},
                      QPoint(pages->header()->sectionViewportPosition(status) + 5, 5));
    QStringList codes = column(pages, status);
    QStringList sorted = codes;
    std::sort(sorted.begin(), sorted.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    if (pages->header()->sortIndicatorOrder() == Qt::DescendingOrder)
        std::reverse(sorted.begin(), sorted.end());
    EXPECT_EQ(codes, sorted);
    EXPECT_TRUE(codes.contains("404"));

    // Each list has its own export control, bound (its buttons enabled).
    for (const char* name : {"ctlRowporterPages", "ctlRowporterFindings"}) {
        auto* control = child<listcaster::ctlRowporter>(name);
        ASSERT_NE(control, nullptr) << name;
        for (QToolButton* b : control->findChildren<QToolButton*>())
            EXPECT_TRUE(b->isEnabled()) << name;
    }

    // A double-click on a page or a finding opens its page.
    QTreeWidgetItem* row = findings->topLevelItem(0);
    emit findings->itemDoubleClicked(row, 0);
    EXPECT_EQ(opened_, QStringList{row->text(0)});
    EXPECT_EQ(folder_.scalar("SELECT count(*) FROM AuditFindings"), "5");
}

TEST_F(AuditWindow, CancelKeepsWhatWasFinishedAndTheWindowAnswers) {
    openStandalone();
    window_->setSite(root_, {"good1.html", "stall.html", "good2.html"});
    QSignalSpy done(window_.get(), &frmSiteAudit::auditFinished);
    QTest::mouseClick(child<QPushButton>("cmdStart"), Qt::LeftButton);
    EXPECT_FALSE(child<QPushButton>("cmdStart")->isEnabled());
    // The stalled page holds the run; the good pages finish first.
    QElapsedTimer t;
    t.start();
    while (window_->pagesList()->topLevelItemCount() < 3 && t.elapsed() < 20000) QTest::qWait(20);
    ASSERT_EQ(window_->pagesList()->topLevelItemCount(), 3);
    QTest::mouseClick(child<QPushButton>("cmdCancel"), Qt::LeftButton);
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(window_->pagesList()->topLevelItemCount(), 3);
    EXPECT_TRUE(child<QLabel>("lblResult")->text().startsWith("Cancelled"));
    EXPECT_EQ(folder_.scalar("SELECT Cancelled FROM AuditRuns"), "1");
}

TEST_F(AuditWindow, KeepRunsIsAnOptionOfTheRun) {
    openStandalone();
    auto* keep = child<QSpinBox>("spnKeepRuns");
    ASSERT_NE(keep, nullptr);
    EXPECT_EQ(keep->value(), 20);
    bool captioned = false;
    for (QLabel* l : window_->findChildren<QLabel*>())
        captioned = captioned || (l->buddy() == keep && l->text() == "&Keep runs:");
    EXPECT_TRUE(captioned);
    keep->setValue(0);
    EXPECT_EQ(keep->text(), "All");
    // Its place in the Tab order: after the delay, before Start.
    QApplication::setActiveWindow(window_.get());
    child<QSpinBox>("spnDelay")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(keep->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(child<QPushButton>("cmdStart")->hasFocus());
    // The second row, the checks' numbers and the rendering, comes next.
    for (const char* name : {"spnThinWords", "spnLargeHtml", "chkRendered"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), name);
    }
    EXPECT_FALSE(child<QCheckBox>("chkRendered")->isChecked());  // off by default

    keep->setValue(1);
    runAudit({"good1.html"});
    runAudit({"good1.html"});
    EXPECT_EQ(folder_.scalar("SELECT count(*) FROM AuditRuns"), "1");
}

TEST_F(AuditWindow, ToolsMenuAuditsTheTreeAndOpensAPageInTheBrowser) {
    fd::test::FakeDialogs dialogs;
    fd::test::FakeBrowser* browser = nullptr;
    fd::StartOptions o;
    o.programFolder = folder_.path();
    o.dataDir = fd::test::deliveredData();
    auto app = fd::Main(o, dialogs, [&] { return browser = new fd::test::FakeBrowser; });
    ASSERT_TRUE(app);
    fd::frmMain& w = *app->mainWindow;
    auto* item = w.findChild<QAction*>("AuditSite");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), "&Audit Site");

    // No root URL: the user is told, no window opens.
    w.findChild<QComboBox*>("cmbWebSiteRoot")->setEditText(QString());
    item->trigger();
    EXPECT_EQ(dialogs.lastText(), "Please enter the root URL of this web site before auditing it.");
    EXPECT_EQ(w.findChild<frmSiteAudit*>(), nullptr);

    w.findChild<QComboBox*>("cmbWebSiteRoot")->setEditText(root_);
    auto* tree = w.findChild<fd::sites::SiteDirectoryTree*>("tvwWebSiteDirectory");
    tree->resetToRoot(root_);
    tree->addPages({"good1.html", "no-h1.html"});
    item->trigger();
    auto* audit = w.findChild<frmSiteAudit*>();
    ASSERT_TRUE(audit);
    clickStart(*audit);
    EXPECT_EQ(audit->pagesList()->topLevelItemCount(), 3);

    QTreeWidgetItem* row = audit->pagesList()->topLevelItem(2);
    emit audit->pagesList()->itemDoubleClicked(row, 0);
    EXPECT_EQ(browser->navigations.last(), row->text(0));
    EXPECT_EQ(w.findChild<QTabWidget*>("tabTasks")->currentIndex(), 1);
    // The menu item brings the same window back.
    item->trigger();
    EXPECT_EQ(w.findChildren<frmSiteAudit*>().size(), 1);
}

}  // namespace
