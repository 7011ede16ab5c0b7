// GoogleTest entry point for tests that need a QApplication (widgets,
// WebEngine). Link it instead of gtest_main.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
