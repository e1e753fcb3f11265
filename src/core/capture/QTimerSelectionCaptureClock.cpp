#include "capture/QTimerSelectionCaptureClock.h"

#include "foundation/CancellableSleep.h"

#include <chrono>

QCoro::Task<void> QTimerSelectionCaptureClock::sleep(quint64 nanoseconds, CancellationToken cancellation)
{
    co_await cancellableSleep(std::chrono::nanoseconds(nanoseconds), std::move(cancellation));
}
