#include "foundation/AppEnvironment.h"

#include <gtest/gtest.h>

#include <cstdio>

// The main of every suite. Each suite names the Qt application it needs (the event loop for
// coroutines, a GUI one for the X server, a widget one for windows) and whether it runs on the
// X server of scripts/with-desktop-session.sh; the other GUI suites render offscreen. (The
// end-to-end suite leaves the platform alone: the programs it starts inherit it.)
#if RAROZEZEV_TEST_APPLICATION == 2
#include <QApplication>
using TestApplication = QApplication;
#elif RAROZEZEV_TEST_APPLICATION == 1
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char **argv)
{
    AppEnvironment::markRunningTests();
    ::testing::InitGoogleTest(&argc, argv);
#ifdef RAROZEZEV_TEST_ON_X11
    // ctest lists the tests before running them, possibly without a display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "These tests need an X display; run them inside scripts/with-desktop-session.sh.\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
#elif RAROZEZEV_TEST_APPLICATION > 0
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
