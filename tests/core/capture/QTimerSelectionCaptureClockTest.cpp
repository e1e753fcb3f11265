#include "capture/QTimerSelectionCaptureClock.h"
#include "support/CoroutineTestSupport.h"
#include "foundation/CancellationError.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

TEST(QTimerSelectionCaptureClockTest, SleepsAtLeastTheRequestedTime)
{
    QTimerSelectionCaptureClock clock;
    QElapsedTimer elapsed;
    elapsed.start();
    waitForTask(clock.sleep(20'000'000, {}));
    EXPECT_GE(elapsed.nsecsElapsed(), 20'000'000);

    // Timers count milliseconds: a shorter request is rounded up, not down to nothing.
    elapsed.restart();
    waitForTask(clock.sleep(1, {}));
    EXPECT_GE(elapsed.nsecsElapsed(), 900'000);
}

TEST(QTimerSelectionCaptureClockTest, CancellationWakesTheSleeper)
{
    QTimerSelectionCaptureClock clock;
    CancellationToken cancellation;
    QTimer::singleShot(10, [cancellation] { cancellation.cancel(); });
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_THROW(waitForTask(clock.sleep(10'000'000'000, cancellation)), CancellationError);
    EXPECT_LT(elapsed.elapsed(), 2000);

    // An already cancelled token does not wait at all.
    elapsed.restart();
    EXPECT_THROW(waitForTask(clock.sleep(10'000'000'000, cancellation)), CancellationError);
    EXPECT_LT(elapsed.elapsed(), 100);
}
