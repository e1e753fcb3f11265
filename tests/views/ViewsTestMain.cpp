#include "foundation/AppEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

// Widgets need a QApplication. Test discovery runs this program outside ctest's environment,
// so the offscreen platform is chosen here as well.
int main(int argc, char **argv)
{
    AppEnvironment::markRunningTests();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
