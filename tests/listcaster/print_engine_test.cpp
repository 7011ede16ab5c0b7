// The print engine drawn on a recording printer: where every block, caption,
// rule and row lands, when pages break, and how a failing printer is handled.

#include <gtest/gtest.h>

#include "FakePrompter.h"
#include "PrintListFixture.h"
#include "RecordingPrinter.h"
#include "listcaster/PrintEngine.h"

using namespace listcaster;
using namespace listcaster::test;
using Kind = RecordingPrinter::Kind;

namespace {

constexpr double kScreenTpp = 15.0;  // screen twips per pixel used throughout
constexpr double kGap = 20 * kScreenTpp;

FontSpec font(double size, bool bold = false) {
    FontSpec f;
    f.name = QStringLiteral("Arial");
    f.size = size;
    f.bold = bold;
    return f;
}

struct Engine {
    RecordingPrinter printer;
    FakePrompter prompts;
    FakePrompter::Scope scope{prompts};
    std::unique_ptr<QTreeWidget> list;
    std::unique_ptr<CPrintListView> engine;

    explicit Engine(std::unique_ptr<QTreeWidget> l) : list(std::move(l)) {
        engine = std::make_unique<CPrintListView>(printer);
        engine->setControl(ListViewSource(list.get()));
        engine->setScreenTwipsPerPixelY(kScreenTpp);
        // Captions and rows in 10 pt so heights are known: 200 twips a line.
        *engine->fontItem() = font(10);
    }
    bool print(bool inColor = true, bool mark = false) {
        return engine->PrintControl(inColor, mark);
    }
    CPage& page() { return *engine->page(); }
};

std::unique_ptr<QTreeWidget> threeColumns(int rows) {
    std::vector<ListRow> r;
    for (int i = 1; i <= rows; ++i)
        r.push_back({{QStringLiteral("row%1").arg(i), QStringLiteral("b%1").arg(i),
                      QStringLiteral("c%1").arg(i)}});
    return makeList({"A", "B", "C"}, {100, 80, 60}, r);
}

}  // namespace

TEST(PrintEngine, onePage_placesHeaderTitleCaptionsRowsAndFooter) {
    Engine e(threeColumns(2));
    e.page().LeftMargin = 10;   // 567 twips
    e.page().RightMargin = 30;  // 1701 twips: unequal on purpose
    e.page().TopMargin = 20;
    e.page().BottomMargin = 20;
    e.page().Header->Text = QStringLiteral("HEAD");
    e.page().Header->Alignment = 2;
    e.page().Header->setFont(font(8));
    e.page().Footer->Text = QStringLiteral("FOOT");
    e.page().Footer->Alignment = 1;
    e.page().Footer->setFont(font(8));
    e.engine->title()->Text = QStringLiteral("TITLE");
    e.engine->title()->setFont(font(22, true));
    e.engine->title()->Alignment = 0;

    ASSERT_TRUE(e.print());
    const auto& p = e.printer;
    const double top = 20 * 56.7;

    const auto* head = p.find("HEAD");
    ASSERT_TRUE(head);
    // Centred on the whole sheet, not between the unequal margins.
    EXPECT_DOUBLE_EQ(head->x, (p.width - 4 * 80) / 2);
    EXPECT_DOUBLE_EQ(head->y, top - 160);  // its last line sits on the top margin
    EXPECT_EQ(head->font.size, 8);

    const auto* title = p.find("TITLE");
    ASSERT_TRUE(title);
    EXPECT_DOUBLE_EQ(title->x, 567);
    EXPECT_DOUBLE_EQ(title->y, top + kGap);
    EXPECT_TRUE(title->font.bold);

    // Captions below the title and its gap, each with a rule of its column's width.
    const double captionY = top + kGap + 440 + kGap;
    const ListViewSource src(e.list.get());
    const int w1 = src.columnWidthTwips(1), w2 = src.columnWidthTwips(2);
    const auto* capB = p.find("B");
    ASSERT_TRUE(capB);
    EXPECT_DOUBLE_EQ(capB->y, captionY);
    EXPECT_DOUBLE_EQ(capB->x, 567 + w1);
    std::vector<RecordingPrinter::Op> rules;
    for (const auto& o : p.ops)
        if (o.kind == Kind::Box) rules.push_back(o);
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_DOUBLE_EQ(rules[1].x, 567 + w1);
    EXPECT_DOUBLE_EQ(rules[1].x2, 567 + w1 + w2);
    EXPECT_DOUBLE_EQ(rules[1].y, captionY + 200);
    EXPECT_EQ(rules[1].colour, qRgb(0, 0, 0));

    // Rows follow two screen pixels below the captions, one line each.
    const double rowY = captionY + 200 + 2 * kScreenTpp;
    EXPECT_DOUBLE_EQ(p.find("row1")->y, rowY);
    EXPECT_DOUBLE_EQ(p.find("row2")->y, rowY + 200);
    EXPECT_DOUBLE_EQ(p.find("b2")->x, 567 + w1);

    const auto* foot = p.find("FOOT");
    ASSERT_TRUE(foot);
    EXPECT_DOUBLE_EQ(foot->x, p.width - 1701 - 4 * 80);
    EXPECT_DOUBLE_EQ(foot->y, p.height - top);
    EXPECT_EQ(p.count(Kind::NewPage), 0);
    EXPECT_EQ(p.count(Kind::EndDoc), 1);
    EXPECT_EQ(e.engine->printedItems(), 2);
    EXPECT_TRUE(e.prompts.messages.empty());
}

TEST(PrintEngine, noRowsAndEmptyBlocks_printCaptionsAtTheTopMarginOnOnePage) {
    Engine e(threeColumns(0));
    ASSERT_TRUE(e.print());
    const auto texts = e.printer.texts();
    ASSERT_EQ(texts.size(), 3u);              // the captions alone: no header, title or footer
    EXPECT_DOUBLE_EQ(texts[0].y, 15 * 56.7);  // no gap under an empty header
    EXPECT_EQ(e.printer.count(Kind::NewPage), 0);
    EXPECT_EQ(e.printer.count(Kind::EndDoc), 1);
    EXPECT_EQ(e.engine->printedItems(), 0);
}

TEST(PrintEngine, rowPadding_centresTextInTheTallerRow) {
    Engine e(threeColumns(2));
    e.printer.padding = 3;
    ASSERT_TRUE(e.print());
    const double first = e.printer.find("row1")->y;
    EXPECT_DOUBLE_EQ(e.printer.find("row2")->y - first, 206);  // 200 + 2 x 3
}

// Runs once to learn where the first row starts, then sizes the page so that
// the bottom of row `n` falls exactly on the limit.
TEST(PrintEngine, rowEndingExactlyOnTheLimit_goesToTheNextPage) {
    for (const bool withFooter : {false, true}) {
        Engine probe(threeColumns(10));
        if (withFooter) probe.page().Footer->Text = QStringLiteral("F");
        ASSERT_TRUE(probe.print());
        const double firstRowY = probe.printer.find("row1")->y;

        Engine e(threeColumns(10));
        if (withFooter) e.page().Footer->Text = QStringLiteral("F");
        const double limit = 15 * 56.7 + (withFooter ? kGap : 0);
        e.printer.height = firstRowY + 4 * 200 + limit;  // row 4 ends on the limit
        ASSERT_TRUE(e.print());
        EXPECT_TRUE(e.printer.find("row3", 1)) << withFooter;
        EXPECT_FALSE(e.printer.find("row4", 1)) << withFooter;
        EXPECT_TRUE(e.printer.find("row4", 2)) << withFooter;
        EXPECT_EQ(e.engine->printedItems(), 10);

        // One twip more and row 4 still fits.
        Engine roomier(threeColumns(10));
        if (withFooter) roomier.page().Footer->Text = QStringLiteral("F");
        roomier.printer.height = e.printer.height + 1;
        ASSERT_TRUE(roomier.print());
        EXPECT_TRUE(roomier.printer.find("row4", 1)) << withFooter;
    }
}

TEST(PrintEngine, pageBreak_repeatsHeaderCaptionsAndFooterButNotTheTitle) {
    Engine e(threeColumns(200));
    e.page().Header->Text = QStringLiteral("H <pag> <pag>");
    e.page().Footer->Text = QStringLiteral("F<pag>");
    e.engine->title()->Text = QStringLiteral("T<pag><pag>");
    int raised = 0;
    QObject::connect(e.engine.get(), &CPrintListView::BeforeNewPage, [&] { ++raised; });
    ASSERT_TRUE(e.print());
    const auto& p = e.printer;
    const int pages = p.count(Kind::NewPage) + 1;
    ASSERT_GE(pages, 3);
    EXPECT_EQ(raised, pages);

    // "<pag>" is filled at its first occurrence only, in every block.
    EXPECT_TRUE(p.find("T1<pag>"));
    const auto* h1 = p.find("H 1 <pag>", 1);
    const auto* h2 = p.find("H 2 <pag>", 2);
    ASSERT_TRUE(h1 && h2);
    EXPECT_DOUBLE_EQ(h1->y, h2->y);  // the header stands at the same place on every page
    for (int pg = 1; pg <= pages; ++pg) {
        EXPECT_TRUE(p.find(QStringLiteral("F%1").arg(pg), pg)) << pg;
        EXPECT_TRUE(p.find("B", pg)) << pg;
    }
    EXPECT_FALSE(p.find("T2<pag>"));
    int titles = 0;
    for (const auto& o : p.texts()) titles += o.text.startsWith('T');
    EXPECT_EQ(titles, 1);

    // The rows that did not fit were each printed once, on the next page, in order.
    int expected = 1;
    for (const auto& o : p.texts()) {
        if (o.text.startsWith("row")) EXPECT_EQ(o.text, QStringLiteral("row%1").arg(expected++));
    }
    EXPECT_EQ(expected, 201);
    // The footer of each page comes before the page break.
    for (size_t i = 0; i < p.ops.size(); ++i) {
        if (p.ops[i].kind != Kind::NewPage) continue;
        ASSERT_GT(i, 0u);
        EXPECT_TRUE(p.ops[i - 1].text.startsWith('F'));
    }
}

TEST(PrintEngine, hiddenColumns_printNothingAndTakeNoRoom) {
    auto list = makeList({"A", "Hidden", "C"}, {100, 0, 60},
                         {{{"a1", "secret", "c1"}}, {{"a2", "secret", "c2"}}});
    Engine e(std::move(list));
    ASSERT_TRUE(e.print());
    const int w1 = ListViewSource(e.list.get()).columnWidthTwips(1);
    EXPECT_FALSE(e.printer.find("Hidden"));
    EXPECT_FALSE(e.printer.find("secret"));
    EXPECT_DOUBLE_EQ(e.printer.find("C")->x, std::lround(15 * 56.7) + w1);
    EXPECT_DOUBLE_EQ(e.printer.find("c2")->x, std::lround(15 * 56.7) + w1);
    EXPECT_EQ(e.printer.count(Kind::Box), 2);
}

TEST(PrintEngine, alignmentsOfColumns_placeCaptionsAndCells) {
    auto list = makeList({"Left", "Right", "Mid"}, {100, 100, 100}, {{{"l", "rr", "mmmm"}}});
    list->headerItem()->setTextAlignment(1, Qt::AlignRight);
    list->headerItem()->setTextAlignment(2, Qt::AlignHCenter);
    Engine e(std::move(list));
    ASSERT_TRUE(e.print());
    const double left = std::lround(15 * 56.7);
    const int w = ListViewSource(e.list.get()).columnWidthTwips(1);
    EXPECT_DOUBLE_EQ(e.printer.find("rr")->x, left + 2 * w - 200);
    EXPECT_DOUBLE_EQ(e.printer.find("Right")->x, left + 2 * w - 500);
    EXPECT_DOUBLE_EQ(e.printer.find("mmmm")->x, left + 2 * w + (w - 400) / 2.0);
}

TEST(PrintEngine, colourBoldAndMark_followInColorAndSelection) {
    auto makeRows = [] {
        return makeList({"A", "B"}, {100, 100},
                        {{{"plain", "p2"}, false, QColor(Qt::red), false},
                         {{"chosen", "c2"}, true, QColor(Qt::red), false},
                         {{"strong", "s2"}, false, QColor(Qt::green), true}});
    };
    {
        Engine e(makeRows());
        ASSERT_TRUE(e.print(true, true));
        EXPECT_EQ(e.printer.find("plain")->colour, qRgb(255, 0, 0));
        EXPECT_FALSE(e.printer.find("plain")->font.bold);
        EXPECT_EQ(e.printer.find("chosen")->colour, qRgb(0, 0, 255));
        EXPECT_TRUE(e.printer.find("c2")->font.bold);
        EXPECT_TRUE(e.printer.find("strong")->font.bold);
        EXPECT_EQ(e.printer.find("s2")->colour, QColor(Qt::green).rgb());
        // The printer's own bold flag and colour are back after the rows.
        EXPECT_FALSE(e.printer.font().bold);
    }
    {
        Engine e(makeRows());
        ASSERT_TRUE(e.print(false, true));
        EXPECT_EQ(e.printer.find("chosen")->colour, qRgb(0, 0, 0));
        EXPECT_TRUE(e.printer.find("chosen")->font.bold);
        EXPECT_EQ(e.printer.find("plain")->colour, qRgb(0, 0, 0));
    }
    {
        Engine e(makeRows());
        ASSERT_TRUE(e.print(true, false));  // without Mark a selected row is plain
        EXPECT_EQ(e.printer.find("chosen")->colour, qRgb(255, 0, 0));
        EXPECT_FALSE(e.printer.find("chosen")->font.bold);
    }
}

TEST(PrintEngine, onlySelectedItems_countsAndPrintsTheSelectionAlone) {
    Engine none(threeColumns(5));
    none.engine->PrintOnlySelectedItems = true;
    ASSERT_TRUE(none.print());
    EXPECT_EQ(none.engine->printedItems(), 0);
    EXPECT_EQ(none.printer.texts().size(), 3u);

    auto list = threeColumns(5);
    list->topLevelItem(3)->setSelected(true);
    Engine one(std::move(list));
    one.engine->PrintOnlySelectedItems = true;
    ASSERT_TRUE(one.print());
    EXPECT_EQ(one.engine->printedItems(), 1);
    EXPECT_TRUE(one.printer.find("row4"));
    EXPECT_FALSE(one.printer.find("row1"));
}

TEST(PrintEngine, pageSetup_isAppliedToThePrinter) {
    Engine e(threeColumns(1));
    e.page().PaperSize = kPaperLetter;
    e.page().Orientation = kOrientationLandscape;
    ASSERT_TRUE(e.print());
    EXPECT_EQ(e.printer.paper, kPaperLetter);
    EXPECT_EQ(e.printer.orient, kOrientationLandscape);

    RecordingPrinter none;
    none.installed = false;
    none.paper = kPaperLetter;
    const CPage fresh(&none);
    EXPECT_EQ(fresh.PaperSize, kPaperA4);
    EXPECT_EQ(fresh.Orientation, kOrientationPortrait);
}

// More than 10,000 rows show a progress bar; Cancel abandons the document
// without a message.
TEST(PrintEngine, longList_cancelAbandonsTheDocument) {
    Engine e(threeColumns(10001));
    e.prompts.cancelAt = 2000;
    EXPECT_FALSE(e.print());
    EXPECT_EQ(e.printer.ops.back().kind, Kind::AbortDoc);
    EXPECT_EQ(e.printer.count(Kind::EndDoc), 0);
    EXPECT_TRUE(e.prompts.messages.empty());
    ASSERT_EQ(e.prompts.progresses.size(), 1u);
    EXPECT_EQ(e.prompts.progresses[0].caption, "Print list");
    EXPECT_LT(e.engine->printedItems(), 3000);  // stopped soon after the Cancel
}

TEST(PrintEngine, printerFailure_abortsBeepsAndReportsWithNothingAfterTheAbort) {
    Engine e(threeColumns(300));
    e.page().Footer->Text = QStringLiteral("F");
    e.printer.failOnNewPage = 2;
    EXPECT_FALSE(e.print());
    const auto& ops = e.printer.ops;
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(ops.back().kind, Kind::AbortDoc);
    EXPECT_EQ(e.printer.count(Kind::EndDoc), 0);
    EXPECT_EQ(e.prompts.beeps, 1);
    ASSERT_EQ(e.prompts.messages.size(), 1u);
    EXPECT_EQ(e.prompts.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(e.prompts.messages[0].text, QStringLiteral("482 Printer error"));
}

namespace {
// Checks that every printed text of the page lies between from and to
// (twips), measured as the recording printer measures: size x 10 a character.
void expectInside(const RecordingPrinter& p, double from, double to) {
    for (const auto& o : p.texts()) {
        qsizetype longest = 0;
        for (const QString& l : o.text.split(QLatin1Char('\n')))
            longest = std::max(longest, l.size());
        EXPECT_GE(o.x, from - 1e-6) << o.text.toStdString();
        EXPECT_LE(o.x + longest * o.font.size * 10.0, to + 1e-6) << o.text.toStdString();
    }
}
}  // namespace

// A cell never paints outside its column: a line too wide is cut with an
// ellipsis, a cell has no more lines than its row, a caption wraps at its
// blanks first.
TEST(PrintEngine, longCellsAndCaptionsStayInsideTheirColumns) {
    // 10 pt: 100 twips a character; 40 px columns are 600 twips, six characters.
    auto list = makeList({"Name", "Root Web Site", "Notes"}, {40, 40, 40},
                         {{{"short", "http://example.com/a/long/page.html", "two\nlines"}},
                          {{"six ch", "fits", "toolongword"}}});
    Engine e(std::move(list));
    ASSERT_TRUE(e.print());
    const ListViewSource src(e.list.get());
    const int w = src.columnWidthTwips(1);
    ASSERT_EQ(w, 600);
    const double left = std::lround(15 * 56.7);
    const QString dots(QChar(0x2026));
    for (int c = 0; c < 3; ++c) {
        for (const auto& o : e.printer.texts()) {
            if (o.x < left + c * w || o.x >= left + (c + 1) * w) continue;
            qsizetype longest = 0;
            for (const QString& l : o.text.split(QLatin1Char('\n')))
                longest = std::max(longest, l.size());
            EXPECT_LE(o.x + longest * 100.0, left + (c + 1) * w) << o.text.toStdString();
        }
    }
    EXPECT_TRUE(e.printer.find("Root\nWeb\nSite"));
    EXPECT_TRUE(e.printer.find("http:" + dots));
    EXPECT_TRUE(e.printer.find("two" + dots)) << "one line in a one-line row";
    EXPECT_TRUE(e.printer.find("six ch"));
    EXPECT_TRUE(e.printer.find("toolo" + dots));
    // Rows start below the three-line caption.
    const double captionY = e.printer.find("Name")->y;
    EXPECT_DOUBLE_EQ(e.printer.find("short")->y, captionY + 600 + 2 * kScreenTpp);
}

// Ten columns of 1500 twips on A4 portrait (10204 twips between the
// margins): fitted, every column prints, scaled with its font; not fitted,
// what passes the right margin is cut there.
TEST(PrintEngine, fitToPageWidth_scalesWideListsDownElseCutsAtTheMargin) {
    auto tenColumns = [] {
        QStringList captions, cells;
        for (int c = 1; c <= 10; ++c) {
            captions << QStringLiteral("C%1").arg(c);
            cells << QStringLiteral("v%1").arg(c);
        }
        return makeList(captions, QList<int>(10, 100), {{cells}});
    };
    const double left = std::lround(15 * 56.7), right = 11906 - left;

    Engine fitted(tenColumns());
    fitted.engine->FitToPageWidth = true;
    ASSERT_TRUE(fitted.print());
    const double scale = (right - left) / 15000.0;
    for (int c = 1; c <= 10; ++c) {
        const auto* caption = fitted.printer.find(QStringLiteral("C%1").arg(c));
        const auto* cell = fitted.printer.find(QStringLiteral("v%1").arg(c));
        ASSERT_TRUE(caption && cell) << c;
        EXPECT_NEAR(cell->x, left + (c - 1) * 1500 * scale, 1e-6) << c;
        EXPECT_NEAR(cell->font.size, 10 * scale, 1e-9) << c;
    }
    expectInside(fitted.printer, left, right);

    Engine cut(tenColumns());
    ASSERT_TRUE(cut.print());
    // Column 7 starts at 9851 and is cut at 11055; 8 to 10 lie beyond.
    EXPECT_TRUE(cut.printer.find("C7"));
    EXPECT_TRUE(cut.printer.find("v7"));
    EXPECT_FALSE(cut.printer.find("C8"));
    EXPECT_FALSE(cut.printer.find("v10"));
    expectInside(cut.printer, left, right);

    // A list that fits is not scaled.
    Engine narrow(threeColumns(1));
    narrow.engine->FitToPageWidth = true;
    ASSERT_TRUE(narrow.print());
    EXPECT_EQ(narrow.printer.find("row1")->font.size, 10);
}
