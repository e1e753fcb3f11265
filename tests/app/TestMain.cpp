#include "foundation/AppEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

// The delegate opens real windows, so this suite runs a widget application, offscreen.
int main(int argc, char **argv)
{
    AppEnvironment::markRunningTests();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
