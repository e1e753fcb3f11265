#include "daily/UserDefaultsDailyRecommendationCache.h"

#include "preferences/InMemoryUserDefaults.h"
#include "support/TestSupport.h"
#include "support/fakes/FakeDailyRecommendationGenerator.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

// Days are Shanghai's (UTC+8): 17:00 UTC on the 31st of December is already New Year's Day.
class DailyRecommendationCacheTest : public ::testing::Test {
protected:
    static QDateTime at(int year, int month, int day, int hour = 12)
    {
        return QDateTime(QDate(year, month, day), QTime(hour, 0), shanghai);
    }
    QStringList ids(const QList<DailyRecommendationHistoryItem> &items)
    {
        QStringList list;
        for (const auto &item : items)
            list.append(item.id.startsWith("legacy.") ? item.id : item.recommendation.title);
        return list;
    }
    QByteArray storedHistory() { return defaults.dataValue(UserDefaultsDailyRecommendationCache::historyKey).value_or(""); }

    static inline const QTimeZone shanghai{"Asia/Shanghai"};
    InMemoryUserDefaults defaults;
    QDateTime now = at(2026, 3, 7, 9);
    UserDefaultsDailyRecommendationCache cache{defaults, shanghai, [this] { return now; }};
};

TEST_F(DailyRecommendationCacheTest, TheHistoryKeepsSevenLocalDaysAcrossMonthAndYearBoundaries)
{
    const struct {
        QDateTime stored, through;
        bool kept;
    } cases[] = {
        {at(2026, 12, 31), at(2027, 1, 2), true},
        {at(2026, 12, 31), at(2027, 1, 6, 23), true},
        {at(2026, 12, 31), at(2027, 1, 7, 0), false},
        {at(2026, 2, 28), at(2026, 3, 6), true},
        {at(2026, 2, 28), at(2026, 3, 7), false},
        {at(2026, 3, 8), at(2026, 3, 7), false},
        {QDateTime(QDate(2026, 12, 31), QTime(17, 0), QTimeZone::utc()), at(2027, 1, 7, 23), true},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.stored.toString(Qt::ISODate).toStdString() + " through " + test.through.toString(Qt::ISODate).toStdString());
        defaults = InMemoryUserDefaults();
        const DailyRecommendation article = sampleRecommendation("Tides");
        cache.store(article, test.stored, RecommendationDifficulty::beginner);
        const QList<DailyRecommendationHistoryItem> recent = cache.recentRecommendations(test.through, 7);
        EXPECT_EQ(recent.size(), test.kept ? 1 : 0);
        if (test.kept) {
            EXPECT_EQ(recent[0].date, QDateTime(test.stored.toTimeZone(shanghai).date().startOfDay(shanghai)));
            EXPECT_EQ(recent[0].createdAt, now);
            EXPECT_EQ(recent[0].recommendation, article);
        }
        // The day's own record stays whatever the history keeps.
        EXPECT_EQ(cache.recommendation(test.stored, RecommendationDifficulty::beginner), article);
        EXPECT_FALSE(cache.recommendation(test.stored, RecommendationDifficulty::advanced));
    }
    EXPECT_TRUE(defaults.contains("dailyRecommendation.v1.2027-1-1.beginner"));
}

TEST_F(DailyRecommendationCacheTest, OlderRecordsAreAdoptedOnceAndTheListIsNewestFirst)
{
    defaults.setData("dailyRecommendation.v1.2026-3-7.advanced", sampleRecommendation("Legacy").toJSONData());
    defaults.setData("dailyRecommendation.v1.2026-3-6.beginner", "{\"title\": 1}");
    // Stored first: a store prunes the history through its own day.
    cache.store(sampleRecommendation("Yesterday"), now.addDays(-1), RecommendationDifficulty::advanced);
    for (int call = 0; call < 2; ++call)
        EXPECT_EQ(ids(cache.recentRecommendations(now, 7)), (QStringList{"legacy.2026-3-7.advanced", "Yesterday"}));

    cache.store(sampleRecommendation("Same moment, intermediate"), now, RecommendationDifficulty::intermediate);
    cache.store(sampleRecommendation("Same moment, beginner"), now, RecommendationDifficulty::beginner);
    now = now.addSecs(60);
    cache.store(sampleRecommendation("Later"), now, RecommendationDifficulty::advanced);
    cache.store(sampleRecommendation("Latest"), now.addSecs(60), RecommendationDifficulty::advanced);
    const QByteArray before = storedHistory();
    EXPECT_EQ(ids(cache.recentRecommendations(now, 7)),
              (QStringList{"Later", "Latest", "Same moment, beginner", "Same moment, intermediate",
                           "legacy.2026-3-7.advanced", "Yesterday"}))
        << "Later and Latest share their moment: the clock stood still";
    EXPECT_EQ(cache.recommendation(now, RecommendationDifficulty::advanced)->title, "Latest");
    EXPECT_TRUE(cache.recentRecommendations(now, 0).isEmpty());
    EXPECT_EQ(storedHistory(), before) << "reading changes nothing more";
}

TEST_F(DailyRecommendationCacheTest, AnUnreadableHistoryReadsAsEmptyAndIsReplacedOnTheNextStore)
{
    for (const QByteArray &broken : {QByteArray("not json"), QByteArray(R"([{"id": "x"}])"), QByteArray("{}")}) {
        defaults = InMemoryUserDefaults();
        defaults.setData(UserDefaultsDailyRecommendationCache::historyKey, broken);
        EXPECT_TRUE(cache.recentRecommendations(now, 7).isEmpty());
        EXPECT_EQ(storedHistory(), broken);
        cache.store(sampleRecommendation("Fresh"), now, RecommendationDifficulty::beginner);
        EXPECT_EQ(QJsonDocument::fromJson(storedHistory()).array().size(), 1);
        EXPECT_EQ(ids(cache.recentRecommendations(now, 7)), QStringList{"Fresh"});
    }
}

} // namespace
