#pragma once

#include "foundation/CancellationToken.h"

#include <QCoro/QCoroTask>
#include <QtGlobal>

// Waits between clipboard polls.
class SelectionCaptureClock {
public:
    virtual ~SelectionCaptureClock() = default;

    // Completes after about the given time. Throws CancellationError as soon as the token is
    // cancelled, including when it already is.
    virtual QCoro::Task<void> sleep(quint64 nanoseconds, CancellationToken cancellation) = 0;
};
