#pragma once

#include "collection/LearningItemType.h"
#include "lookup/LookupResult.h"

#include <QString>

#include <optional>

// Remembers full lookup results so that the same selection does not cost a second AI call.
// One entry per text and item type; texts that differ only in surrounding whitespace or
// letter case share it. Never fails: what cannot be read is a miss, what cannot be written
// is dropped.
class LookupResultCaching {
public:
    virtual ~LookupResultCaching() = default;

    virtual std::optional<LookupResult> cachedResult(const QString &text, LearningItemType itemType) const = 0;
    // Files the result under its own selectedText and itemType, replacing an earlier entry.
    virtual void store(const LookupResult &result) = 0;
};
