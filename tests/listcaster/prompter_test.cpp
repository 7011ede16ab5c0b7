// The shared prompter seam: the fake is installed and removed per scope, and
// the VB-style filter strings of the exporters turn into Qt's filter form;
// the real progress dialog appears over its window and takes a Cancel.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include "FakePrompter.h"

using namespace listcaster;

TEST(Prompter, scopeInstallsFakeAndRestoresBuiltIn) {
    Prompter* before = &prompter();
    {
        test::FakePrompter fake;
        test::FakePrompter::Scope scope(fake);
        EXPECT_EQ(&prompter(), &fake);
        fake.answers.push_back(Answer::No);
        EXPECT_EQ(
            prompter().message(nullptr, MessageIcon::Question, "c", "t", MessageButtons::YesNo),
            Answer::No);
        EXPECT_EQ(
            prompter().message(nullptr, MessageIcon::Question, "c", "t", MessageButtons::YesNo),
            Answer::Yes);
        ASSERT_EQ(fake.messages.size(), 2u);
        EXPECT_EQ(fake.messages[0].caption, "c");
        EXPECT_FALSE(prompter().saveFileName(nullptr, "", "", "", "").has_value());
    }
    EXPECT_EQ(&prompter(), before);
    EXPECT_NE(dynamic_cast<QtPrompter*>(&prompter()), nullptr);
}

TEST(Prompter, pipeFilterBecomesQtFilter) {
    EXPECT_EQ(QtPrompter::toQtFilter("Textfiles (*.txt)|*.txt|All files (*.*)|*.*"),
              "Textfiles (*.txt);;All files (*.*)");
    EXPECT_EQ(QtPrompter::toQtFilter("Text|*.txt;*.log"), "Text (*.txt *.log)");
    EXPECT_EQ(QtPrompter::toQtFilter(""), "");
}

TEST(Prompter, progressDialogAppearsOverItsWindowAndCancels) {
    QWidget window;
    window.show();
    QtPrompter real;
    auto progress = real.progress(&window, "Export list", "Exporting 100 rows ...", 100);
    auto* dialog = window.findChild<QProgressDialog*>("dlgListProgress");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    // It appears once the work has run for a moment, not at once.
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(progress->advance(1));
    const QDeadlineTimer deadline(30000);
    while (!dialog->isVisible() && !deadline.hasExpired()) QTest::qWait(20);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Export list");
    EXPECT_EQ(dialog->labelText(), "Exporting 100 rows ...");

    EXPECT_TRUE(progress->advance(50));
    EXPECT_EQ(dialog->value(), 50);
    auto* cancel = dialog->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_FALSE(progress->advance(51));
    progress.reset();
    EXPECT_EQ(window.findChild<QProgressDialog*>(), nullptr);
}
