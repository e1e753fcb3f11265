#include "app/cli/LearningItemListing.h"
#include "app/cli/ReviewCommand.h"
#include "export/LearningItemExportItem.h"

#include "app/cli/CommandTestSupport.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

class ReviewCommandTest : public ::testing::Test {
protected:
    CommandRun review(const QStringList &arguments)
    {
        CapturedStreams streams;
        // The fake draw records the bound it was given and picks the last prompt type.
        ReviewCommand command(
            streams.io(), s.openCollection(), [this](int bound) { return bounds.append(bound), bound - 1; },
            [this] { return now; });
        return streams.finish(command.run(arguments));
    }

    std::shared_ptr<LearningItem> add(const QString &text, LearningItemType type, qint64 dueInSeconds)
    {
        return s.addItem(text, type, now.addDays(-1), now.addSecs(dueInSeconds));
    }

    const QDateTime now = QDateTime(QDate(2025, 3, 1), QTime(20, 30), Qt::UTC);
    InMemoryCommandServices s;
    QList<int> bounds;
};

TEST_F(ReviewCommandTest, DueListsWhatIsDueNowEarliestFirst)
{
    EXPECT_EQ(review({"due"}).out, QStringLiteral("今天没有待复习内容。\n"));

    add("later", LearningItemType::word, 60);
    const auto recent = add("recent", LearningItemType::word, -60);
    const auto overdue = add("overdue", LearningItemType::phrase, -7200);
    const auto exactlyNow = add("exactly now", LearningItemType::phrase, 0);

    const QStringList lines = review({"due"}).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[1].startsWith(exportUuidString(overdue->id)));
    EXPECT_TRUE(lines[2].startsWith(exportUuidString(recent->id)));
    EXPECT_TRUE(lines[3].startsWith(exportUuidString(exactlyNow->id)));

    const QJsonArray json = QJsonDocument::fromJson(review({"due", "--format", "json"}).out.toUtf8()).array();
    ASSERT_EQ(json.size(), 3);
    EXPECT_EQ(json[0].toObject(), LearningItemExportItem::from(*overdue).toJSON());
}

TEST_F(ReviewCommandTest, AnswerReschedulesAndLogsUnderAPromptTypeOfTheItemsType)
{
    // Not due for another day: answering early is allowed.
    const auto sentence = add("It rains.", LearningItemType::sentence, 86400);
    const CommandRun answered = review({"answer", exportUuidString(sentence->id), "hard"});
    ASSERT_EQ(answered.exitCode, 0) << answered.err.toStdString();

    // Drawn from the sentence's two prompt types.
    EXPECT_EQ(bounds, QList<int>({2}));
    const QList<ReviewEvent> events = s.container.mainContext().fetchReviewEvents();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].itemId, sentence->id);
    EXPECT_EQ(events[0].resultRawValue, QStringLiteral("hard"));
    EXPECT_EQ(events[0].promptTypeRawValue, rawValue(ReviewPromptType::explainOrRewriteSentence));
    EXPECT_EQ(events[0].reviewedAt, now);

    EXPECT_EQ(sentence->reviewCount, 1);
    EXPECT_EQ(sentence->lastReviewedAt, now);
    ASSERT_GT(sentence->nextReviewAt, now);
    EXPECT_EQ(answered.out, QStringLiteral("下次复习：%1\n").arg(LearningItemListing::localTime(sentence->nextReviewAt)));
}

TEST_F(ReviewCommandTest, AnswerRefusesWhatItCannotUseAndKeepsTheScheduleOnFailure)
{
    const auto word = add("apple", LearningItemType::word, -60);
    const QString id = exportUuidString(word->id);
    const QDateTime due = word->nextReviewAt;

    const CommandRun unknown = review({"answer", exportUuidString(QUuid::createUuid()), "good"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.startsWith(QStringLiteral("收藏中没有 ID 为 ")));
    for (const QStringList &arguments :
         QList<QStringList>{{"answer", "apple", "good"}, {"answer", id, "Good"}, {"answer", id}, {"due", "extra"}})
        EXPECT_EQ(review(arguments).exitCode, 2) << arguments.join(' ').toStdString();

    s.refuseWrites("INSERT ON ReviewEvent");
    const CommandRun failed = review({"answer", id, "easy"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.isEmpty());
    EXPECT_EQ(failed.err, QStringLiteral("复习结果保存失败。\n"));
    EXPECT_EQ(word->nextReviewAt, due);
    EXPECT_EQ(word->reviewCount, 0);
    EXPECT_TRUE(s.container.mainContext().fetchReviewEvents().isEmpty());
}

} // namespace
