#pragma once
// The site-map routines run against a fresh program folder, scripted dialogs,
// a fake browser and a transfer control of the test's choosing, at a fixed
// moment (3 July, 09:05:07) with the random part 4.

#include <gtest/gtest.h>

#include "sitemap/SiteMap.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"

namespace fd::test {

template <class Transfer>
class SiteMapFixture : public ::testing::Test {
protected:
    SiteMapServices services() {
        SiteMapServices s(dialogs, *folder.globals().errorLog);
        s.browser = &browser;
        s.transfer = &inet;
        s.programFolder = folder.path();
        s.now = [] { return QDateTime(QDate(2026, 7, 3), QTime(9, 5, 7)); };
        s.randomValue = [] { return 4; };
        return s;
    }
    TestFolder folder;
    FakeDialogs dialogs;
    FakeBrowser browser;
    Transfer inet;
};

}  // namespace fd::test
