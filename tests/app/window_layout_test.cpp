// The main window's layout rules at a few sizes, in twips.
#include <gtest/gtest.h>

#include "window/WindowLayout.h"

using namespace fd;

TEST(WindowLayout, StatusBarNeedsTheMinimumSize) {
    EXPECT_TRUE(statusBarVisible(2500, 1500));
    EXPECT_FALSE(statusBarVisible(2499, 1500));
    EXPECT_FALSE(statusBarVisible(2500, 1499));
    EXPECT_TRUE(statusBarVisible(15000, 9000));
}

namespace {
RightSideInput input(int width, int height) {
    RightSideInput in;
    in.width = width;
    in.height = height;
    in.goWidth = 450;
    in.addressHeight = 330;
    in.stripHeight = 360;
    in.navWidth = 1200;
    in.progressWidth = 3000;
    return in;
}
}  // namespace

TEST(WindowLayout, RightSideStacksWithGaps) {
    const RightSideLayout l = layoutRightSide(input(12000, 12000));
    EXPECT_EQ(l.tabs, QRect(0, 0, 12000, kTabControlHeight));
    EXPECT_EQ(l.address.top(), kTabControlHeight + kLayoutGap);
    EXPECT_EQ(l.address.width(), 12000 - 450 - kLayoutGap);
    EXPECT_EQ(l.go.left(), l.address.right() + 1 + kLayoutGap);
    EXPECT_EQ(l.go.top(), l.address.top());
    EXPECT_EQ(l.browser.top(), l.address.bottom() + 1 + kLayoutGap);
    EXPECT_EQ(l.browser.width(), 12000);
    EXPECT_EQ(l.strip.top(), l.browser.bottom() + 1 + kLayoutGap);
    EXPECT_EQ(l.strip.bottom(), 12000 - 1);
    EXPECT_EQ(l.nav.right(), 12000 - 1 - kLayoutGap);
    EXPECT_TRUE(l.progressVisible);
    EXPECT_TRUE(l.navVisible);
}

TEST(WindowLayout, NarrowRightSideHidesProgressThenButtons) {
    EXPECT_TRUE(layoutRightSide(input(4200, 9000)).progressVisible);
    RightSideLayout l = layoutRightSide(input(4199, 9000));
    EXPECT_FALSE(l.progressVisible);
    EXPECT_TRUE(l.navVisible);
    l = layoutRightSide(input(1199, 9000));
    EXPECT_FALSE(l.progressVisible);
    EXPECT_FALSE(l.navVisible);
}

TEST(WindowLayout, ShortRightSideNeverGivesNegativeSizes) {
    const RightSideLayout l = layoutRightSide(input(300, 1000));
    EXPECT_GE(l.browser.height(), 0);
    EXPECT_GE(l.address.width(), 0);
    EXPECT_GE(l.strip.top(), l.browser.bottom());
}
