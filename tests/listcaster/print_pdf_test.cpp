// A whole printout through the real Qt printer into a PDF file, read back with
// pdftotext: pages, headers, footers, title and every row once, in order.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "FakePrompter.h"
#include "PrintListFixture.h"
#include "listcaster/QtPrinterDevice.h"
#include "listcaster/clsPrint.h"

using namespace listcaster;
using namespace listcaster::test;

namespace {
QStringList pdfPages(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000));
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
}
}  // namespace

TEST(PrintPdf, twoHundredRows_pagesHeadersFootersAndRows) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    QTemporaryDir dir;
    const QString pdf = dir.filePath("list.pdf");
    std::vector<ListRow> rows;
    for (int i = 1; i <= 200; ++i)
        rows.push_back({{QStringLiteral("item%1").arg(i, 3, 10, QLatin1Char('0')),
                         QStringLiteral("value %1").arg(i)}});
    auto list = makeList({"Name", "Value"}, {150, 150}, rows);

    QtPrinterDevice device(pdf);
    EXPECT_FALSE(device.needsOutputFile());
    clsPrint print(&device);
    print.clock = [] { return QDateTime(QDate(2026, 12, 6), QTime(9, 5)); };
    print.setListView(list.get());
    print.Title().Text = QStringLiteral("Submitted pages");
    ASSERT_TRUE(print.PrintListView());
    EXPECT_TRUE(prompts.messages.empty());

    const QStringList pages = pdfPages(pdf);
    ASSERT_GE(pages.size(), 3);
    const QString all = pages.join(QLatin1Char('\n'));
    for (int pg = 0; pg < pages.size(); ++pg) {
        EXPECT_TRUE(pages[pg].contains(QStringLiteral("Page %1").arg(pg + 1))) << pg;
        EXPECT_TRUE(
            pages[pg].contains(QStringLiteral("printed on Sunday, 6. December 2026, 09:05")))
            << pg;
        EXPECT_TRUE(pages[pg].contains(QStringLiteral("Name"))) << pg;
    }
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Submitted pages")));
    EXPECT_FALSE(pages[1].contains(QStringLiteral("Submitted pages")));
    // Every row exactly once, in order, across the pages.
    const auto found = QRegularExpression(QStringLiteral("item(\\d{3})")).globalMatch(all);
    int expected = 1;
    for (auto it = found; it.hasNext();) EXPECT_EQ(it.next().captured(1).toInt(), expected++);
    EXPECT_EQ(expected, 201);
    QLocale::setDefault(QLocale::system());
}

TEST(PrintPdf, unopenableFile_reportsAndLeavesNoFile) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("no/such/folder/list.pdf");
    auto list = makeList({"A"}, {100}, {{{"x"}}});
    QtPrinterDevice device(pdf);
    clsPrint print(&device);
    print.setListView(list.get());
    EXPECT_FALSE(print.PrintListView());
    EXPECT_EQ(prompts.beeps, 1);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.startsWith(QStringLiteral("482 ")))
        << prompts.messages[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST(PrintPdf, noPrinterAndNoFileChosen_printsNothing) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    QtPrinterDevice device{QString()};  // PDF output, file still to be chosen
    ASSERT_TRUE(device.needsOutputFile());
    auto list = makeList({"A"}, {100}, {{{"x"}}});
    clsPrint print(&device);
    print.setListView(list.get());
    EXPECT_FALSE(print.PrintListView());  // the print dialog was cancelled
    EXPECT_EQ(prompts.printSetups, 1);
    EXPECT_TRUE(prompts.messages.empty());
}

namespace {
// The words of a PDF with their boxes (points), from pdftotext -bbox.
struct Word {
    QString text;
    double xMin, xMax;
};
std::vector<Word> pdfWords(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"[\\d.]+\" xMax=\"([\\d.]+)\" "
                       "yMax=\"[\\d.]+\">([^<]*)</word>"));
    std::vector<Word> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.push_back({m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    return words;
}
}  // namespace

// The change report's eight columns, wider than A4 portrait, with long cells:
// fitted to the page width every column prints, long cells end in an
// ellipsis inside their columns, and nothing passes the right margin.
TEST(PrintPdf, wideListFittedToThePage_printsEveryColumnInsideTheMargins) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    QTemporaryDir dir;
    const QStringList captions = {"Date",        "Root Web Site", "Web Page", "Page Title",
                                  "Description", "Keywords",      "Revisit",  "Author"};
    std::vector<ListRow> rows;
    for (int i = 1; i <= 30; ++i)
        rows.push_back({{QStringLiteral("12/%1/2026").arg(i % 28 + 1), "http://www.example.com",
                         QStringLiteral("/products/category/item-%1/details.html").arg(i),
                         "A page title long enough to need more room than its column has",
                         "A description that goes on and on about the page and its products",
                         "keywords, more keywords, even more keywords", "7 days",
                         QStringLiteral("Author%1").arg(i)}});
    auto list = makeList(captions, {80, 160, 160, 120, 160, 120, 80, 80}, rows);

    for (const bool fit : {true, false}) {
        const QString pdf = dir.filePath(fit ? "fitted.pdf" : "cut.pdf");
        QtPrinterDevice device(pdf);
        clsPrint print(&device);
        print.setListView(list.get());
        print.Title().Text = QStringLiteral("Change requests");
        print.FitToPageWidth = fit;
        EXPECT_TRUE(print.columnsOverflowPage());
        ASSERT_TRUE(print.PrintListView());

        const QString text = pdfPages(pdf).join(QLatin1Char('\n'));
        EXPECT_EQ(text.contains(QStringLiteral("Author30")), fit);
        for (const QString& c : {QStringLiteral("Date"), QStringLiteral("Revisit")})
            EXPECT_EQ(text.contains(c), fit || c == QStringLiteral("Date")) << c.toStdString();
        EXPECT_TRUE(text.contains(QChar(0x2026))) << "long cells end in an ellipsis";
        // A4 is 595.3 points wide; the right margin is 15 mm (42.5 points).
        const double rightMargin = 595.3 - 15 * 72 / 25.4;
        for (const Word& w : pdfWords(pdf))
            EXPECT_LE(w.xMax, rightMargin + 0.5)
                << w.text.toStdString() << (fit ? " fitted" : " cut");
    }
    EXPECT_TRUE(prompts.messages.empty());
}
