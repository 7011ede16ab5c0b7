#include "WindowLayout.h"

#include <algorithm>

namespace fd {

bool statusBarVisible(int innerWidth, int innerHeight) {
    return innerHeight >= 1500 && innerWidth >= 2500;
}

RightSideLayout layoutRightSide(const RightSideInput& in) {
    RightSideLayout r;
    const int g = kLayoutGap;
    r.tabs = QRect(0, 0, in.width, in.tabHeight);
    const int addressTop = r.tabs.bottom() + 1 + g;
    r.address = QRect(0, addressTop, std::max(0, in.width - in.goWidth - g), in.addressHeight);
    r.go = QRect(r.address.right() + 1 + g, addressTop, in.goWidth, in.addressHeight);
    const int stripTop = std::max(addressTop + in.addressHeight + g, in.height - in.stripHeight);
    const int browserTop = addressTop + in.addressHeight + g;
    r.browser = QRect(0, browserTop, in.width, std::max(0, stripTop - g - browserTop));
    r.strip = QRect(0, stripTop, in.width, in.stripHeight);
    r.navVisible = r.strip.width() >= in.navWidth;
    r.nav = QRect(std::max(0, in.width - in.navWidth - g), 0, in.navWidth, in.stripHeight);
    r.progressVisible = in.progressWidth + in.navWidth <= r.strip.width();
    r.progress = QRect(0, 0, in.progressWidth, in.stripHeight);
    return r;
}

}  // namespace fd
