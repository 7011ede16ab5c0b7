// Entry point shared by every Listcaster test: widgets need a QApplication
// (offscreen under ctest) before any test builds a list or a dialog.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
