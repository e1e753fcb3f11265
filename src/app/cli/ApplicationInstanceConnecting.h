#pragma once

#include <QCoroTask>
#include <QString>

#include <chrono>
#include <optional>

// Reaches the tray application running in this user session, or starts one.
class ApplicationInstanceConnecting {
public:
    virtual ~ApplicationInstanceConnecting() = default;

    // Whether a running instance could be reached at all (a session bus exists).
    virtual bool isReachable() = 0;
    virtual bool isRunning() = 0;
    // Starts the tray application detached from this process; false when it did not start.
    virtual bool startApplication() = 0;
    // True once an instance runs; false when `timeout` passes first.
    virtual QCoro::Task<bool> waitUntilRunning(std::chrono::milliseconds timeout) = 0;
    // Asks the running instance to open `what`. Throws DBusSingleInstanceService::RequestError.
    virtual QCoro::Task<void> requestOpen(QString what) = 0;
    // Asks the running instance to look up the current selection, as its hotkey does. Throws
    // DBusSingleInstanceService::RequestError.
    virtual QCoro::Task<void> requestSelectionLookup() = 0;
    // Tells the running instance the preference `key` changed: nothing when it followed,
    // else its reason. Throws DBusSingleInstanceService::RequestError.
    virtual QCoro::Task<std::optional<QString>> notifyPreferenceChanged(QString key) = 0;
};
