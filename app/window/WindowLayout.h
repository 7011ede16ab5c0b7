#pragma once
// The main window's layout rules, as plain arithmetic in twips so they can be
// checked without a window. The window converts with the screen's twips per
// pixel and applies the rectangles.

#include <QRect>

namespace fd {

// Gap between the parts of the right side.
constexpr int kLayoutGap = 30;
// Height the tab control is given.
constexpr int kTabControlHeight = 3960;

// The status bar shows only on a window at least 2500 x 1500 twips inside.
bool statusBarVisible(int innerWidth, int innerHeight);

struct RightSideInput {
    int width = 0, height = 0;  // the right side
    int goWidth = 0, addressHeight = 0;
    int stripHeight = 0;    // the browser-controls strip
    int navWidth = 0;       // Back / Forward / Stop frame
    int progressWidth = 0;  // the progress bar's own width
    int tabHeight = kTabControlHeight;
};

struct RightSideLayout {
    QRect tabs, address, go, browser, strip;
    QRect progress, nav;  // inside the strip
    bool progressVisible = true;
    bool navVisible = true;
};

// Top to bottom: tab control; the address bar and Go 30 below it; the
// browser 30 below that, filling down to the strip; the strip 30 below the
// browser at the bottom. The navigation frame sits 30 in from the strip's
// right end and hides when the strip is narrower than it; the progress bar
// hides when it and the navigation frame do not both fit.
RightSideLayout layoutRightSide(const RightSideInput& in);

}  // namespace fd
