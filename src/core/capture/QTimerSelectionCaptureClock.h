#pragma once

#include "capture/SelectionCaptureClock.h"

// Sleeps on the event loop with a precise single-shot timer; cancelling the token wakes the
// sleeper on the next turn of the loop.
class QTimerSelectionCaptureClock : public SelectionCaptureClock {
public:
    QCoro::Task<void> sleep(quint64 nanoseconds, CancellationToken cancellation) override;
};
