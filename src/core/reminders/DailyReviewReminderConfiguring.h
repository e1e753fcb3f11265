#pragma once

#include <QCoroTask>

// Switches the daily review reminder on (at hour:minute) or off.
class DailyReviewReminderConfiguring {
public:
    virtual ~DailyReviewReminderConfiguring() = default;

    // Throws ReminderError when notifications are refused or cannot be asked for, or the
    // notification centre's own error when the reminder cannot be scheduled.
    virtual QCoro::Task<void> configureDailyReminder(bool enabled, int hour, int minute) = 0;
};
