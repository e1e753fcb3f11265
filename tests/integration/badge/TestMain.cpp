#include "foundation/AppEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>

// The badge is a widget window and the mouse watch talks to a real X server: these tests need
// a widget application on the xcb platform inside scripts/with-desktop-session.sh.
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
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
