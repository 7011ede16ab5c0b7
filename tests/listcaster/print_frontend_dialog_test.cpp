// The print settings and the print-options dialog: placeholders filled page by
// page, defaults, and the dialog's controls driving what reaches the printer.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>

#include "FakePrompter.h"
#include "PrintListFixture.h"
#include "RecordingPrinter.h"
#include "frmLVPrintOptions.h"
#include "listcaster/clsPrint.h"

using namespace listcaster;
using namespace listcaster::test;
using Kind = RecordingPrinter::Kind;

namespace {

std::unique_ptr<QTreeWidget> rows(int n, int selectedRow = 0) {
    std::vector<ListRow> r;
    for (int i = 1; i <= n; ++i)
        r.push_back({{QStringLiteral("row%1").arg(i), QStringLiteral("x")}, i == selectedRow});
    return makeList({"A", "B"}, {100, 100}, r);
}

const QDateTime kWhen(QDate(2026, 12, 6), QTime(9, 5));  // a Sunday

}  // namespace

TEST(PrintSettings, defaults) {
    RecordingPrinter printer;
    clsPrint p(&printer);
    EXPECT_EQ(p.Title().Text, QString());
    EXPECT_EQ(p.Title().Alignment, 2);
    EXPECT_EQ(p.Title().font().size, 22);
    EXPECT_TRUE(p.Title().font().bold);
    EXPECT_EQ(p.Header().Text, QStringLiteral("printed on %datetime%"));
    EXPECT_EQ(p.Header().Alignment, 2);
    EXPECT_EQ(p.Header().font().size, 8);
    EXPECT_EQ(p.Footer().Text, QStringLiteral("Page %page%"));
    EXPECT_EQ(p.Footer().Alignment, 1);
    EXPECT_EQ(p.Footer().font().name, QStringLiteral("Arial"));
    EXPECT_TRUE(p.InColor);
    EXPECT_FALSE(p.Mark);
    EXPECT_FALSE(p.OnlySelected);
    EXPECT_EQ(p.page().LeftMargin, 15);
}

TEST(PrintSettings, placeholders_everyOccurrenceCaseSensitive) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(clsPrint::formatDateTime(kWhen), QStringLiteral("Sunday, 6. December 2026, 09:05"));
    EXPECT_EQ(clsPrint::fillPlaceholders("%page%/%page% %PAGE% on %datetime%", 3, kWhen),
              QStringLiteral("3/3 %PAGE% on Sunday, 6. December 2026, 09:05"));
    QLocale::setDefault(QLocale::system());
}

TEST(PrintSettings, pageNumbersFillEveryPageAndRestartWithEachPrintout) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    auto list = rows(150);
    RecordingPrinter printer;
    printer.height = 8000;  // a short page: several pages for 150 rows
    for (int run = 0; run < 2; ++run) {
        printer.ops.clear();
        clsPrint p(&printer);
        p.clock = [] { return kWhen; };
        p.screenTwipsPerPixelY = 15;
        p.setListView(list.get());
        p.Title().Text = QStringLiteral("List of %datetime%");
        ASSERT_TRUE(p.PrintListView());
        const int pages = printer.count(Kind::NewPage) + 1;
        ASSERT_GE(pages, 3);
        for (int pg = 1; pg <= pages; ++pg) {
            EXPECT_TRUE(printer.find(QStringLiteral("Page %1").arg(pg), pg)) << run << " " << pg;
            EXPECT_TRUE(
                printer.find(QStringLiteral("printed on Sunday, 6. December 2026, 09:05"), pg));
        }
        // The title takes no placeholders.
        EXPECT_TRUE(printer.find(QStringLiteral("List of %datetime%"), 1));
    }
    QLocale::setDefault(QLocale::system());
}

TEST(PrintSettings, emptyHeaderRemovesTheLineAndTheGap) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    auto list = rows(1);
    RecordingPrinter printer;
    clsPrint p(&printer);
    p.screenTwipsPerPixelY = 15;
    p.setListView(list.get());
    p.Header().Text.clear();
    ASSERT_TRUE(p.PrintListView());
    EXPECT_DOUBLE_EQ(printer.texts().front().y, 15 * 56.7);  // the first caption
    EXPECT_EQ(printer.texts().front().text, QStringLiteral("A"));
}

TEST(PrintSettings, fontDialog_changesTheRowsFontOnlyWhenConfirmed) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    auto list = rows(1);
    RecordingPrinter printer;
    clsPrint p(&printer);
    p.setListView(list.get());
    EXPECT_EQ(p.Font().size, 10);
    p.ShowFontDialog();  // cancelled
    EXPECT_EQ(p.Font().size, 10);
    FontSpec big;
    big.name = QStringLiteral("Courier");
    big.size = 14;
    big.italic = true;
    prompts.fontAnswers.push_back(big);
    p.ShowFontDialog();
    EXPECT_EQ(p.Font(), big);
    ASSERT_TRUE(p.PrintListView());
    EXPECT_EQ(printer.find(QStringLiteral("row1"))->font, big);
}

namespace {
template <typename T>
T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QString::fromLatin1(name));
    EXPECT_TRUE(c) << name;
    return c;
}
}  // namespace

TEST(PrintDialog, editsBlocksAndOptionsThenPrints) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    auto list = rows(3, 2);
    RecordingPrinter printer;
    frmLVPrintOptions dlg(nullptr, &printer);
    dlg.printSettings().screenTwipsPerPixelY = 15;
    bool checked = false;
    QTimer::singleShot(0, &dlg, [&] {
        auto* tabber = child<QTabBar>(dlg, "tabber");
        auto* txt = child<QLineEdit>(dlg, "txtText");
        auto* insDate = child<QPushButton>(dlg, "btnInsertDateTime");
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Options for printing the list"));
        EXPECT_EQ(tabber->currentIndex(), 0);
        EXPECT_EQ(txt->text(), QStringLiteral("My list"));
        EXPECT_TRUE(insDate->isHidden());
        EXPECT_EQ(child<QLabel>(dlg, "lblSelectedItemCount")->text(),
                  QStringLiteral("1 entry selected"));
        EXPECT_EQ(child<QLabel>(dlg, "lblPrinterDevice")->text(), QStringLiteral("Recorder"));

        // Footer tab: insert buttons shown, right alignment pressed; a page
        // number replaces the selection.
        tabber->setCurrentIndex(2);
        EXPECT_FALSE(insDate->isHidden());
        EXPECT_EQ(txt->text(), QStringLiteral("Page %page%"));
        EXPECT_TRUE(dlg.findChild<QAction*>("align_right")->isChecked());
        txt->setSelection(0, 4);
        child<QPushButton>(dlg, "btnInsertPageNum")->click();
        EXPECT_EQ(dlg.printSettings().Footer().Text, QStringLiteral("%page% %page%"));
        dlg.findChild<QAction*>("align_left")->trigger();
        EXPECT_EQ(dlg.printSettings().Footer().Alignment, 0);
        EXPECT_TRUE(txt->alignment() & Qt::AlignLeft);

        // The font button gives the block a copy of the chosen font.
        FontSpec f;
        f.name = QStringLiteral("Courier");
        f.size = 12;
        prompts.fontAnswers.push_back(f);
        dlg.findChild<QAction*>("font_properties")->trigger();
        EXPECT_EQ(dlg.printSettings().Footer().font().size, 12);

        // Back to the title: its own text again.
        tabber->setCurrentIndex(0);
        EXPECT_EQ(txt->text(), QStringLiteral("My list"));

        // Colour off disables the highlight box but keeps its value.
        auto* mark = child<QCheckBox>(dlg, "chkMark");
        mark->setChecked(true);
        child<QCheckBox>(dlg, "chkInColor")->setChecked(false);
        EXPECT_FALSE(mark->isEnabled());
        EXPECT_TRUE(mark->isChecked());
        EXPECT_TRUE(dlg.printSettings().Mark);
        EXPECT_FALSE(dlg.printSettings().InColor);
        checked = true;
        child<QPushButton>(dlg, "btnPrint")->click();
    });
    EXPECT_TRUE(dlg.ShowDlg(list.get(), QStringLiteral("My list")));
    ASSERT_TRUE(checked);
    EXPECT_TRUE(printer.find(QStringLiteral("My list")));
    EXPECT_TRUE(printer.find(QStringLiteral("1 1")));  // every "%page%" filled
    const auto* marked = printer.find(QStringLiteral("row2"));
    ASSERT_TRUE(marked);
    EXPECT_TRUE(marked->font.bold);
    EXPECT_EQ(marked->colour, qRgb(0, 0, 0));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Print list"));
    EXPECT_EQ(prompts.messages[0].text,
              QStringLiteral("The list has been successfully sent to the printer."));
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Information);
}

TEST(PrintDialog, cancelAndCloseBoxPrintNothing) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    auto list = rows(3);
    for (const char* how : {"cancel", "close"}) {
        RecordingPrinter printer;
        frmLVPrintOptions dlg(nullptr, &printer);
        QTimer::singleShot(0, &dlg, [&] {
            if (QByteArray(how) == "cancel")
                child<QPushButton>(dlg, "btnCancel")->click();
            else
                dlg.close();
        });
        EXPECT_FALSE(dlg.ShowDlg(list.get(), QString())) << how;
        EXPECT_TRUE(printer.ops.empty()) << how;
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST(PrintDialog, failedPrintShowsNoSuccessMessage) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    auto list = rows(400);
    RecordingPrinter printer;
    printer.failOnNewPage = 2;
    frmLVPrintOptions dlg(nullptr, &printer);
    QTimer::singleShot(0, &dlg, [&] { child<QPushButton>(dlg, "btnPrint")->click(); });
    EXPECT_TRUE(dlg.ShowDlg(list.get(), QString()));
    ASSERT_EQ(prompts.messages.size(), 1u);  // the failure, not the success
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(prompts.beeps, 1);
}

// "Fit columns to page width" is on when the list's columns are wider than
// the page between its margins, off otherwise, and what it says is printed.
TEST(PrintDialog, fitColumnsIsOnWhenTheColumnsOverflowThePage) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    struct Case {
        QList<int> widths;  // pixels: 15 twips each here
        bool overflow;
    } cases[] = {{QList<int>(10, 100), true}, {{100, 100}, false}};
    for (const Case& c : cases) {
        QStringList captions, cells;
        for (int i = 0; i < c.widths.size(); ++i) {
            captions << QStringLiteral("C%1").arg(i + 1);
            cells << QStringLiteral("v%1").arg(i + 1);
        }
        auto list = makeList(captions, c.widths, {{cells}});
        RecordingPrinter printer;
        frmLVPrintOptions dlg(nullptr, &printer);
        bool shown = false;
        QTimer::singleShot(0, &dlg, [&] {
            auto* fit = child<QCheckBox>(dlg, "chkFitToPageWidth");
            EXPECT_EQ(fit->text(), QStringLiteral("Fit columns to page width"));
            EXPECT_EQ(fit->isChecked(), c.overflow);
            shown = true;
            child<QPushButton>(dlg, "btnPrint")->click();
        });
        EXPECT_TRUE(dlg.ShowDlg(list.get(), QString()));
        ASSERT_TRUE(shown);
        const QString last = QStringLiteral("v%1").arg(c.widths.size());
        ASSERT_TRUE(printer.find(last)) << "every column printed";
        EXPECT_EQ(printer.find(last)->font.size < 10, c.overflow);
    }
}
