// Entry point of every test program: a headless application object, then
// all the tests.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Tests never draw on the real desktop.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
