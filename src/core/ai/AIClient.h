#pragma once

#include "lookup/FastLookupResult.h"
#include "collection/LearningItemType.h"
#include "lookup/LookupResult.h"
#include "preferences/UserSettings.h"
#include "foundation/CancellationToken.h"

#include <QCoroTask>
#include <QString>

#include <optional>

// Explains a selection with an AI service. Both operations throw AppError for every failure
// the learner should see (after logging its technical detail) and CancellationError, never
// shown, when `cancellation` fires. `settings.apiKey` must already hold the key.
class AIClient {
public:
    virtual ~AIClient() = default;

    // The full explanation.
    virtual QCoro::Task<LookupResult> lookup(QString selectedText, std::optional<QString> contextBefore,
                                             std::optional<QString> contextAfter, LearningItemType itemType,
                                             UserSettings settings, CancellationToken cancellation = {}) = 0;
    // The quick first answer shown while the full one is pending.
    virtual QCoro::Task<FastLookupResult> fastLookup(QString selectedText, std::optional<QString> contextBefore,
                                                     std::optional<QString> contextAfter, LearningItemType itemType,
                                                     UserSettings settings, CancellationToken cancellation = {}) = 0;
};
