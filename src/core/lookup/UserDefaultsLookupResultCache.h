#pragma once

#include "lookup/LookupResultCaching.h"

class UserDefaults;

// Keeps each result as compact JSON bytes in the user defaults, under
// keyPrefix + "." + item type + "." + the text's normalised form (normalizedItemText).
// Entries do not expire, but beyond `capacity` the least recently used ones are removed, so
// neither the file nor the record of looked-up texts grows without end. A new prefix is the
// way to drop them all. The store must outlive the cache.
class UserDefaultsLookupResultCache : public LookupResultCaching {
public:
    static inline const QString defaultKeyPrefix = QStringLiteral("lookupResultCache.v1");
    static constexpr qsizetype kDefaultCapacity = 2000;

    explicit UserDefaultsLookupResultCache(UserDefaults &userDefaults, QString keyPrefix = defaultKeyPrefix,
                                           qsizetype capacity = kDefaultCapacity);

    // A hit counts as a use (the entry is stored again). A stored entry that no longer
    // decodes reads as a miss and stays until overwritten or evicted.
    std::optional<LookupResult> cachedResult(const QString &text, LearningItemType itemType) const override;
    void store(const LookupResult &result) override;

    // Where the entry for this text and type lives, e.g. "lookupResultCache.v1.word.apple".
    QString key(const QString &text, LearningItemType itemType) const;

private:
    UserDefaults &m_userDefaults;
    QString m_keyPrefix;
    qsizetype m_capacity;
};
