#include "review/ReviewScheduler.h"

#include "support/TestSupport.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

constexpr double kHour = 3600;
constexpr double kDay = 86400;

TEST(ReviewSchedulerTest, ComputesIntervalEaseStreakAndFamiliarity)
{
    using R = ReviewResult;
    using F = Familiarity;
    struct Row {
        const char *name;
        ReviewResult result;
        double currentEase;
        double elapsed;
        qint64 consecutiveCorrect;
        double expectedInterval;
        double expectedEase;
        qint64 expectedStreak;
        Familiarity expectedFamiliarity;
    };
    const Row rows[] = {
        // First steps
        {"good one hour after saving", R::good, 2.5, kHour, 0, kDay, 2.5, 1, F::mastered},
        {"second good the same day still gets three days", R::good, 2.5, kHour, 1, 3 * kDay, 2.5, 2, F::mastered},
        {"third good multiplies by the ease", R::good, 2.5, 3 * kDay, 2, 648000, 2.5, 3, F::mastered},
        {"easy first whatever the gap", R::easy, 2.5, 40 * kDay, 0, 112320, 2.6, 1, F::mastered},
        {"easy second gets the bonus on three days", R::easy, 2.5, kHour, 1, 259200 * 1.3, 2.6, 2, F::mastered},
        {"easy later uses the raised ease", R::easy, 2.5, 10 * kDay, 2, 2.6 * 10 * kDay * 1.3, 2.6, 3, F::mastered},
        // Lapses
        {"forgot lands exactly on 2.3", R::forgot, 2.5, 5 * kDay, 4, 1800, 2.3, 0, F::mastered},
        {"forgot stops at the floor", R::forgot, 1.4, kDay, 0, 1800, 1.3, 0, F::learning},
        {"hard two hours after", R::hard, 2.5, 2 * kHour, 3, 10800, 2.35, 0, F::mastered},
        {"hard two days after", R::hard, 2.5, 2 * kDay, 3, 207360, 2.35, 0, F::mastered},
        {"hard just under a day", R::hard, 2.0, kDay - 1, 0, 1.5 * (kDay - 1), 1.85, 0, F::familiar},
        {"hard at exactly a day", R::hard, 2.0, kDay, 0, 1.2 * kDay, 1.85, 0, F::familiar},
        {"hard soon after has an hour's floor", R::hard, 1.9, 60, 0, kHour, 1.75, 0, F::learning},
        {"hard with the clock gone back", R::hard, 2.5, -kDay, 0, kHour, 2.35, 0, F::mastered},
        // Limits
        {"good after 200 days is capped", R::good, 2.5, 200 * kDay, 2, 10368000, 2.5, 3, F::mastered},
        {"easy after 200 days: cap then bonus", R::easy, 2.5, 200 * kDay, 2, 13478400, 2.6, 3, F::mastered},
        {"second good after 200 days is capped", R::good, 2.5, 200 * kDay, 1, 10368000, 2.5, 2, F::mastered},
        {"easy stops at the ceiling", R::easy, 2.95, kDay, 0, 112320, 3.0, 1, F::mastered},
        {"stored ease above range is clamped first", R::good, 5.0, 2 * kDay, 2, 3.0 * 2 * kDay, 3.0, 3, F::mastered},
        {"stored ease below range is clamped first", R::good, 0.5, 2 * kDay, 2, 1.3 * 2 * kDay, 1.3, 3, F::learning},
        {"familiar between 1.8 and 2.3", R::good, 1.8, kDay, 0, kDay, 1.8, 1, F::familiar},
    };
    const QDateTime reviewedAt(QDate(2024, 3, 1), QTime(9, 30, 15, 250), QTimeZone::utc());
    for (const Row &c : rows) {
        const ReviewScheduler::Schedule schedule =
            ReviewScheduler::schedule(c.result, reviewedAt, c.currentEase, c.elapsed, c.consecutiveCorrect);
        EXPECT_EQ(reviewedAt.msecsTo(schedule.nextReviewAt), qint64(std::llround(c.expectedInterval * 1000))) << c.name;
        EXPECT_DOUBLE_EQ(schedule.ease, c.expectedEase) << c.name;
        EXPECT_EQ(schedule.consecutiveCorrect, c.expectedStreak) << c.name;
        EXPECT_EQ(schedule.familiarity, c.expectedFamiliarity) << c.name;
    }
}

} // namespace
