#pragma once

#include "reminders/ReminderRequest.h"

#include <QCoroTask>
#include <QStringList>

// The desktop's local notifications, as the reminder service reaches them.
class ReminderNotificationCenter {
public:
    enum AuthorizationOption : unsigned { alert = 1u << 0, sound = 1u << 1, badge = 1u << 2 };

    virtual ~ReminderNotificationCenter() = default;

    // Whether notifications with these options may be shown. Throws when that cannot be
    // found out.
    virtual QCoro::Task<bool> requestAuthorization(unsigned options) = 0;
    // Drops the pending requests with these identifiers; unknown identifiers are ignored.
    virtual void removePendingNotificationRequests(const QStringList &identifiers) = 0;
    // Schedules the request until it is removed. Throws when it cannot be kept.
    virtual QCoro::Task<void> add(ReminderRequest request) = 0;
};
