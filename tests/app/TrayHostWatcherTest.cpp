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

TEST(TrayHostWatcher, ReportsAHostOnceWhenItAppearsAndAgainAfterItCameBack)
{
    bool hostAvailable = false;
    TrayHostWatcher watcher([&] { return hostAvailable; }, 10ms);
    watcher.start();
    EXPECT_FALSE(waitForTask(reportsHost(watcher, 50ms)));

    hostAvailable = true;
    ASSERT_TRUE(waitForTask(reportsHost(watcher, 1s)));
    // A host that stays is reported once, not at every poll.
    EXPECT_FALSE(waitForTask(reportsHost(watcher, 100ms)));

    // A panel restarted: its new tray needs the icon shown again.
    hostAvailable = false;
    waitForTask(QCoro::sleepFor(50ms));
    hostAvailable = true;
    EXPECT_TRUE(waitForTask(reportsHost(watcher, 1s)));
}

} // namespace
