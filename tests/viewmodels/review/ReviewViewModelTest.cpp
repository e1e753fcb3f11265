#include "viewmodels/review/ReviewViewModel.h"

#include "support/fakes/FakeLearningItemStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const QDateTime kNow = QDateTime::fromSecsSinceEpoch(1'772'000'000, Qt::UTC);

class ReviewViewModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store.items = {makeLearningItem("apple"), makeLearningItem("take off", LearningItemType::phrase)};
        model.load(store);
    }

    FakeLearningItemStore store;
    ReviewViewModel model{[](int) { return 0; }, [] { return kNow; }};
};

TEST_F(ReviewViewModelTest, LoadStartsSessionAndFailureEmptiesIt)
{
    EXPECT_EQ(store.dueQueries, std::vector{kNow});
    EXPECT_EQ(model.currentItem(), store.items.at(0));
    EXPECT_FALSE(model.answerVisible());

    // Remembering records an easy answer without revealing it.
    model.rememberAndAdvance(store);
    ASSERT_EQ(store.reviews.size(), 1u);
    EXPECT_EQ(store.reviews[0].result, ReviewResult::easy);
    EXPECT_EQ(model.currentItem(), store.items.at(1));
    EXPECT_FALSE(model.answerVisible());
    store.failReading = true;
    model.load(store);
    EXPECT_TRUE(model.dueItems().isEmpty());
    EXPECT_EQ(model.currentIndex(), 0);
    EXPECT_TRUE(model.errorMessage().has_value());

    // Reloading restarts from the first due item.
    store.failReading = false;
    model.load(store);
    EXPECT_EQ(model.currentItem(), store.items.at(0));
    EXPECT_EQ(model.errorMessage(), std::nullopt);
}

TEST_F(ReviewViewModelTest, AnswersMoveOnUntilTheQueueIsEmpty)
{
    model.setAnswerVisible(true);
    model.submit(ReviewResult::hard, store);
    ASSERT_EQ(store.reviews.size(), 1u);
    EXPECT_EQ(store.reviews[0].item, store.items.at(0));
    EXPECT_EQ(store.reviews[0].result, ReviewResult::hard);
    EXPECT_EQ(store.reviews[0].reviewedAt, kNow);
    EXPECT_EQ(model.currentItem(), store.items.at(1));
    EXPECT_FALSE(model.answerVisible());

    model.setAnswerVisible(true);
    model.submit(ReviewResult::forgot, store);
    EXPECT_TRUE(model.dueItems().isEmpty());
    EXPECT_EQ(model.currentIndex(), 0);
    EXPECT_EQ(model.currentItem(), nullptr);

    model.submit(ReviewResult::good, store);
    EXPECT_EQ(store.reviews.size(), 2u);
}

TEST_F(ReviewViewModelTest, FailedSaveStaysOnItemUntilRetrySucceeds)
{
    model.setAnswerVisible(true);
    store.failRecording = true;
    model.submit(ReviewResult::good, store);
    EXPECT_EQ(model.currentIndex(), 0);
    EXPECT_TRUE(model.answerVisible());
    EXPECT_TRUE(model.errorMessage().has_value());

    store.failRecording = false;
    model.submit(ReviewResult::good, store);
    EXPECT_EQ(model.currentIndex(), 1);
    EXPECT_EQ(model.errorMessage(), std::nullopt);
}

TEST(ReviewPromptTypeDrawTest, EveryTypeDrawsFromItsOwnSet)
{
    // Walk the random source through every index the view model may ask for.
    int next = 0;
    ReviewViewModel model([&](int bound) { return next++ % bound; });
    for (LearningItemType type : {LearningItemType::word, LearningItemType::phrase, LearningItemType::sentence}) {
        FakeLearningItemStore store;
        for (int i = 0; i < 6; ++i)
            store.items.append(makeLearningItem(QString::number(i), type));
        model.load(store);
        while (model.currentItem())
            model.rememberAndAdvance(store);
        std::set<ReviewPromptType> recorded;
        for (const auto &review : store.reviews)
            recorded.insert(review.promptType);
        const QList<ReviewPromptType> allowed = ReviewViewModel::promptTypes(type);
        EXPECT_EQ(recorded, std::set<ReviewPromptType>(allowed.cbegin(), allowed.cend())) << rawValue(type).toStdString();
    }
}

} // namespace
