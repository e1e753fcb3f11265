#include "foundation/AppEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

// The panel windows against a real X server and window manager
// (scripts/with-desktop-session.sh). Without a display (test discovery outside the session)
// the program still starts, offscreen, and the tests skip themselves.
int main(int argc, char **argv)
{
    AppEnvironment::markRunningTests();
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
