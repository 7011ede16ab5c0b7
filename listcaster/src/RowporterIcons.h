#pragma once
// The 16x16 symbols of the control's two buttons, drawn as XPM so they need
// no resource files: a printer, and a sheet with an arrow leaving it.

namespace listcaster::icons {

// clang-format off
static const char* const kPrint[] = {
    "16 16 6 1",
    "  c None",
    ". c #000000",
    "+ c #FFFFFF",
    "@ c #C0C0C0",
    "# c #808080",
    "$ c #008000",
    "                ",
    "    .........   ",
    "    .+++++++.   ",
    "    .+.....+.   ",
    "    .+++++++.   ",
    "    .+.....+.   ",
    " ...............",
    " .@@@@@@@@@@@@@.",
    " .@@@@@@@@@@$$@.",
    " .@@@@@@@@@@@@@.",
    " .#############.",
    " .#...........#.",
    " ..+++++++++++..",
    "   .+.....+.+.  ",
    "   .+++++++++.  ",
    "   ...........  ",
};

static const char* const kExport[] = {
    "16 16 6 1",
    "  c None",
    ". c #000000",
    "+ c #FFFFFF",
    "@ c #C0C0C0",
    "# c #000080",
    "$ c #0000FF",
    "                ",
    " ........       ",
    " .++++++..      ",
    " .++++++.+.     ",
    " .+....+....    ",
    " .++++++++.     ",
    " .+.....+.  #   ",
    " .+++++++.  ##  ",
    " .+....+.$$$$$# ",
    " .++++++.$$$$$$#",
    " .+.....+$$$$$# ",
    " .+++++++.  ##  ",
    " .+....++.  #   ",
    " .+++++++.      ",
    " ..........     ",
    "                ",
};
// clang-format on

}  // namespace listcaster::icons
