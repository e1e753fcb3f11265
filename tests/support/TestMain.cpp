#include "foundation/AppEnvironment.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// Tests of asynchronous code need an event loop; QCoroutines resume on it.
int main(int argc, char **argv)
{
    AppEnvironment::markRunningTests();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
