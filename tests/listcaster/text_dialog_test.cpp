// The text-export options dialog driven as a user would: its initial state,
// the missing-file-name check, the ways to cancel, and what happens after a
// confirmed export (the question, opening the file, a reported failure).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "FakePrompter.h"
#include "ListFixtures.h"
#include "ModalHelper.h"
#include "frmLVTextfileExportOptions.h"

using namespace listcaster;
using listcaster::test::FakePrompter;
using listcaster::test::whenModalShown;

namespace {

template <typename W>
W* child(QDialog* d, const char* name) {
    auto* w = d->findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

class TextDialog : public ::testing::Test {
protected:
    std::unique_ptr<QTreeWidget> pages =
        test::makeList({"URL", "Date"}, {{"a.htm", "1.1.02"}, {"index.htm", "3.1.02"}});
    FakePrompter fake;
    FakePrompter::Scope scope{fake};
    QTemporaryDir dir;
    QString path = dir.filePath("pages.txt");
};

}  // namespace

TEST_F(TextDialog, initialStateShowsTitleAndSelectedCount) {
    test::selectRows(*pages, {1});
    bool checked = false;
    whenModalShown([&](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Export list to textfile");
        EXPECT_EQ(child<QLabel>(d, "lblFileName")->text(), "(not set)");
        EXPECT_EQ(child<QLabel>(d, "lblSelectedItemCount")->text(), "1 entry selected");
        EXPECT_EQ(child<QLineEdit>(d, "txtTitle")->text(), "Pages");
        EXPECT_FALSE(child<QCheckBox>(d, "chkAppend")->isChecked());
        EXPECT_FALSE(child<QCheckBox>(d, "chkOnlySelected")->isChecked());
        EXPECT_TRUE(child<QCheckBox>(d, "chkHeaders")->isChecked());
        EXPECT_TRUE(child<QRadioButton>(d, "optReadable")->isChecked());
        EXPECT_FALSE(child<QRadioButton>(d, "optStructured")->isChecked());
        EXPECT_TRUE(child<QPushButton>(d, "btnExport")->isDefault());
        checked = true;
        QTest::keyClick(d, Qt::Key_Escape);  // Esc cancels
    });
    frmLVTextfileExportOptions dlg;
    EXPECT_FALSE(dlg.ShowDlg(pages.get(), "Pages"));
    EXPECT_TRUE(checked);
    EXPECT_TRUE(fake.messages.empty());

    EXPECT_EQ(frmLVTextfileExportOptions::selectedCountText(0), "0 entries selected");
    EXPECT_EQ(frmLVTextfileExportOptions::selectedCountText(2), "2 entries selected");
}

TEST_F(TextDialog, closeBoxCancels) {
    whenModalShown([](QDialog* d) { d->close(); });
    frmLVTextfileExportOptions dlg;
    EXPECT_FALSE(dlg.ShowDlg(pages.get(), ""));
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(TextDialog, exportWithoutFileNameKeepsDialogOpenThenExportsChosenOptions) {
    fake.answers = {Answer::Ok, Answer::No};  // the error box, then "open now?"
    whenModalShown([&](QDialog* d) {
        child<QPushButton>(d, "btnExport")->click();
        ASSERT_EQ(fake.messages.size(), 1u);
        EXPECT_EQ(fake.messages[0].text, "No filename entered.");
        EXPECT_EQ(fake.messages[0].caption, "Export list");
        EXPECT_EQ(fake.messages[0].icon, MessageIcon::Error);
        EXPECT_TRUE(d->isVisible());

        fake.saveAnswers.push_back(path);
        child<QPushButton>(d, "btnChangeFileName")->click();
        EXPECT_EQ(child<QLabel>(d, "lblFileName")->text(), path);
        child<QRadioButton>(d, "optStructured")->click();
        child<QCheckBox>(d, "chkHeaders")->click();
        child<QLineEdit>(d, "txtTitle")->setText("Site");
        child<QPushButton>(d, "btnExport")->click();
        EXPECT_FALSE(d->isVisible());
    });
    frmLVTextfileExportOptions dlg;
    EXPECT_TRUE(dlg.ShowDlg(pages.get(), "Pages"));
    EXPECT_EQ(readFile(path), "Site\r\n====\r\n\r\na.htm\t1.1.02\t\r\nindex.htm\t3.1.02\t\r\n");

    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].icon, MessageIcon::Question);
    EXPECT_EQ(fake.messages[1].buttons, MessageButtons::YesNo);
    EXPECT_EQ(fake.messages[1].caption, "Export list");
    EXPECT_EQ(fake.messages[1].text,
              "The list has been successfully exported.\n\nDo you want to open the file now?");
    EXPECT_TRUE(fake.opened.empty());  // answered No
}

TEST_F(TextDialog, yesOpensTheFileAndAppendOnlySelectedAreHonoured) {
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("before\r\n");
    }
    test::selectRows(*pages, {1});
    fake.saveAnswers.push_back(path);
    whenModalShown([&](QDialog* d) {
        child<QPushButton>(d, "btnChangeFileName")->click();
        child<QCheckBox>(d, "chkAppend")->click();
        child<QCheckBox>(d, "chkOnlySelected")->click();
        child<QLineEdit>(d, "txtTitle")->clear();
        child<QPushButton>(d, "btnExport")->click();
    });
    frmLVTextfileExportOptions dlg;
    EXPECT_TRUE(dlg.ShowDlg(pages.get(), "Pages"));
    EXPECT_EQ(readFile(path),
              "before\r\nURL       Date\r\n----------------\r\nindex.htm 3.1.02\r\n");
    ASSERT_EQ(fake.opened.size(), 1u);
    EXPECT_EQ(fake.opened[0], path);
}

TEST_F(TextDialog, failedExportIsReportedAndNoQuestionAsked) {
    fake.saveAnswers.push_back(dir.filePath("no/such/folder/x.txt"));
    whenModalShown([&](QDialog* d) {
        child<QPushButton>(d, "btnChangeFileName")->click();
        child<QPushButton>(d, "btnExport")->click();
    });
    frmLVTextfileExportOptions dlg;
    EXPECT_TRUE(dlg.ShowDlg(pages.get(), "Pages"));  // confirmed, though the export failed
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(
        fake.messages[0].text.startsWith("Error 76 while exporting to the textfile occured:"));
    EXPECT_TRUE(fake.opened.empty());
}
