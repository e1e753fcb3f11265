#include "app/RarozezevApp.h"

#include "integration/app/TrayApplicationHarness.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(TrayApplication, ACollectionDatabaseThatCannotBeCreatedStopsTheProgramWithItsReason)
{
    TrayApplicationHarness harness;
    // The data directory is a file, so the database directory cannot be made.
    QFile blocker(harness.path(QStringLiteral("blocked-data")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    harness.environment().insert(QStringLiteral("XDG_DATA_HOME"), blocker.fileName());

    ASSERT_TRUE(harness.startApplication(false));
    // The same message waits in a dialog; dismissing it ends the program.
    ASSERT_TRUE(TrayApplicationHarness::waitUntil(
        [] { return !TrayApplicationHarness::visibleWindows(QStringLiteral("英语助手")).isEmpty(); }, 10s));
    const QString dialog = TrayApplicationHarness::visibleWindows(QStringLiteral("英语助手")).first();
    TrayApplicationHarness::tool(QStringLiteral("xdotool"), {"windowactivate", "--sync", dialog});
    TrayApplicationHarness::tool(QStringLiteral("xdotool"), {"key", "--window", dialog, "Return"});
    ASSERT_TRUE(TrayApplicationHarness::waitUntil(
        [&] { return harness.application()->state() == QProcess::NotRunning; }, 10s));

    const auto result = harness.stopApplication();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->exitCode, 1);
    EXPECT_TRUE(result->err.startsWith(RarozezevApp::containerFailurePrefix())) << result->err.toStdString();
    EXPECT_TRUE(result->err.contains(QStringLiteral("blocked-data"))) << result->err.toStdString();
}

TEST(TrayApplication, RunsOncePerSessionAndHandsLaterStartsOver)
{
    TrayApplicationHarness harness;
    ASSERT_TRUE(harness.startApplication());
    const std::optional<qint64> owner = DBusSingleInstanceService::instanceProcessId();
    ASSERT_TRUE(owner);
    EXPECT_EQ(*owner, harness.application()->processId());

    const auto second = harness.run({}, 15s);
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(harness.application()->state(), QProcess::Running);
    EXPECT_EQ(DBusSingleInstanceService::instanceProcessId(), owner);

    const auto refused = harness.run({"open", "daily"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_FALSE(refused.err.isEmpty());

    // Without a tray host (the session runs none) the program keeps running and says so once.
    EXPECT_EQ(harness.logText().count(QStringLiteral("No system tray is available")), 1) << harness.logText().toStdString();

    // SIGTERM ends it cleanly and frees the name.
    const auto stopped = harness.stopApplication();
    ASSERT_TRUE(stopped);
    EXPECT_EQ(stopped->exitCode, 0);
    EXPECT_FALSE(DBusSingleInstanceService::isInstanceRunning());
}

TEST(TrayApplication, OpenStartsTheApplicationWhenNoneRuns)
{
    TrayApplicationHarness harness;
    ASSERT_FALSE(DBusSingleInstanceService::isInstanceRunning());
    const auto opened = harness.run({"open", "settings"});
    EXPECT_EQ(opened.exitCode, 0) << opened.err.toStdString();
    EXPECT_TRUE(DBusSingleInstanceService::isInstanceRunning());
    EXPECT_TRUE(TrayApplicationHarness::waitUntil(
        [] { return !TrayApplicationHarness::visibleWindows(QStringLiteral("设置")).isEmpty(); }, 5s));
    harness.stopApplication();
}
