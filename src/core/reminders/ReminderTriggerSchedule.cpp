#include "reminders/ReminderTriggerSchedule.h"

namespace {

// Long enough for a weekly trigger from any moment, with a day to spare for clock changes.
constexpr int kSearchDays = 9;

bool matchesWeekday(const ReminderCalendarTrigger &trigger, const QDate &date)
{
    // Qt numbers Monday 1 ... Sunday 7; the trigger Sunday 1 ... Saturday 7.
    return !trigger.weekday || date.dayOfWeek() % 7 + 1 == *trigger.weekday;
}

// The moment the trigger fires on `date`: the local minute read with the offset in force
// before the day's clock change, if any, else with the one after it. A minute that comes
// twice is thus taken the first time; one in a gap is read with the earlier offset, which
// puts it as much later as the clocks jumped.
QDateTime firingOn(const ReminderCalendarTrigger &trigger, const QDate &date, const QTimeZone &zone)
{
    const QDateTime nominal(date, QTime(trigger.hour, trigger.minute), QTimeZone::utc());
    const int offsetBefore = zone.offsetFromUtc(QDateTime(date.addDays(-1), QTime(12, 0), QTimeZone::utc()));
    const QDateTime early = nominal.addSecs(-offsetBefore);
    const int offsetThen = zone.offsetFromUtc(early);
    const QDateTime late = nominal.addSecs(-offsetThen);
    return zone.offsetFromUtc(late) == offsetThen ? late : early;
}

} // namespace

QDateTime ReminderTriggerSchedule::nextMatch(const ReminderCalendarTrigger &trigger, const QDateTime &after,
                                             const QTimeZone &zone)
{
    const QDate start = after.toTimeZone(zone).date();
    for (int day = 0; day <= kSearchDays; ++day) {
        const QDate date = start.addDays(day);
        if (!matchesWeekday(trigger, date))
            continue;
        const QDateTime firing = firingOn(trigger, date, zone);
        if (firing > after)
            return firing;
    }
    return {};
}

QDateTime ReminderTriggerSchedule::latestMatch(const ReminderCalendarTrigger &trigger, const QDateTime &atOrBefore,
                                               const QTimeZone &zone)
{
    const QDate start = atOrBefore.toTimeZone(zone).date();
    for (int day = 0; day <= kSearchDays; ++day) {
        const QDate date = start.addDays(-day);
        if (!matchesWeekday(trigger, date))
            continue;
        const QDateTime firing = firingOn(trigger, date, zone);
        if (firing <= atOrBefore)
            return firing;
    }
    return {};
}

ReminderTriggerSchedule::CatchUp ReminderTriggerSchedule::catchUp(const ReminderCalendarTrigger &trigger,
                                                                  const QDateTime &handledThrough,
                                                                  const QDateTime &now, const QTimeZone &zone)
{
    const QDateTime latest = latestMatch(trigger, now, zone);
    const bool clockSetBack = handledThrough > now;
    if (!latest.isValid() || (!clockSetBack && latest <= handledThrough))
        return {};
    const bool recent = latest.secsTo(now) < std::chrono::seconds(missedDeliveryLimit).count()
                        && latest.toTimeZone(zone).date() == now.toTimeZone(zone).date();
    if (recent)
        return {latest, latest};
    return {std::nullopt, clockSetBack ? std::nullopt : std::optional<QDateTime>(latest)};
}
