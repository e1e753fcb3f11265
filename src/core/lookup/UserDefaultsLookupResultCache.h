#pragma once

#include "lookup/LookupResultCaching.h"

class UserDefaults;

// Keeps each result as compact JSON bytes in the user defaults, under
// keyPrefix + "." + item type + "." + the text trimmed and lower-cased. Entries never
// expire; a new prefix is the way to drop them all. The store must outlive the cache.
class UserDefaultsLookupResultCache : public LookupResultCaching {
public:
    static inline const QString defaultKeyPrefix = QStringLiteral("lookupResultCache.v1");

    explicit UserDefaultsLookupResultCache(UserDefaults &userDefaults, QString keyPrefix = defaultKeyPrefix);

    // A stored entry that no longer decodes reads as a miss and stays until overwritten.
    std::optional<LookupResult> cachedResult(const QString &text, LearningItemType itemType) const override;
    void store(const LookupResult &result) override;

    // Where the entry for this text and type lives, e.g. "lookupResultCache.v1.word.apple".
    QString key(const QString &text, LearningItemType itemType) const;

private:
    UserDefaults &m_userDefaults;
    QString m_keyPrefix;
};
