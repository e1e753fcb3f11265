#pragma once

#include "daily/DailyRecommendation.h"
#include "daily/RecommendationDifficulty.h"
#include "foundation/CancellationToken.h"
#include "preferences/UserSettings.h"

#include <QCoroTask>

// Writes a new daily article. Throws AppError for every failure the learner should see
// (after logging its technical detail) and CancellationError, never shown, when
// `cancellation` fires. `settings.apiKey` must already hold the key.
class DailyRecommendationGenerating {
public:
    virtual ~DailyRecommendationGenerating() = default;

    virtual QCoro::Task<DailyRecommendation> generate(RecommendationDifficulty difficulty, UserSettings settings,
                                                      CancellationToken cancellation = {}) = 0;
};
