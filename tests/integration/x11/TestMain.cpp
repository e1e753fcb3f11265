#include "foundation/AppEnvironment.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdio>

// The hotkey lives on Qt's own X11 connection, so these tests need a GUI application on the
// xcb platform, and an X server: scripts/with-desktop-session.sh provides one.
int main(int argc, char **argv)
{
    AppEnvironment::markRunningTests();
    ::testing::InitGoogleTest(&argc, argv);
    // ctest lists the tests before running them, possibly without a display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "These tests need an X display; run them inside scripts/with-desktop-session.sh.\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
