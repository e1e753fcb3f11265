#include "reminders/ReminderDeliveryScheduler.h"

#include "preferences/InMemoryUserDefaults.h"
#include "reminders/UserDefaultsReminderRequestStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

QDateTime berlin(int day, int hour, int minute)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute), QTimeZone("Europe/Berlin"));
}

// A Monday reminder at 08:15 kept in the user defaults, on a clock the test moves: shown at its
// minute and never twice, and after a restart that missed a Monday, once more; a store that
// refuses writes must not make it repeat either.
TEST(ReminderDeliverySchedulerTest, ShowsEachFiringOnceAndCatchesUpOnceAfterARestart)
{
    InMemoryUserDefaults defaults;
    UserDefaultsReminderRequestStore store(defaults);
    QDateTime now = berlin(7, 8, 0);
    const ReminderRequest request{QStringLiteral("weekly"), {QStringLiteral("title"), QStringLiteral("body"), true, {}},
                                  {8, 15, 2}};
    ASSERT_TRUE(store.add(request, now));
    QStringList shown;
    const auto scheduler = [&] {
        return std::make_unique<ReminderDeliveryScheduler>(
            store, ReminderClock{[&] { return now; }, [] { return QTimeZone("Europe/Berlin"); }},
            [&](const ReminderRequest &delivered) { shown << delivered.identifier; });
    };

    auto running = scheduler();
    running->reevaluate();
    EXPECT_FALSE(running->nextFiring().isValid()) << "nothing before start()";
    running->start();
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(running->nextFiring(), berlin(7, 8, 15));
    now = berlin(7, 8, 15);
    defaults.setFailsWrites(true);
    running->reevaluate();
    running->reevaluate();
    EXPECT_EQ(shown, QStringList{QStringLiteral("weekly")});
    EXPECT_EQ(running->nextFiring(), berlin(14, 8, 15));

    defaults.setFailsWrites(false);
    running.reset();
    now = berlin(14, 8, 50);
    running = scheduler();
    running->start();
    running->reevaluate();
    EXPECT_EQ(shown.size(), 2);
    EXPECT_EQ(running->nextFiring(), berlin(21, 8, 15));

    ASSERT_TRUE(store.remove({QStringLiteral("weekly")}));
    running->reevaluate();
    EXPECT_FALSE(running->nextFiring().isValid());
}

} // namespace
