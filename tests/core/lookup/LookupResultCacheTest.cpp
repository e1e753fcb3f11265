#include "preferences/InMemoryUserDefaults.h"
#include "lookup/LookupResultCaching.h"
#include "preferences/SQLiteUserDefaults.h"
#include "lookup/UserDefaultsLookupResultCache.h"

#include "support/TestSupport.h"
#include "support/UserDefaultsStores.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

LookupResult appleResult(const QString &selectedText = QStringLiteral("Apple"),
                         LearningItemType itemType = LearningItemType::word)
{
    return {selectedText, itemType, LookupResultSource::ai, QStringLiteral("/ˈæp.əl/"), QStringLiteral("苹果"),
            {QStringLiteral("苹果"), QStringLiteral("苹果树")}, QStringLiteral("n."), {},
            {QStringLiteral("An apple a day.")}, std::nullopt, {QStringLiteral("可数名词")}, {}};
}

template <typename Store>
class LookupResultCacheTest : public ::testing::Test {
protected:
    UserDefaultsStore<Store> factory;
    std::unique_ptr<UserDefaults> defaults = factory.make();
    UserDefaultsLookupResultCache cache{*defaults};
};

TYPED_TEST_SUITE(LookupResultCacheTest, UserDefaultsImplementations);

TYPED_TEST(LookupResultCacheTest, OneEntryPerTrimmedLowerCasedTextAndType)
{
    const LookupResult stored = appleResult();
    this->cache.store(stored);

    const QByteArray entry = this->defaults->dataValue(QStringLiteral("lookupResultCache.v1.word.apple")).value_or("");
    EXPECT_EQ(entry, stored.toJSONData());
    for (const QString &text : {QStringLiteral("Apple"), QStringLiteral("apple"), QStringLiteral(" APPLE \n")}) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(this->cache.cachedResult(text, LearningItemType::word), stored);
    }
    EXPECT_EQ(this->cache.cachedResult(QStringLiteral("apple"), LearningItemType::phrase), std::nullopt);
    // A result is filed under its own text: an answer for "apple" is not one for "apples".
    EXPECT_EQ(this->cache.cachedResult(QStringLiteral("apples"), LearningItemType::word), std::nullopt);

    // A later store for the same key replaces the entry.
    LookupResult revised = appleResult(QStringLiteral("APPLE"));
    revised.contextualMeaning = QStringLiteral("苹果公司");
    revised.source = LookupResultSource::systemDictionary;
    this->cache.store(revised);
    EXPECT_EQ(this->cache.cachedResult(QStringLiteral("apple"), LearningItemType::word), revised);

    // The same text as a phrase is an entry of its own.
    const LookupResult phrase = appleResult(QStringLiteral("apple"), LearningItemType::phrase);
    this->cache.store(phrase);
    EXPECT_EQ(this->cache.cachedResult(QStringLiteral("Apple"), LearningItemType::phrase), phrase);
    EXPECT_EQ(this->cache.cachedResult(QStringLiteral("Apple"), LearningItemType::word), revised);
}

TYPED_TEST(LookupResultCacheTest, AnUnreadableEntryIsAMissUntilOverwritten)
{
    const QString key = this->cache.key(QStringLiteral("apple"), LearningItemType::word);
    ASSERT_EQ(key, QStringLiteral("lookupResultCache.v1.word.apple"));

    const UserDefaultsValue unreadable[] = {
        QByteArray("{\"selectedText\": \"apple\", trunc"),
        QByteArray("[1, 2, 3]"),
        QByteArray(R"({"selectedText": "apple", "examples": []})"), // no meaning at all
        QByteArray("\xff\xfe\x00", 3),
        QStringLiteral("a string, not bytes"),
        qint64(42),
    };
    for (const UserDefaultsValue &value : unreadable) {
        ASSERT_TRUE(this->defaults->setValue(key, value));
        EXPECT_EQ(this->cache.cachedResult(QStringLiteral("apple"), LearningItemType::word), std::nullopt);
        EXPECT_TRUE(this->defaults->contains(key)) << "a bad entry stays where it is";
    }

    this->cache.store(appleResult());
    EXPECT_EQ(this->cache.cachedResult(QStringLiteral("apple"), LearningItemType::word), appleResult());
}

} // namespace
