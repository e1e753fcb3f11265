#include "viewmodels/daily/DailyRecommendationViewModel.h"

#include "daily/UserDefaultsDailyRecommendationCache.h"
#include "foundation/AppError.h"
#include "preferences/AppPreferences.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/InMemoryUserDefaults.h"
#include "support/TestSupport.h"
#include "support/fakes/FakeDailyRecommendationGenerator.h"

#include <gtest/gtest.h>

namespace {

using Kind = DailyRecommendationViewModel::State::Kind;

class DailyRecommendationViewModelTest : public ::testing::Test {
protected:
    // A new view model, as each opening of the window makes one.
    std::unique_ptr<DailyRecommendationViewModel> open()
    {
        return std::make_unique<DailyRecommendationViewModel>(DailyRecommendationViewModel::Collaborators{
            preferences, generator, cache, [this] { return now; }, zone});
    }
    std::shared_ptr<FakeDailyRecommendationGenerator::Request> lastRequest() { return generator->requests.back(); }

    QTimeZone zone{"Europe/Berlin"};
    QDateTime now{QDate(2026, 3, 7), QTime(8, 30), zone};
    InMemoryUserDefaults defaults;
    std::shared_ptr<InMemoryAPIKeyStore> aiKeys = std::make_shared<InMemoryAPIKeyStore>(QStringLiteral("sk-test"));
    AppPreferences preferences{defaults, aiKeys, std::make_shared<InMemoryAPIKeyStore>(), BundleInfo()};
    std::shared_ptr<FakeDailyRecommendationGenerator> generator = std::make_shared<FakeDailyRecommendationGenerator>();
    std::shared_ptr<UserDefaultsDailyRecommendationCache> cache =
        std::make_shared<UserDefaultsDailyRecommendationCache>(defaults, zone, [this] { return now; });
};

TEST_F(DailyRecommendationViewModelTest, TodaysArticleIsWrittenOnceRegeneratedOnRequestAndOlderOnesShownFromHistory)
{
    const auto first = open();
    first->load(false);
    EXPECT_EQ(first->state().kind(), Kind::loading);
    ASSERT_EQ(generator->requests.size(), 1u);
    EXPECT_EQ(lastRequest()->text, "intermediate");
    EXPECT_EQ(lastRequest()->settings.apiKey, "sk-test");
    lastRequest()->answer.resolve(sampleRecommendation("Tides"));
    EXPECT_EQ(first->state(), DailyRecommendationViewModel::State::loaded(sampleRecommendation("Tides")));
    EXPECT_TRUE(first->canRefreshDisplayedRecommendation());
    EXPECT_TRUE(first->recommendationSubtitle().endsWith(" · 中级"));
    EXPECT_FALSE(first->recommendationSubtitle().startsWith("今日推荐"));

    // Reopened the same day: the cached article at once, selected, and no second call.
    const auto second = open();
    second->load(false);
    EXPECT_EQ(generator->requests.size(), 1u);
    EXPECT_EQ(second->state().recommendation()->title, "Tides");
    const QString tidesID = second->selectedHistoryID().value_or("");
    EXPECT_TRUE(second->canRefreshDisplayedRecommendation());

    second->load(true);
    EXPECT_EQ(second->state().kind(), Kind::loading) << "the old article goes while the new one is written";
    now = now.addSecs(600);
    lastRequest()->answer.resolve(sampleRecommendation("Glaciers"));
    ASSERT_EQ(second->history().size(), 2);
    EXPECT_EQ(second->history()[0].recommendation.title, "Glaciers");
    EXPECT_EQ(second->selectedHistoryID(), second->history()[0].id);

    second->selectHistory(tidesID);
    EXPECT_EQ(second->state().recommendation()->title, "Tides");
    EXPECT_FALSE(second->canRefreshDisplayedRecommendation()) << "only today's current article is regenerated";
    for (const std::optional<QString> &ignored : {std::optional<QString>(), std::optional<QString>("unknown")}) {
        second->selectHistory(ignored);
        EXPECT_EQ(second->selectedHistoryID(), tidesID);
    }
    second->selectHistory(second->history()[0].id);
    EXPECT_TRUE(second->canRefreshDisplayedRecommendation());

    // Another difficulty: its own article, the others stay in the history.
    preferences.setDailyRecommendationDifficulty("advanced");
    const auto third = open();
    third->load(false);
    EXPECT_EQ(lastRequest()->text, "advanced");
    EXPECT_EQ(third->recommendationSubtitle(), "今日推荐 · 高级");
    lastRequest()->answer.resolve(sampleRecommendation("Volcanoes"));
    EXPECT_EQ(third->history().size(), 3);
    EXPECT_EQ(third->historyDays().size(), 1);
}

TEST_F(DailyRecommendationViewModelTest, FailuresShowTheirOwnMessageAndCancellationsNothing)
{
    const auto viewModel = open();
    viewModel->load(false);
    lastRequest()->answer.reject(AppError::aiRequestFailedDetail("HTTP 500"));
    EXPECT_EQ(viewModel->state(), DailyRecommendationViewModel::State::failed("AI 查询失败：HTTP 500"));
    EXPECT_TRUE(viewModel->history().isEmpty());
    EXPECT_EQ(viewModel->recommendationSubtitle(), "今日推荐 · 中级");

    aiKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::notAvailableStatus));
    viewModel->load(true);
    EXPECT_EQ(viewModel->state().kind(), Kind::failed);
    EXPECT_EQ(generator->requests.size(), 1u) << "nothing is asked without the key";
    aiKeys->setFailure(std::nullopt);

    viewModel->load(true);
    viewModel->cancel();
    EXPECT_TRUE(lastRequest()->isCancelled());
    EXPECT_EQ(viewModel->state().kind(), Kind::idle);

    // Closing the window mid-way: the request is cancelled and nothing is stored.
    auto closing = open();
    closing->load(true);
    const auto pending = lastRequest();
    closing.reset();
    EXPECT_TRUE(pending->isCancelled());
    EXPECT_TRUE(cache->recentRecommendations(now, 7).isEmpty());
}

} // namespace
