#include "lookup/LookupResultCaching.h"
#include "preferences/SQLiteUserDefaults.h"
#include "lookup/UserDefaultsLookupResultCache.h"

#include "support/TestSupport.h"
#include "support/UserDefaultsStores.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

LookupResult appleResult(const QString &selectedText = "Apple", LearningItemType itemType = LearningItemType::word)
{
    LookupResult result;
    result.selectedText = selectedText;
    result.itemType = itemType;
    result.contextualMeaning = "苹果";
    result.examples = {"An apple a day."};
    return result;
}

template <typename Store>
class LookupResultCacheTest : public ::testing::Test {
protected:
    std::optional<LookupResult> cached(const QString &text, LearningItemType type = LearningItemType::word)
    {
        return cache.cachedResult(text, type);
    }

    UserDefaultsStore<Store> factory;
    std::unique_ptr<UserDefaults> defaults = factory.make();
    UserDefaultsLookupResultCache cache{*defaults};
};

TYPED_TEST_SUITE(LookupResultCacheTest, UserDefaultsImplementations);

TYPED_TEST(LookupResultCacheTest, OneEntryPerTrimmedLowerCasedTextAndType)
{
    const LookupResult stored = appleResult();
    this->cache.store(stored);
    EXPECT_EQ(this->defaults->dataValue("lookupResultCache.v1.word.apple"), stored.toJSONData());
    for (const char *text : {"apple", " APPLE \n"})
        EXPECT_EQ(this->cached(text), stored) << text;
    EXPECT_EQ(this->cached("apple", LearningItemType::phrase), std::nullopt);
    EXPECT_EQ(this->cached("apples"), std::nullopt);

    // A later store for the same key replaces the entry; the same text as a phrase is another.
    LookupResult revised = appleResult("APPLE");
    revised.contextualMeaning = "苹果公司";
    this->cache.store(revised);
    const LookupResult phrase = appleResult("apple", LearningItemType::phrase);
    this->cache.store(phrase);
    EXPECT_EQ(this->cached("Apple", LearningItemType::phrase), phrase);
    EXPECT_EQ(this->cached("Apple"), revised);
}

TYPED_TEST(LookupResultCacheTest, AnUnreadableEntryIsAMissUntilOverwritten)
{
    const QString key = this->cache.key("apple", LearningItemType::word);
    const UserDefaultsValue unreadable[] = {
        QByteArray("{\"selectedText\": \"apple\", trunc"),
        QByteArray(R"({"selectedText": "apple", "examples": []})"), // no meaning at all
        QString("a string, not bytes"),
    };
    for (const UserDefaultsValue &value : unreadable) {
        ASSERT_TRUE(this->defaults->setValue(key, value));
        EXPECT_EQ(this->cached("apple"), std::nullopt);
        EXPECT_TRUE(this->defaults->contains(key)) << "a bad entry stays where it is";
    }
    this->cache.store(appleResult());
    EXPECT_EQ(this->cached("apple"), appleResult());
}

TYPED_TEST(LookupResultCacheTest, KeepsOnlyTheMostRecentlyUsedEntries)
{
    UserDefaultsLookupResultCache small(*this->defaults, UserDefaultsLookupResultCache::defaultKeyPrefix, 2);
    for (const char *text : {"one", "two"})
        small.store(appleResult(text));
    EXPECT_TRUE(small.cachedResult("one", LearningItemType::word)) << "a use, so two is the oldest now";
    small.store(appleResult("three"));
    for (const char *text : {"one", "two", "three"})
        EXPECT_EQ(small.cachedResult(text, LearningItemType::word).has_value(), text[1] != 'w') << text;
}

} // namespace
