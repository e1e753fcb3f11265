#pragma once

#include "collection/Familiarity.h"
#include "review/ReviewResult.h"

#include <QDateTime>

// The spaced-repetition rule: from one answer and an item's current values, when the item is
// due next and how its ease, streak of correct answers and familiarity change. A pure
// calculation without state or failure.
class ReviewScheduler {
public:
    struct Schedule {
        QDateTime nextReviewAt;
        // Always within minimumEase … maximumEase.
        double ease;
        qint64 consecutiveCorrect;
        // Never `new`.
        Familiarity familiarity;
    };

    static constexpr double minimumEase = 1.3;
    static constexpr double maximumEase = 3.0;

    // `elapsedInterval` is in seconds since the previous review (or since saving when never
    // reviewed); `currentEase` and `consecutiveCorrect` are the item's stored values.
    static Schedule schedule(ReviewResult result, const QDateTime &reviewedAt, double currentEase,
                             double elapsedInterval, qint64 consecutiveCorrect);
};
