#include "services/QTimerSelectionCaptureClock.h"

#include <QCoro/QCoroTimer>
#include <QTimer>

#include <chrono>

QCoro::Task<void> QTimerSelectionCaptureClock::sleep(quint64 nanoseconds, CancellationToken cancellation)
{
    cancellation.throwIfCancelled();

    // Timers count whole milliseconds; round up so that a sleep is never shorter than asked.
    const auto duration = std::chrono::ceil<std::chrono::milliseconds>(std::chrono::nanoseconds(nanoseconds));
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    timer.start(duration);
    // Declared after the timer so that it is unregistered before the timer goes away.
    const auto registration = cancellation.onCancel([&timer] { timer.start(0); });
    co_await timer;

    cancellation.throwIfCancelled();
}
