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
