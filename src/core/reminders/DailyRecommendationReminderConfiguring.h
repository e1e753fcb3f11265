#pragma once

#include "reminders/RecommendationFrequency.h"

#include <QCoroTask>

// Switches the daily article reminder on (at hour:minute on the frequency's days) or off.
class DailyRecommendationReminderConfiguring {
public:
    virtual ~DailyRecommendationReminderConfiguring() = default;

    // Throws ReminderError when notifications are refused or cannot be asked for, or the
    // notification centre's own error when a reminder cannot be scheduled; the days
    // scheduled before the failure stay scheduled.
    virtual QCoro::Task<void> configureRecommendationReminder(bool enabled, RecommendationFrequency frequency,
                                                              int hour, int minute) = 0;
};
