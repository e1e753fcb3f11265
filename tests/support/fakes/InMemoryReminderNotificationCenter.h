#pragma once

#include "reminders/ReminderNotificationCenter.h"

#include <QList>

#include <stdexcept>

// A notification centre in memory that records the permission asked for. Answers with
// `granted` or, with `authorizationFails`, throws; the add numbered `failingAdd` (from 1)
// throws "disk full".
class InMemoryReminderNotificationCenter : public ReminderNotificationCenter {
public:
    QCoro::Task<bool> requestAuthorization(unsigned options) override
    {
        authorizationRequests.append(options);
        if (authorizationFails)
            throw std::runtime_error("no bus");
        co_return granted;
    }
    void removePendingNotificationRequests(const QStringList &identifiers) override
    {
        pending.removeIf([&](const ReminderRequest &request) { return identifiers.contains(request.identifier); });
    }
    QCoro::Task<void> add(ReminderRequest request) override
    {
        if (++adds == failingAdd)
            throw std::runtime_error("disk full");
        removePendingNotificationRequests({request.identifier});
        pending.append(std::move(request));
        co_return;
    }
    QStringList pendingIdentifiers() const
    {
        QStringList identifiers;
        for (const ReminderRequest &request : pending)
            identifiers.append(request.identifier);
        return identifiers;
    }

    bool granted = true, authorizationFails = false;
    int failingAdd = 0, adds = 0;
    QList<unsigned> authorizationRequests;
    QList<ReminderRequest> pending;
};
