#pragma once

#include "daily/DailyRecommendation.h"
#include "daily/DailyRecommendationHistoryItem.h"
#include "daily/RecommendationDifficulty.h"

#include <QDateTime>
#include <QList>

#include <optional>

// Keeps the newest article of each day and difficulty, and a history of the articles of the
// last seven days. Never fails: what cannot be read is absent, what cannot be written is
// dropped. Days are calendar days in the cache's time zone.
class DailyRecommendationCaching {
public:
    virtual ~DailyRecommendationCaching() = default;

    // The newest article stored for that day and difficulty.
    virtual std::optional<DailyRecommendation> recommendation(const QDateTime &date,
                                                              RecommendationDifficulty difficulty) const = 0;
    // Makes it that day's article of that difficulty and adds it to the history.
    virtual void store(const DailyRecommendation &recommendation, const QDateTime &date,
                       RecommendationDifficulty difficulty) = 0;
    // The history of the `dayCount` days up to and including `date`'s, newest day first and
    // within a day the latest stored first.
    virtual QList<DailyRecommendationHistoryItem> recentRecommendations(const QDateTime &date, int dayCount) = 0;
};
