// The shared prompter seam: the fake is installed and removed per scope, and
// the VB-style filter strings of the exporters turn into Qt's filter form.
#include <gtest/gtest.h>

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
