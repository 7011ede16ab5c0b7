// Printing a list's headers and rows into a PDF, read back with pdftotext.
#include <gtest/gtest.h>
#include <listcaster/QtPrinterDevice.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "platform/PrintListView.h"
#include "support/TestFolder.h"

using namespace fd;

namespace {
QString pdfText(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

void fill(QTreeWidget& list, int rows) {
    list.setHeaderLabels({"Engine", "Date", "Page"});
    list.setColumnWidth(0, 100);
    list.setColumnWidth(1, 100);
    list.setColumnWidth(2, 200);
    for (int i = 1; i <= rows; ++i)
        new QTreeWidgetItem(
            &list, {QString("Engine%1").arg(i), "12/7/2026", QString("page%1.htm").arg(i)});
}
}  // namespace

TEST(PrintListView, HeadersAndRowsReachThePrintout) {
    test::TestFolder f;
    QTreeWidget list;
    fill(list, 3);
    const QString pdf = f.file("out.pdf");
    {
        listcaster::QtPrinterDevice printer(pdf);
        printer.setCurrentY(1440);
        PrintListView(&list, 0, printer, *f.globals().errorLog);
        printer.endDoc();
    }
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains("Engine")) << text.toStdString();
    EXPECT_TRUE(text.contains("page3.htm"));
    // Each row's cells stand on one line, in their columns' order.
    const QStringList lines = text.split('\n');
    bool rowFound = false;
    for (const QString& l : lines)
        if (l.contains("Engine2")) {
            rowFound = true;
            EXPECT_LT(l.indexOf("Engine2"), l.indexOf("12/7/2026"));
            EXPECT_LT(l.indexOf("12/7/2026"), l.indexOf("page2.htm"));
        }
    EXPECT_TRUE(rowFound);
    EXPECT_TRUE(f.errorLog().isEmpty());
}

TEST(PrintListView, MaxRowsLimitsOnlyWhenSmaller) {
    test::TestFolder f;
    QTreeWidget list;
    fill(list, 4);
    for (short maxRows : {short(0), short(2), short(9)}) {
        const QString pdf = f.file(QString("rows%1.pdf").arg(maxRows));
        {
            listcaster::QtPrinterDevice printer(pdf);
            PrintListView(&list, maxRows, printer, *f.globals().errorLog);
            printer.endDoc();
        }
        const QString text = pdfText(pdf);
        EXPECT_EQ(text.count("Engine") - 1, maxRows == 2 ? 2 : 4) << maxRows;
    }
}

TEST(PrintListView, MissingListIsLoggedNotThrown) {
    test::TestFolder f;
    QTemporaryDir tmp;
    listcaster::QtPrinterDevice printer(tmp.filePath("x.pdf"));
    EXPECT_NO_THROW(PrintListView(nullptr, 0, printer, *f.globals().errorLog));
    EXPECT_TRUE(f.errorLog().contains("modCommonFunctions_PrintListView"));
    printer.abortDoc();
}
