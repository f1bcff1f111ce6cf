// Test entry point: an application on the offscreen platform, so that fonts, palettes, painting
// and (for the widget tests) windows work without a display.
#include <gtest/gtest.h>

#ifdef SCHEME_TEST_WIDGETS
#include <QApplication>
using TTestApplication = QApplication;
#else
#include <QGuiApplication>
using TTestApplication = QGuiApplication;
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    TTestApplication App(argc, argv);
    return RUN_ALL_TESTS();
}
