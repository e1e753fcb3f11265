#include "app/cli/CommandTestSupport.h"
#include "viewmodels/review/ReviewViewModel.h"

// Listing what is due and a plain answer are covered end to end, the order of the due items
// with the store.
namespace {

class ReviewCommandTest : public CommandTest {
protected:
    std::shared_ptr<LearningItem> add(const QString &text, LearningItemType type, qint64 dueInSeconds)
    {
        return addItem(text, type, now.addDays(-1), now.addSecs(dueInSeconds));
    }

    const QDateTime now = QDateTime::currentDateTimeUtc();
};

TEST_F(ReviewCommandTest, AnAnswerIsLoggedUnderAPromptTypeOfTheItemsTypeOrChangesNothing)
{
    // Not due for another day: answering early is allowed.
    const auto sentence = add("It rains.", LearningItemType::sentence, 86400);
    ASSERT_EQ(run({"review", "answer", exportUuidString(sentence->id), "hard"}).exitCode, 0);
    const QList<ReviewEvent> events = container.mainContext().fetchReviewEvents();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].resultRawValue, rawValue(ReviewResult::hard));
    const auto promptType = reviewPromptTypeFromRawValue(events[0].promptTypeRawValue);
    EXPECT_TRUE(promptType && ReviewViewModel::promptTypes(LearningItemType::sentence).contains(*promptType));
    EXPECT_EQ(sentence->reviewCount, 1);

    const QDateTime due = sentence->nextReviewAt;
    EXPECT_EQ(run({"review", "answer", exportUuidString(QUuid::createUuid()), "good"}).exitCode, 1);
    refuseWrites("INSERT ON ReviewEvent");
    const CommandRun failed = run({"review", "answer", exportUuidString(sentence->id), "easy"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.isEmpty());
    EXPECT_EQ(sentence->nextReviewAt, due);
    EXPECT_EQ(sentence->reviewCount, 1);
    EXPECT_EQ(container.mainContext().fetchReviewEvents().size(), 1);
}

} // namespace
