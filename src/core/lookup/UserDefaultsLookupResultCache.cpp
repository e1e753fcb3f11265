#include "lookup/UserDefaultsLookupResultCache.h"

#include "foundation/JSONKeyedReader.h"
#include "foundation/TextNormalization.h"
#include "preferences/UserDefaults.h"

#include <new>
#include <utility>

UserDefaultsLookupResultCache::UserDefaultsLookupResultCache(UserDefaults &userDefaults, QString keyPrefix,
                                                             qsizetype capacity)
    : m_userDefaults(userDefaults), m_keyPrefix(std::move(keyPrefix)), m_capacity(capacity)
{
}

std::optional<LookupResult> UserDefaultsLookupResultCache::cachedResult(const QString &text,
                                                                        LearningItemType itemType) const
{
    const QString entryKey = key(text, itemType);
    const std::optional<QByteArray> data = m_userDefaults.dataValue(entryKey);
    if (!data)
        return std::nullopt;
    try {
        LookupResult result = LookupResult::fromJSON(JSONKeyedReader::objectFromJSONData(*data));
        // Stored again to count as the most recent use; a failed write costs nothing now.
        m_userDefaults.setData(entryKey, *data);
        return result;
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &) {
        // Left in place: the next store for the same text replaces it.
        return std::nullopt;
    }
}

void UserDefaultsLookupResultCache::store(const LookupResult &result)
{
    // A write that fails only costs a later AI call.
    m_userDefaults.setData(key(result.selectedText, result.itemType), result.toJSONData());
    const QStringList entries = m_userDefaults.keys(m_keyPrefix + u'.');
    for (qsizetype i = 0; i < entries.size() - m_capacity; ++i)
        m_userDefaults.remove(entries[i]);
}

QString UserDefaultsLookupResultCache::key(const QString &text, LearningItemType itemType) const
{
    return m_keyPrefix + u'.' + rawValue(itemType) + u'.' + normalizedItemText(text);
}
