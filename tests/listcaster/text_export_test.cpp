// The text-file export: the exact bytes of both modes, the width rules, the
// selection filter, appending, and how open and write failures are reported.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FakePrompter.h"
#include "ListFixtures.h"
#include "listcaster/clsLVTextExport.h"

using namespace listcaster;
using listcaster::test::FakePrompter;

namespace {

QByteArray exportBytes(clsLVTextExport& ex) {
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    EXPECT_FALSE(ex.writeTo(buf).has_value());
    return buf.data();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

class TextExport : public ::testing::Test {
protected:
    std::unique_ptr<QTreeWidget> pages =
        test::makeList({"URL", "Date"}, {{"a.htm", "1.1.02"}, {"index.htm", "3.1.02"}});
    clsLVTextExport ex;
    FakePrompter fake;
    FakePrompter::Scope scope{fake};
    QTemporaryDir dir;

    void SetUp() override {
        ex.setListView(pages.get());
        ex.setHeader("Pages");
    }
};

}  // namespace

TEST_F(TextExport, defaults) {
    clsLVTextExport fresh;
    EXPECT_TRUE(fresh.filename().isEmpty());
    EXPECT_TRUE(fresh.header().isEmpty());
    EXPECT_FALSE(fresh.onlySelected());
    EXPECT_TRUE(fresh.writeHeader());
    EXPECT_FALSE(fresh.append());
    EXPECT_TRUE(fresh.readable());
}

TEST_F(TextExport, readableWorkedExample_padsToWidestFieldPlusOneBlank) {
    EXPECT_EQ(exportBytes(ex),
              "Pages\r\n=====\r\n\r\n"
              "URL       Date\r\n"
              "----------------\r\n"
              "a.htm     1.1.02\r\n"
              "index.htm 3.1.02\r\n");
}

TEST_F(TextExport, structuredWorkedExample_keepsTrailingTabs) {
    ex.setReadable(false);
    EXPECT_EQ(exportBytes(ex),
              "Pages\r\n=====\r\n\r\n"
              "URL\tDate\t\r\n"
              "---------\r\n"
              "a.htm\t1.1.02\t\r\n"
              "index.htm\t3.1.02\t\r\n");
}

TEST_F(TextExport, noTitleNoHeader_writesRowsOnly) {
    ex.setHeader("");
    ex.setWriteHeader(false);
    EXPECT_EQ(exportBytes(ex), "a.htm     1.1.02\r\nindex.htm 3.1.02\r\n");
}

TEST_F(TextExport, onlySelected_widthsStillComeFromEveryRow) {
    auto list =
        test::makeList({"A", "B", "C"},
                       {{"x", "1", "p"}, {"a-much-longer-name", "22", "q"}, {"yy", "333333", "r"}});
    test::selectRows(*list, {0});
    ex.setListView(list.get());
    ex.setHeader("");
    ex.setOnlySelected(true);
    // Column A is as wide as the unselected long name + 1, column B as the
    // unselected "333333" + 1; the last column gets no extra place.
    EXPECT_EQ(exportBytes(ex),
              "A                  B      C\r\n"
              "---------------------------\r\n"
              "x                  1      p\r\n");

    // The longest field of a column is followed by exactly one blank.
    ex.setOnlySelected(false);
    const QByteArray all = exportBytes(ex);
    EXPECT_TRUE(all.contains("\r\na-much-longer-name 22     q\r\n")) << all.constData();
    EXPECT_TRUE(all.contains("\r\nyy                 333333 r\r\n")) << all.constData();
}

TEST_F(TextExport, onlySelectedWithNothingSelected_writesTitleAndHeaderOnly) {
    ex.setOnlySelected(true);
    EXPECT_EQ(exportBytes(ex), "Pages\r\n=====\r\n\r\nURL       Date\r\n----------------\r\n");
    ex.setReadable(false);
    EXPECT_EQ(exportBytes(ex), "Pages\r\n=====\r\n\r\nURL\tDate\t\r\n---------\r\n");
}

TEST_F(TextExport, leadingBlanksOfFirstFieldAreTrimmedInBothModes) {
    auto list = test::makeList({"Name", "N"}, {{"  lead", "1"}, {"x", "  2  "}});
    ex.setListView(list.get());
    ex.setHeader("");
    ex.setWriteHeader(false);
    // Widths come from the untrimmed texts (6 + 1, 5); only the line's ends lose blanks.
    EXPECT_EQ(exportBytes(ex), "lead 1\r\nx        2\r\n");
    ex.setReadable(false);
    EXPECT_EQ(exportBytes(ex), "lead\t1\t\r\nx\t  2  \t\r\n");
}

TEST_F(TextExport, titleOfBlanksIsWrittenWithItsRule) {
    ex.setHeader("   ");
    ex.setWriteHeader(false);
    EXPECT_TRUE(exportBytes(ex).startsWith("   \r\n===\r\n\r\na.htm"));
}

TEST_F(TextExport, textIsUtf8AndWidthsCountCharacters) {
    auto list = test::makeList({"Ort", "X"}, {{"Zürich", "1"}, {"\U0001F600", "2"}});
    ex.setListView(list.get());
    ex.setHeader("Städte");
    ex.setWriteHeader(false);
    EXPECT_EQ(exportBytes(ex),
              QString("Städte\r\n======\r\n\r\nZürich 1\r\n\U0001F600      2\r\n").toUtf8());
}

TEST_F(TextExport, fileIsReplacedOrAppendedTo) {
    const QString path = dir.filePath("out.txt");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("old contents that are longer than the export will be\r\n");
    }
    ex.setFilename(path);
    ex.setWriteHeader(false);
    ASSERT_TRUE(ex.ExportListViewToTextfile());
    const QByteArray once = "Pages\r\n=====\r\n\r\na.htm     1.1.02\r\nindex.htm 3.1.02\r\n";
    EXPECT_EQ(readFile(path), once);

    ex.setAppend(true);
    ASSERT_TRUE(ex.ExportListViewToTextfile());
    EXPECT_EQ(readFile(path), once + once);  // the title block is written again
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(TextExport, writeFailureMidFile_reportsAndKeepsWhatWasWritten) {
    // Enough rows that the export is written in several chunks.
    auto list = test::makeList({"Key", "Value"}, {});
    for (int i = 0; i < 20000; ++i)
        list->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::number(i), "value"}));
    ex.setListView(list.get());

    test::FailingDevice dev(100000);
    EXPECT_FALSE(ex.exportToDevice(dev));
    EXPECT_EQ(dev.data().size(), 100000);
    EXPECT_TRUE(dev.data().startsWith("Pages\r\n=====\r\n\r\nKey   Value\r\n"));
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(fake.messages[0].caption, "Export list");
    EXPECT_EQ(fake.messages[0].text,
              "Error 57 while exporting to the textfile occured:\n\nNo space left on device");
}

// More than 10,000 rows: a progress bar; Cancel leaves the file (replaced or
// appended to) exactly as it was, and a full run writes what a short list's
// export writes.
TEST_F(TextExport, longList_progressAndCancelLeaveTheFileAlone) {
    auto list = test::makeList({"Key", "Value"}, {});
    for (int i = 0; i < 10001; ++i)
        list->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::number(i), "value"}));
    ex.setListView(list.get());
    const QByteArray direct = exportBytes(ex);

    const QString path = dir.filePath("long.txt");
    for (const bool append : {false, true}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("kept\r\n");
        f.close();
        ex.setFilename(path);
        ex.setAppend(append);
        fake.cancelAt = 5000;
        EXPECT_FALSE(ex.ExportListViewToTextfile());
        EXPECT_EQ(readFile(path), "kept\r\n") << append;
    }
    EXPECT_TRUE(fake.messages.empty());  // a cancel is no failure

    fake.cancelAt.reset();
    ex.setAppend(false);
    ASSERT_TRUE(ex.ExportListViewToTextfile());
    EXPECT_EQ(readFile(path), direct);
    ASSERT_EQ(fake.progresses.size(), 3u);
    EXPECT_EQ(fake.progresses.back().caption, "Export list");
    EXPECT_EQ(fake.progresses.back().furthest, 10001);
}

TEST_F(TextExport, fullDisk_isReportedAsDiskFull) {
    if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ex.setFilename("/dev/full");
    EXPECT_FALSE(ex.ExportListViewToTextfile());
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_TRUE(
        fake.messages[0].text.startsWith("Error 61 while exporting to the textfile occured:"))
        << fake.messages[0].text.toStdString();
}

TEST_F(TextExport, fileThatCannotBeOpened_isReportedAndNothingIsCreated) {
    const QString path = dir.filePath("missing/out.txt");
    ex.setFilename(path);
    EXPECT_FALSE(ex.ExportListViewToTextfile());
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_TRUE(
        fake.messages[0].text.startsWith("Error 76 while exporting to the textfile occured:\n\n"))
        << fake.messages[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(TextExport, noListBound_failsWithoutEmptyingTheFile) {
    const QString path = dir.filePath("keep.txt");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("keep me");
    }
    clsLVTextExport unbound;
    unbound.setFilename(path);
    EXPECT_FALSE(unbound.ExportListViewToTextfile());
    EXPECT_EQ(readFile(path), "keep me");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_TRUE(fake.messages[0].text.startsWith("Error 91 "));
}

TEST_F(TextExport, showFileDialog_presetsAndTakesTheChoiceOnlyOnConfirm) {
    ex.setFilename("/home/user/old.txt");
    EXPECT_FALSE(ex.ShowFileDialog());  // cancelled
    EXPECT_EQ(ex.filename(), "/home/user/old.txt");
    ASSERT_EQ(fake.saveRequests.size(), 1u);
    const auto& req = fake.saveRequests[0];
    EXPECT_EQ(req.title, "Select export-destination");
    EXPECT_EQ(req.filter, "Textfiles (*.txt)|*.txt|All files (*.*)|*.*");
    EXPECT_EQ(req.defaultExt, "*.txt");
    EXPECT_EQ(req.preset, "/home/user/old.txt");
    EXPECT_TRUE(req.overwritePrompt);

    fake.saveAnswers.push_back(QString("/home/user/new.txt"));
    EXPECT_TRUE(ex.ShowFileDialog());
    EXPECT_EQ(ex.filename(), "/home/user/new.txt");
}
