#include "lookup/LookupResultCaching.h"

#include "lookup/NoOpLookupResultCache.h"
#include "preferences/SQLiteUserDefaults.h"
#include "lookup/UserDefaultsLookupResultCache.h"
#include "foundation/AppEnvironment.h"

namespace {

// The durable cache together with the preferences database it writes to.
class ApplicationLookupResultCache : public LookupResultCaching {
public:
    std::optional<LookupResult> cachedResult(const QString &text, LearningItemType itemType) const override
    {
        return m_cache.cachedResult(text, itemType);
    }
    void store(const LookupResult &result) override { m_cache.store(result); }

private:
    SQLiteUserDefaults m_userDefaults;
    UserDefaultsLookupResultCache m_cache{m_userDefaults};
};

} // namespace

std::unique_ptr<LookupResultCaching> LookupResultCaching::makeDefault()
{
    if (AppEnvironment::isRunningTests())
        return std::make_unique<NoOpLookupResultCache>();
    return std::make_unique<ApplicationLookupResultCache>();
}
