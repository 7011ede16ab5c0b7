// The Excel export written from a real list and read back cell by cell with
// openpyxl (Debian's, from /usr/bin/python3), and its options dialog.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "FakePrompter.h"
#include "PrintListFixture.h"
#include "frmLVExcelExportOptions.h"
#include "listcaster/clsLVExcelExport.h"

using namespace listcaster;
using namespace listcaster::test;

namespace {

// Dumps what a spreadsheet program would see: values, number formats, fonts,
// fills, borders, alignments, column widths and the page header and footer.
const char* kReader = R"PY(
import json, re, sys, zipfile
from openpyxl import load_workbook
path = sys.argv[1]
wb = load_workbook(path)
ws = wb.active
def colour(c):
    if c is None or c.rgb is None or not isinstance(c.rgb, str): return None
    return c.rgb[-6:]
def side(s):
    return [s.style, colour(s.color)] if s is not None and s.style else None
cells = {}
for row in ws.iter_rows(min_row=1, max_row=ws.max_row, max_col=ws.max_column):
    for c in row:
        f = c.font
        cells[c.coordinate] = {
            "value": c.value, "format": c.number_format,
            "font": [f.name, f.sz, bool(f.b), bool(f.i), bool(f.strike), colour(f.color)],
            "fill": colour(c.fill.fgColor) if c.fill.fill_type == "solid" else None,
            "left": side(c.border.left), "right": side(c.border.right),
            "top": side(c.border.top), "bottom": side(c.border.bottom),
            "align": c.alignment.horizontal}
widths = {k: v.width for k, v in ws.column_dimensions.items()}
xml = zipfile.ZipFile(path).read("xl/worksheets/sheet1.xml").decode()
def tag(t):
    m = re.search("<%s>(.*?)</%s>" % (t, t), xml)
    return m.group(1).replace("&amp;", "&") if m else None
print(json.dumps({"cells": cells, "max_row": ws.max_row, "max_col": ws.max_column,
                  "widths": widths, "header": tag("oddHeader"), "footer": tag("oddFooter")}))
)PY";

QJsonObject readBack(const QString& path) {
    QProcess py;
    py.start(QStringLiteral("/usr/bin/python3"),
             {QStringLiteral("-c"), QString::fromUtf8(kReader), path});
    EXPECT_TRUE(py.waitForFinished(60000));
    const QByteArray out = py.readAllStandardOutput();
    EXPECT_EQ(py.exitCode(), 0) << py.readAllStandardError().constData();
    return QJsonDocument::fromJson(out).object();
}

QJsonObject cell(const QJsonObject& book, const char* ref) {
    return book["cells"].toObject()[QString::fromLatin1(ref)].toObject();
}

QString hex(const QColor& c) {
    return c.name().mid(1).toUpper();
}

// Three columns (left, right, centre), a red row, a bold selected row, a row
// with one sub-item missing, and a number that must stay text.
std::unique_ptr<QTreeWidget> sampleList() {
    auto list = makeList({"Page", "Count", "State"}, {150, 75, 60},
                         {{{"a.htm", "007", "new"}, false, QColor(Qt::red)},
                          {{"b.htm", "12", "old"}, true, QColor(), true},
                          {{"c.htm", "3"}}});
    list->headerItem()->setTextAlignment(1, Qt::AlignRight);
    list->headerItem()->setTextAlignment(2, Qt::AlignHCenter);
    QFont f(QStringLiteral("DejaVu Sans"), 9);
    f.setItalic(true);
    list->setFont(f);
    return list;
}

}  // namespace

TEST(ExcelExport, writesValuesFormatsBordersWidthsAndPageSetup) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    QTemporaryDir dir;
    auto list = sampleList();
    clsLVExcelExport x;
    x.setListView(list.get());
    x.Filename = dir.filePath("out.xlsx");
    x.Header = QStringLiteral("Sales & more");
    x.Mark = true;
    x.twipsPerPixelX = 15;
    ASSERT_TRUE(x.ExportListViewToExcel());
    EXPECT_TRUE(prompts.messages.empty());
    const QJsonObject book = readBack(x.Filename);
    ASSERT_EQ(book["max_row"].toInt(), 4);
    ASSERT_EQ(book["max_col"].toInt(), 3);

    // Header row: captions, bold, two points larger, grey, white left edge,
    // inside the medium frame.
    const QJsonObject a1 = cell(book, "A1"), b1 = cell(book, "B1"), c1 = cell(book, "C1");
    EXPECT_EQ(a1["value"].toString(), "Page");
    EXPECT_EQ(a1["format"].toString(), "@");
    EXPECT_EQ(a1["font"].toArray()[0].toString(), "DejaVu Sans");
    EXPECT_EQ(a1["font"].toArray()[1].toDouble(), 11);
    EXPECT_TRUE(a1["font"].toArray()[2].toBool());
    EXPECT_TRUE(a1["font"].toArray()[3].toBool());  // the list's italic
    EXPECT_EQ(a1["fill"].toString(), "C0C0C0");
    EXPECT_EQ(a1["left"].toArray()[0].toString(), "medium");
    EXPECT_EQ(a1["top"].toArray()[0].toString(), "medium");
    EXPECT_EQ(a1["bottom"].toArray()[0].toString(), "thin");
    EXPECT_EQ(b1["left"].toArray()[0].toString(), "thin");
    EXPECT_EQ(b1["left"].toArray()[1].toString(), "FFFFFF");
    EXPECT_EQ(c1["right"].toArray()[0].toString(), "medium");

    // Data: text cells with the row's colour and bold flag and a fine bottom rule.
    const QJsonObject a2 = cell(book, "A2"), b2 = cell(book, "B2");
    EXPECT_EQ(a2["value"].toString(), "a.htm");
    EXPECT_EQ(b2["value"].toString(), "007");  // kept as typed
    EXPECT_EQ(b2["format"].toString(), "@");
    EXPECT_EQ(a2["font"].toArray()[5].toString(), "FF0000");
    EXPECT_FALSE(a2["font"].toArray()[2].toBool());
    EXPECT_EQ(a2["font"].toArray()[1].toDouble(), 9);
    EXPECT_EQ(a2["bottom"].toArray()[0].toString(), "hair");
    EXPECT_EQ(a2["fill"], QJsonValue());

    // The selected row is highlighted and keeps its bold flag.
    const QJsonObject a3 = cell(book, "A3");
    const QPalette pal = QGuiApplication::palette();
    EXPECT_EQ(a3["fill"].toString(), hex(pal.color(QPalette::Highlight)));
    EXPECT_EQ(a3["font"].toArray()[5].toString(), hex(pal.color(QPalette::HighlightedText)));
    EXPECT_TRUE(a3["font"].toArray()[2].toBool());

    // The short row: an empty cell that still has its borders.
    const QJsonObject c4 = cell(book, "C4");
    EXPECT_TRUE(c4["value"].isNull());
    EXPECT_EQ(c4["bottom"].toArray()[0].toString(), "medium");
    EXPECT_EQ(c4["right"].toArray()[0].toString(), "medium");
    EXPECT_EQ(cell(book, "A4")["left"].toArray()[0].toString(), "medium");

    // Alignments per column, captions included.
    EXPECT_EQ(a2["align"].toString(), "left");
    EXPECT_EQ(b1["align"].toString(), "right");
    EXPECT_EQ(cell(book, "B4")["align"].toString(), "right");
    EXPECT_EQ(cell(book, "C4")["align"].toString(), "center");

    // Widths: twips / twips per pixel / 7.37, as Excel stores them (plus its padding).
    const QJsonObject widths = book["widths"].toObject();
    EXPECT_NEAR(widths["A"].toDouble(), 150 / 7.37, 0.8);
    EXPECT_NEAR(widths["B"].toDouble(), 75 / 7.37, 0.8);

    EXPECT_EQ(book["header"].toString(), "&LSales && more&R&D, &T");
    EXPECT_EQ(book["footer"].toString(), "&CSeite &P von &N");
}

TEST(ExcelExport, onlySelectedWithNothingSelectedWritesTheFramedHeaderAlone) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    QTemporaryDir dir;
    auto list = sampleList();
    list->clearSelection();
    clsLVExcelExport x;
    x.setListView(list.get());
    x.Filename = dir.filePath("sel.xlsx");
    x.OnlySelected = true;
    ASSERT_TRUE(x.ExportListViewToExcel());
    const QJsonObject book = readBack(x.Filename);
    EXPECT_EQ(book["max_row"].toInt(), 1);
    EXPECT_EQ(cell(book, "B1")["bottom"].toArray()[0].toString(), "medium");
}

TEST(ExcelExport, withoutBordersAndBackgroundMarkHasNoEffect) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    QTemporaryDir dir;
    auto list = sampleList();
    clsLVExcelExport x;
    x.setListView(list.get());
    x.Filename = dir.filePath("plain.xlsx");
    x.BordersAndBackground = false;
    x.Mark = true;
    ASSERT_TRUE(x.ExportListViewToExcel());
    const QJsonObject book = readBack(x.Filename);
    for (const char* ref : {"A1", "B3", "C4"}) {
        const QJsonObject c = cell(book, ref);
        EXPECT_EQ(c["fill"], QJsonValue()) << ref;
        EXPECT_EQ(c["bottom"], QJsonValue()) << ref;
        EXPECT_EQ(c["left"], QJsonValue()) << ref;
    }
    EXPECT_TRUE(cell(book, "A1")["font"].toArray()[2].toBool());  // the header is still bold
    EXPECT_EQ(cell(book, "A3")["font"].toArray()[5].toString(),
              hex(list->palette().color(QPalette::Text)));
}

TEST(ExcelExport, replacesAnExistingFileAndReportsAnUnwritablePlace) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    QTemporaryDir dir;
    auto list = sampleList();
    const QString path = dir.filePath("old.xlsx");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("not a workbook");
    }
    clsLVExcelExport x;
    x.setListView(list.get());
    x.Filename = path;
    ASSERT_TRUE(x.ExportListViewToExcel());
    EXPECT_EQ(readBack(path)["max_row"].toInt(), 4);
    // Nothing but the workbook is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.xlsx"});

    // A replaced file keeps its mode; a new one gets the umask's usual mode;
    // a link stays a link and its target is replaced.
    const auto mode = [](const QString& p) {
        struct stat st {};
        return ::stat(QFile::encodeName(p).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
    };
    for (int m : {0644, 0640}) {
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode_t(m)), 0);
        ASSERT_TRUE(x.ExportListViewToExcel());
        EXPECT_EQ(mode(path), m);
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    x.Filename = dir.filePath("new.xlsx");
    ASSERT_TRUE(x.ExportListViewToExcel());
    EXPECT_EQ(mode(x.Filename), int(0666 & ~mask));
    const QString link = dir.filePath("link.xlsx");
    ASSERT_TRUE(QFile::link(path, link));
    x.Filename = link;
    QFile::remove(path);
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("not a workbook");
    }
    ASSERT_TRUE(x.ExportListViewToExcel());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readBack(path)["max_row"].toInt(), 4);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"link.xlsx", "new.xlsx", "old.xlsx"}));
    EXPECT_TRUE(prompts.messages.empty());

    x.Filename = dir.filePath("missing/folder/new.xlsx");
    EXPECT_FALSE(x.ExportListViewToExcel());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(prompts.messages[0].caption, "Export list");
    EXPECT_TRUE(
        prompts.messages[0].text.startsWith("Error 75 while exporting to Excel occured:\n\n"))
        << prompts.messages[0].text.toStdString();
}

// More than 10,000 rows show a progress bar; Cancel keeps the old file and
// leaves no temporary file behind.
TEST(ExcelExport, longListCancelledKeepsTheOldFile) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    QTemporaryDir dir;
    QTreeWidget list;
    list.setHeaderLabels({"Key", "Value"});
    for (int i = 0; i < 10001; ++i)
        list.addTopLevelItem(new QTreeWidgetItem(QStringList{QString::number(i), "v"}));
    const QString path = dir.filePath("old.xlsx");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("kept");
    }
    clsLVExcelExport x;
    x.setListView(&list);
    x.Filename = path;
    prompts.cancelAt = 5000;
    EXPECT_FALSE(x.ExportListViewToExcel());
    EXPECT_TRUE(prompts.messages.empty());
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "kept");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.xlsx"});

    prompts.cancelAt.reset();
    ASSERT_TRUE(x.ExportListViewToExcel());
    EXPECT_EQ(readBack(path)["max_row"].toInt(), 10002);
    ASSERT_EQ(prompts.progresses.size(), 2u);
    EXPECT_EQ(prompts.progresses[1].furthest, 10001);
}

TEST(ExcelExport, fileDialogOffersWorkbooksAndKeepsTheNameOnCancel) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    clsLVExcelExport x;
    x.Filename = "/data/before.xlsx";
    EXPECT_FALSE(x.ShowFileDialog());
    EXPECT_EQ(x.Filename, "/data/before.xlsx");
    prompts.saveAnswers.push_back(QStringLiteral("/data/after.xlsx"));
    EXPECT_TRUE(x.ShowFileDialog());
    EXPECT_EQ(x.Filename, "/data/after.xlsx");
    ASSERT_EQ(prompts.saveRequests.size(), 2u);
    const auto& req = prompts.saveRequests[0];
    EXPECT_EQ(req.title, "Select export-destination");
    EXPECT_EQ(req.filter, "Mircrosoft Excel-Workbook (*.xlsx)|*.xlsx|All files (*.*)|*.*");
    EXPECT_EQ(req.defaultExt, "xlsx");
    EXPECT_EQ(req.preset, "/data/before.xlsx");
    EXPECT_TRUE(req.overwritePrompt);
}

namespace {
template <typename T>
T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QString::fromLatin1(name));
    EXPECT_TRUE(c) << name;
    return c;
}
}  // namespace

TEST(ExcelDialog, asksForAFileThenExportsAndOpensOnYes) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    QTemporaryDir dir;
    auto list = sampleList();
    frmLVExcelExportOptions dlg;
    dlg.exporter().twipsPerPixelX = 15;
    const QString path = dir.filePath("dlg.xlsx");
    QTimer::singleShot(0, &dlg, [&] {
        EXPECT_EQ(dlg.windowTitle(), "Export list to Microsoft Excel");
        EXPECT_TRUE(child<QLabel>(dlg, "lblVersion")->text().startsWith("libxlsxwriter 1."));
        EXPECT_EQ(child<QLabel>(dlg, "lblSelectedItemCount")->text(), "1 entry selected");
        EXPECT_EQ(child<QLineEdit>(dlg, "txtTitle")->text(), "Report");
        EXPECT_EQ(child<QLabel>(dlg, "lblFileName")->text(), "(not set)");

        child<QPushButton>(dlg, "btnExport")->click();  // no file yet
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, "No filename entered.");
        EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Error);
        EXPECT_TRUE(dlg.isVisible());

        auto* bb = child<QCheckBox>(dlg, "chkBordersAndBackground");
        auto* mark = child<QCheckBox>(dlg, "chkMark");
        bb->setChecked(false);
        EXPECT_FALSE(mark->isEnabled());
        bb->setChecked(true);
        EXPECT_TRUE(mark->isEnabled());
        child<QLineEdit>(dlg, "txtTitle")->setText("Changed");

        prompts.saveAnswers.push_back(path);
        child<QPushButton>(dlg, "btnChangeFileName")->click();
        EXPECT_EQ(child<QLabel>(dlg, "lblFileName")->text(), path);
        child<QPushButton>(dlg, "btnExport")->click();
    });
    EXPECT_TRUE(dlg.ShowDlg(list.get(), "Report"));
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text,
              "The list has been successfully exported.\n\nDo you want to open the file now?");
    EXPECT_EQ(prompts.messages[1].buttons, MessageButtons::YesNo);
    ASSERT_EQ(prompts.opened.size(), 1u);
    EXPECT_EQ(prompts.opened[0], path);
    EXPECT_EQ(readBack(path)["header"].toString(), "&LChanged&R&D, &T");
}

TEST(ExcelDialog, cancelWritesNothing) {
    FakePrompter prompts;
    FakePrompter::Scope scope(prompts);
    auto list = sampleList();
    frmLVExcelExportOptions dlg;
    QTimer::singleShot(0, &dlg, [&] { dlg.close(); });
    EXPECT_FALSE(dlg.ShowDlg(list.get(), QString()));
    EXPECT_TRUE(prompts.messages.empty());
}
