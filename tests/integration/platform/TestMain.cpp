#include "foundation/AppEnvironment.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

// The platform mechanisms talk to a real X server (the desktop session started by the test
// command), through Qt's clipboard and their own connections; they need a GUI application.
int main(int argc, char **argv)
{
    AppEnvironment::markRunningTests();
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery runs without a display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
