#include "lookup/UserDefaultsLookupResultCache.h"

#include "foundation/JSONKeyedReader.h"
#include "preferences/UserDefaults.h"

#include <QLocale>

#include <new>
#include <utility>

UserDefaultsLookupResultCache::UserDefaultsLookupResultCache(UserDefaults &userDefaults, QString keyPrefix)
    : m_userDefaults(userDefaults), m_keyPrefix(std::move(keyPrefix))
{
}

std::optional<LookupResult> UserDefaultsLookupResultCache::cachedResult(const QString &text,
                                                                        LearningItemType itemType) const
{
    const std::optional<QByteArray> data = m_userDefaults.dataValue(key(text, itemType));
    if (!data)
        return std::nullopt;
    try {
        return LookupResult::fromJSON(JSONKeyedReader::objectFromJSONData(*data));
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
}

QString UserDefaultsLookupResultCache::key(const QString &text, LearningItemType itemType) const
{
    // The learner's own locale decides the lower case, as it does everywhere else they type.
    return m_keyPrefix + u'.' + rawValue(itemType) + u'.' + QLocale().toLower(text.trimmed());
}
