#include "foundation/CancellableSleep.h"

#include <QCoro/QCoroTimer>
#include <QTimer>

QCoro::Task<void> cancellableSleep(std::chrono::nanoseconds duration, CancellationToken cancellation)
{
    cancellation.throwIfCancelled();

    // Timers count whole milliseconds; round up so that a sleep is never shorter than asked.
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    timer.start(std::chrono::ceil<std::chrono::milliseconds>(duration));
    // Declared after the timer so that it is unregistered before the timer goes away.
    const auto registration = cancellation.onCancel([&timer] { timer.start(0); });
    co_await timer;

    cancellation.throwIfCancelled();
}
