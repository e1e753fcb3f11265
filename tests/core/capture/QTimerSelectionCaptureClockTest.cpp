#include "capture/QTimerSelectionCaptureClock.h"

#include "foundation/CancellationError.h"
#include "support/CoroutineTestSupport.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

TEST(QTimerSelectionCaptureClockTest, SleepsAtLeastTheRequestedTimeUnlessCancelled)
{
    QTimerSelectionCaptureClock clock;
    QElapsedTimer elapsed;
    elapsed.start();
    // Timers count milliseconds: a shorter request is rounded up, not down to nothing.
    waitForTask(clock.sleep(1, {}));
    EXPECT_GE(elapsed.nsecsElapsed(), 900'000);

    CancellationToken cancellation;
    QTimer::singleShot(10, [cancellation] { cancellation.cancel(); });
    elapsed.restart();
    EXPECT_THROW(waitForTask(clock.sleep(10'000'000'000, cancellation)), CancellationError);
    EXPECT_LT(elapsed.elapsed(), 2000);
}
