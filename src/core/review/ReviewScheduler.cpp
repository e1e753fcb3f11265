#include "review/ReviewScheduler.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kForgotEaseChange = -0.2;
constexpr double kHardEaseChange = -0.15;
constexpr double kEasyEaseChange = 0.1;

constexpr double kForgotInterval = 1800;
constexpr double kHardShortGapThreshold = 86400;
constexpr double kHardShortGapFactor = 1.5;
constexpr double kHardShortGapFloor = 3600;
constexpr double kHardLongGapFactor = 1.2;
constexpr double kHardLongGapFloor = 86400;
constexpr double kGoodFirstInterval = 86400;
constexpr double kSecondCorrectFloor = 259200;
constexpr double kIntervalCap = 10368000;
constexpr double kEasyFirstInterval = 112320;
constexpr double kEasyBonus = 1.3;

constexpr double kLearningBelow = 1.8;
constexpr double kFamiliarBelow = 2.3;

double clampEase(double ease)
{
    if (ease <= ReviewScheduler::minimumEase)
        return ReviewScheduler::minimumEase;
    if (ease > ReviewScheduler::maximumEase)
        return ReviewScheduler::maximumEase;
    return ease;
}

// Familiarity follows the ease alone; 2.5 − 0.2 lands exactly on 2.3 in doubles, i.e. mastered.
Familiarity familiarityFor(double ease)
{
    if (ease < kLearningBelow)
        return Familiarity::learning;
    if (ease < kFamiliarBelow)
        return Familiarity::familiar;
    return Familiarity::mastered;
}

// Correct answers after the first: at least three days for the second, then the elapsed time
// stretched by `factor`, never shorter than it and never past the cap.
double correctInterval(qint64 streak, double elapsed, double factor)
{
    if (streak == 2)
        return std::min(std::max(elapsed, kSecondCorrectFloor), kIntervalCap);
    return std::min(std::max(factor * elapsed, elapsed), kIntervalCap);
}

} // namespace

ReviewScheduler::Schedule ReviewScheduler::schedule(ReviewResult result, const QDateTime &reviewedAt,
                                                    double currentEase, double elapsedInterval,
                                                    qint64 consecutiveCorrect)
{
    const double el = elapsedInterval;
    const double e0 = clampEase(currentEase);
    double ease = e0;
    qint64 streak = 0;
    double interval = 0;
    switch (result) {
    case ReviewResult::forgot:
        ease = clampEase(e0 + kForgotEaseChange);
        interval = kForgotInterval;
        break;
    case ReviewResult::hard:
        ease = clampEase(e0 + kHardEaseChange);
        interval = el < kHardShortGapThreshold ? std::max(kHardShortGapFactor * el, kHardShortGapFloor)
                                               : std::max(kHardLongGapFactor * el, kHardLongGapFloor);
        break;
    case ReviewResult::good:
        streak = consecutiveCorrect + 1;
        interval = streak == 1 ? kGoodFirstInterval : correctInterval(streak, el, e0);
        break;
    case ReviewResult::easy:
        ease = clampEase(e0 + kEasyEaseChange);
        streak = consecutiveCorrect + 1;
        // The cap applies before the bonus, so an easy interval can reach 156 days.
        interval = streak == 1 ? kEasyFirstInterval : correctInterval(streak, el, ease) * kEasyBonus;
        break;
    }
    // Whole milliseconds: what the database keeps.
    const qint64 intervalMs = qint64(std::llround(interval * 1000.0));
    return Schedule{reviewedAt.addMSecs(intervalMs), ease, streak, familiarityFor(ease)};
}
