#pragma once

#include "reminders/ReminderCalendarTrigger.h"

#include <QDateTime>
#include <QTimeZone>

#include <chrono>
#include <optional>

// When a calendar trigger comes round, in a given time zone. A trigger fires at the start of
// its local minute. On a day when that minute does not exist (the clocks go forward over it)
// it fires as much later as the clocks jumped; on a day when it comes twice (the clocks go
// back over it) it fires the first time only.
class ReminderTriggerSchedule {
public:
    // A missed minute is still delivered when it is less than this old and of the same day.
    static constexpr std::chrono::hours missedDeliveryLimit{3};

    // The first firing strictly after `after`.
    static QDateTime nextMatch(const ReminderCalendarTrigger &trigger, const QDateTime &after, const QTimeZone &zone);
    // The last firing at or before `atOrBefore`.
    static QDateTime latestMatch(const ReminderCalendarTrigger &trigger, const QDateTime &atOrBefore,
                                 const QTimeZone &zone);

    struct CatchUp {
        // The firing to show now, if any.
        std::optional<QDateTime> deliver;
        // The new mark of firings dealt with; none: keep the old one.
        std::optional<QDateTime> handledThrough;
    };
    // What to do at `now` for a trigger whose firings up to `handledThrough` are dealt with
    // (shown, or too old to show): the latest firing not yet dealt with is shown once when
    // it is recent (see missedDeliveryLimit) and of today; older ones are passed over, never
    // shown in a row. A mark later than `now` means the clock was set back: it stays until
    // the clock passes it again, so a minute already shown is not shown twice, but a recent
    // firing before it is shown.
    static CatchUp catchUp(const ReminderCalendarTrigger &trigger, const QDateTime &handledThrough,
                           const QDateTime &now, const QTimeZone &zone);
};
