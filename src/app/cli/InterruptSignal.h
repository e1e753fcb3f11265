#pragma once

#include "foundation/CancellationToken.h"

#include <memory>

class QSocketNotifier;

// Turns the first SIGINT or SIGTERM into a cancellation on the event loop, so a command
// stops its request and exits cleanly; a second signal ends the process at once (for a
// command blocked reading its input). One instance per process.
class InterruptSignal {
public:
    explicit InterruptSignal(CancellationToken token);
    ~InterruptSignal();
    InterruptSignal(const InterruptSignal &) = delete;
    InterruptSignal &operator=(const InterruptSignal &) = delete;

    bool isInstalled() const { return m_notifier != nullptr; }

private:
    CancellationToken m_token;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
