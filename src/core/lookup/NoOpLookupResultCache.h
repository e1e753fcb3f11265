#pragma once

#include "lookup/LookupResultCaching.h"

// Finds nothing and keeps nothing.
class NoOpLookupResultCache : public LookupResultCaching {
public:
    std::optional<LookupResult> cachedResult(const QString &, LearningItemType) const override { return std::nullopt; }
    void store(const LookupResult &) override {}
};
