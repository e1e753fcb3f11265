#pragma once

#include "app/cli/ApplicationInstanceConnecting.h"

// The running instance behind its name on the session bus; a new one is this very
// executable started without arguments.
class DBusApplicationInstance : public ApplicationInstanceConnecting {
public:
    static constexpr std::chrono::milliseconds requestTimeout{10000};

    bool isReachable() override;
    bool isRunning() override;
    bool startApplication() override;
    QCoro::Task<bool> waitUntilRunning(std::chrono::milliseconds timeout) override;
    QCoro::Task<void> requestOpen(QString what) override;
    QCoro::Task<void> requestSelectionLookup() override;
    QCoro::Task<std::optional<QString>> notifyPreferenceChanged(QString key) override;
};
