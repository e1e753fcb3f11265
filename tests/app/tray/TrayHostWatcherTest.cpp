#include "app/TrayHostWatcher.h"

#include "support/CoroutineTestSupport.h"

#include <QCoroSignal>
#include <QCoroTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

QCoro::Task<bool> reportsHost(TrayHostWatcher &watcher, std::chrono::milliseconds timeout)
{
    co_return (co_await qCoro(&watcher, &TrayHostWatcher::trayHostAvailable, timeout)).has_value();
}

// True when the watcher reports a host within `timeout`.
bool reportsHostWithin(TrayHostWatcher &watcher, std::chrono::milliseconds timeout)
{
    return waitForTask(reportsHost(watcher, timeout));
}

} // namespace

TEST(TrayHostWatcher, ReportsAHostWhenItAppearsOnceAndAgainAfterItCameBack)
{
    bool hostAvailable = false;
    int reports = 0;
    TrayHostWatcher watcher([&] { return hostAvailable; }, 10ms);
    QObject::connect(&watcher, &TrayHostWatcher::trayHostAvailable, [&] { ++reports; });

    watcher.start();
    EXPECT_EQ(reports, 0);
    EXPECT_FALSE(reportsHostWithin(watcher, 50ms));

    hostAvailable = true;
    ASSERT_TRUE(reportsHostWithin(watcher, 1s));
    // A host that stays is reported once, not at every poll.
    EXPECT_FALSE(reportsHostWithin(watcher, 100ms));

    // A panel restarted: its new tray needs the icon shown again.
    hostAvailable = false;
    waitForTask(QCoro::sleepFor(50ms));
    hostAvailable = true;
    ASSERT_TRUE(reportsHostWithin(watcher, 1s));
    EXPECT_EQ(reports, 2);
}

TEST(TrayHostWatcher, ReportsAHostPresentAtStartAtOnce)
{
    int reports = 0;
    TrayHostWatcher watcher([] { return true; }, 10s);
    QObject::connect(&watcher, &TrayHostWatcher::trayHostAvailable, [&] { ++reports; });
    watcher.start();
    EXPECT_EQ(reports, 1);
}
