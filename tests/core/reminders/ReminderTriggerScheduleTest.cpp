#include "reminders/ReminderTriggerSchedule.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

const QTimeZone berlin("Europe/Berlin");

QDateTime local(int month, int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute, second), berlin);
}

QDateTime utc(int month, int day, int hour, int minute)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute), QTimeZone::utc());
}

constexpr ReminderCalendarTrigger daily2030{20, 30, std::nullopt};

// 2026-12-07 is a Monday; in Berlin the clocks go forward at 02:00 on 29 March and back at
// 03:00 on 25 October.
TEST(ReminderTriggerScheduleTest, NextMatchIsTheFirstLocalMinuteStrictlyAfter)
{
    const struct {
        const char *name;
        ReminderCalendarTrigger trigger;
        QDateTime after, expected;
    } rows[] = {
        {"later today", daily2030, local(12, 7, 10, 0), local(12, 7, 20, 30)},
        {"at the minute itself", daily2030, local(12, 7, 20, 30), local(12, 8, 20, 30)},
        {"woken after the minute", {9, 0, 2}, local(12, 7, 9, 0, 30), local(12, 14, 9, 0)},
        {"Friday across a month end", {9, 0, 6}, local(1, 31, 8, 0), local(2, 6, 9, 0)},
        {"across February's end", {23, 59, std::nullopt}, local(2, 28, 23, 59, 30), local(3, 1, 23, 59)},
        {"Sunday is 1", {7, 0, 1}, local(12, 7, 0, 0), local(12, 13, 7, 0)},
        {"a minute the clocks skip, an hour late", {2, 30, std::nullopt}, local(3, 28, 3, 0), utc(3, 29, 1, 30)},
        {"a minute that comes twice, the first time", {2, 30, std::nullopt}, local(10, 24, 12, 0), utc(10, 25, 0, 30)},
        {"and not the second", {2, 30, std::nullopt}, utc(10, 25, 0, 30), utc(10, 26, 1, 30)},
        {"after the clocks went back", {3, 30, std::nullopt}, local(10, 24, 12, 0), utc(10, 25, 2, 30)},
    };
    for (const auto &row : rows)
        EXPECT_EQ(ReminderTriggerSchedule::nextMatch(row.trigger, row.after, berlin), row.expected) << row.name;
}

TEST(ReminderTriggerScheduleTest, AMissedMinuteIsShownOnceWhileRecentAndOfTheSameDay)
{
    const struct {
        const char *name;
        ReminderCalendarTrigger trigger;
        QDateTime handledThrough, now;
        std::optional<QDateTime> deliver, mark;
    } rows[] = {
        {"at its minute", daily2030, local(12, 6, 20, 30), local(12, 7, 20, 30, 1), local(12, 7, 20, 30),
         local(12, 7, 20, 30)},
        {"woken 40 minutes later", daily2030, local(12, 6, 20, 30), local(12, 7, 21, 10), local(12, 7, 20, 30),
         local(12, 7, 20, 30)},
        {"already shown", daily2030, local(12, 7, 20, 30), local(12, 7, 21, 11), std::nullopt, std::nullopt},
        {"three hours late", daily2030, local(12, 6, 20, 30), local(12, 7, 23, 30), std::nullopt,
         local(12, 7, 20, 30)},
        {"recent but yesterday's", {23, 0, std::nullopt}, local(12, 5, 23, 0), local(12, 7, 0, 30), std::nullopt,
         local(12, 6, 23, 0)},
        {"off for a week: today's only", daily2030, local(11, 30, 20, 30), local(12, 7, 20, 45),
         local(12, 7, 20, 30), local(12, 7, 20, 30)},
        {"clock set back after it was shown", daily2030, local(12, 7, 20, 30), local(12, 7, 20, 10), std::nullopt,
         std::nullopt},
        {"clock set back from a wrong year", daily2030, local(12, 7, 20, 30).addYears(4), local(12, 7, 20, 40),
         local(12, 7, 20, 30), local(12, 7, 20, 30)},
        {"the skipped minute, after the gap", {2, 30, std::nullopt}, local(3, 28, 2, 30), local(3, 29, 3, 30, 5),
         utc(3, 29, 1, 30), utc(3, 29, 1, 30)},
    };
    for (const auto &row : rows) {
        const auto catchUp = ReminderTriggerSchedule::catchUp(row.trigger, row.handledThrough, row.now, berlin);
        EXPECT_EQ(catchUp.deliver, row.deliver) << row.name;
        EXPECT_EQ(catchUp.handledThrough, row.mark) << row.name;
    }
}

} // namespace
