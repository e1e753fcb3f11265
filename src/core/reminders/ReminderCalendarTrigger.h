#pragma once

#include <optional>

// A repeating match on the local clock: every day at hour:minute, or only on one weekday.
// It carries no time zone of its own; it is matched in the zone the desktop is in now.
struct ReminderCalendarTrigger {
    int hour = 0;
    int minute = 0;
    // Gregorian weekday number, 1 = Sunday ... 7 = Saturday; none: every day.
    std::optional<int> weekday;

    bool operator==(const ReminderCalendarTrigger &) const = default;
};
