#pragma once

#include "foundation/CancellationToken.h"

#include <QCoro/QCoroTask>

#include <chrono>

// Sleeps on the event loop for at least `duration`; throws CancellationError when the token
// fires, before or during the wait.
QCoro::Task<void> cancellableSleep(std::chrono::nanoseconds duration, CancellationToken cancellation);
