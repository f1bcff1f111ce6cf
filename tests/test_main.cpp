// Test entry point: a QGuiApplication on the offscreen platform, so that fonts, palettes and
// painting work without a display.
#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication App(argc, argv);
    return RUN_ALL_TESTS();
}
