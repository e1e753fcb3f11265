#include "collection/LearningItemStore.h"

#include "storage/ModelContainer.h"
#include "storage/ModelStoreError.h"
#include "storage/RecordCoding.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct InMemoryDatabase {
    static QString path(const QTemporaryDir &) { return QString::fromLatin1(SQLiteDatabase::inMemoryPath); }
};

struct FileDatabase {
    static QString path(const QTemporaryDir &directory) { return directory.filePath("data/Collection.sqlite3"); }
};

LookupResult makeResult(const QString &text, LearningItemType type = LearningItemType::word)
{
    LookupResult result;
    result.selectedText = text;
    result.itemType = type;
    result.contextualMeaning = QStringLiteral("意思");
    result.examples = {QStringLiteral("An example."), QStringLiteral("例句二")};
    return result;
}

const QDateTime kT0(QDate(2024, 5, 1), QTime(8, 0), QTimeZone::utc());

LearningItem makeItem(const QString &text, const QDateTime &createdAt, const QDateTime &nextReviewAt)
{
    return LearningItem(QUuid::createUuid(), text, LearningItemType::word, std::nullopt, std::nullopt, std::nullopt,
                        std::nullopt, QStringLiteral("### 释义\n\n意思"), {}, {}, Familiarity::new_, createdAt,
                        createdAt, std::nullopt, nextReviewAt, 2.5, 0);
}

QStringList textsOf(const QList<std::shared_ptr<LearningItem>> &items)
{
    QStringList texts;
    for (const auto &item : items)
        texts.append(item->text);
    return texts;
}

template <typename Database>
class LearningItemStoreTest : public ::testing::Test {
protected:
    LearningItemStoreTest()
    {
        QObject::connect(&m_center, &AppNotificationCenter::posted,
                         [this](AppNotification name) { m_posted.append(name); });
    }

    ModelContext &context() { return m_container->mainContext(); }
    LearningItemStore store() { return LearningItemStore(context(), {}, {}, m_center); }
    qint64 storedItemCount()
    {
        return m_container->database().scalarText(QStringLiteral("SELECT count(*) FROM LearningItem"))->toLongLong();
    }
    // Makes every write of `statement` kind on items fail the way a full disk would.
    void failItemWrites(const char *statement)
    {
        m_container->database().execute(QStringLiteral("CREATE TEMP TRIGGER failing BEFORE %1 ON LearningItem "
                                                       "BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END")
                                            .arg(QLatin1String(statement)));
    }
    void restoreItemWrites() { m_container->database().execute(QStringLiteral("DROP TRIGGER failing")); }

    QTemporaryDir m_directory;
    std::unique_ptr<ModelContainer> m_container = std::make_unique<ModelContainer>(Database::path(m_directory));
    AppNotificationCenter m_center;
    QList<AppNotification> m_posted;
};

using DatabaseKinds = ::testing::Types<InMemoryDatabase, FileDatabase>;
TYPED_TEST_SUITE(LearningItemStoreTest, DatabaseKinds);

TYPED_TEST(LearningItemStoreTest, SavesAResultAsAFreshItemDueOneHourLater)
{
    LearningItemStore store = this->store();
    const LookupResult result = makeResult(QStringLiteral("  Serendipity\n"));
    const QDateTime before = QDateTime::currentDateTimeUtc();

    store.save(result, QStringLiteral("Firefox"), QStringLiteral("Reading list"));

    const auto items = store.allItems();
    ASSERT_EQ(items.size(), 1);
    const LearningItem &item = *items.first();
    EXPECT_EQ(item.text, result.selectedText) << "the text is kept as selected, not normalised";
    EXPECT_EQ(item.type(), LearningItemType::word);
    EXPECT_EQ(item.sourceApp, QStringLiteral("Firefox"));
    EXPECT_EQ(item.sourceTitle, QStringLiteral("Reading list"));
    EXPECT_EQ(item.explanation, result.markdownExplanation());
    EXPECT_EQ(item.examples(), result.examples);
    ASSERT_TRUE(item.tagsStorage.has_value());
    EXPECT_TRUE(item.tags().isEmpty());
    EXPECT_EQ(item.familiarity(), Familiarity::new_);
    EXPECT_GE(item.createdAt, before.addMSecs(-1));
    EXPECT_EQ(item.updatedAt, item.createdAt);
    EXPECT_FALSE(item.lastReviewedAt.has_value());
    EXPECT_EQ(item.createdAt.secsTo(item.nextReviewAt), 3600);
    EXPECT_EQ(item.ease, 2.5);
    EXPECT_EQ(item.reviewCount, 0);
    EXPECT_TRUE(store.contains(result));
    EXPECT_EQ(this->m_posted, QList<AppNotification>{AppNotification::collectionDidChange});
    EXPECT_EQ(this->storedItemCount(), 1);

    // Due exactly one hour after saving, not a millisecond earlier.
    EXPECT_TRUE(store.dueItems(item.createdAt).isEmpty());
    EXPECT_TRUE(store.dueItems(item.nextReviewAt.addMSecs(-1)).isEmpty());
    EXPECT_EQ(store.dueItems(item.nextReviewAt), items);
}

TYPED_TEST(LearningItemStoreTest, MatchesSavedItemsByTypeAndNormalisedText)
{
    LearningItemStore store = this->store();
    store.save(makeResult(QStringLiteral("apple")));
    this->m_posted.clear();

    store.save(makeResult(QStringLiteral("  Apple\n")));
    EXPECT_EQ(store.allItems().size(), 1);
    EXPECT_TRUE(this->m_posted.isEmpty());
    EXPECT_TRUE(store.contains(makeResult(QStringLiteral("APPLE\t"))));
    EXPECT_FALSE(store.contains(makeResult(QStringLiteral("apple"), LearningItemType::phrase)));

    store.save(makeResult(QStringLiteral("Apple"), LearningItemType::phrase));
    EXPECT_EQ(store.allItems().size(), 2);
    EXPECT_EQ(this->m_posted, QList<AppNotification>{AppNotification::collectionDidChange});
}

TYPED_TEST(LearningItemStoreTest, OrdersDueItemsByDueTimeThenSavingTimeThenNaturalText)
{
    ModelContext &context = this->context();
    const QDateTime due = kT0.addDays(1);
    context.insert(makeItem(QStringLiteral("x 10"), kT0, due));
    context.insert(makeItem(QStringLiteral("x 2"), kT0, due));
    context.insert(makeItem(QStringLiteral("X 3"), kT0, due));
    context.insert(makeItem(QStringLiteral("older"), kT0.addSecs(-7200), due));
    context.insert(makeItem(QStringLiteral("due later"), kT0.addSecs(-9000), due.addSecs(1)));
    context.insert(makeItem(QStringLiteral("not yet"), kT0, due.addSecs(2)));
    // The order must hold both for pending inserts and for rows read back from SQLite.
    const QStringList expected{"older", "x 2", "X 3", "x 10", "due later"};
    LearningItemStore store = this->store();
    EXPECT_EQ(textsOf(store.dueItems(due.addSecs(1))), expected);
    context.save();
    EXPECT_EQ(textsOf(store.dueItems(due.addSecs(1))), expected);
}

TYPED_TEST(LearningItemStoreTest, ListsAllItemsNewestFirstWithTiesInNaturalTextOrder)
{
    ModelContext &context = this->context();
    context.insert(makeItem(QStringLiteral("item 10"), kT0, kT0));
    context.insert(makeItem(QStringLiteral("newest"), kT0.addMSecs(1), kT0));
    context.insert(makeItem(QStringLiteral("Item 9"), kT0, kT0));
    context.insert(makeItem(QStringLiteral("oldest"), kT0.addDays(-3), kT0));
    context.save();

    EXPECT_EQ(textsOf(this->store().allItems()), (QStringList{"newest", "Item 9", "item 10", "oldest"}));
}

TYPED_TEST(LearningItemStoreTest, RemovesItemsButKeepsTheirReviewLog)
{
    LearningItemStore store = this->store();
    store.remove(makeResult(QStringLiteral("never saved")));
    EXPECT_TRUE(this->m_posted.isEmpty());

    store.save(makeResult(QStringLiteral("keep")));
    store.save(makeResult(QStringLiteral("Drop")));
    store.save(makeResult(QStringLiteral("reviewed")));
    this->m_posted.clear();

    store.remove(makeResult(QStringLiteral(" drop ")));
    const auto remaining = store.allItems();
    ASSERT_EQ(remaining.size(), 2);
    EXPECT_FALSE(textsOf(remaining).contains(QStringLiteral("Drop")));

    const auto reviewed = *std::find_if(remaining.cbegin(), remaining.cend(),
                                        [](const auto &item) { return item->text == QStringLiteral("reviewed"); });
    store.recordReview(reviewed, ReviewResult::good, ReviewPromptType::recallMeaning, kT0);
    store.remove(reviewed);
    EXPECT_EQ(textsOf(store.allItems()), QStringList{"keep"});
    EXPECT_EQ(this->storedItemCount(), 1);
    const QList<ReviewEvent> events = this->context().fetchReviewEvents();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events.first().itemId, reviewed->id);
    EXPECT_EQ(this->m_posted, QList<AppNotification>(2, AppNotification::collectionDidChange))
        << "one post per removal, none for the review";
}

TYPED_TEST(LearningItemStoreTest, RecordsReviewsAgainstTheirPreviousReviewTime)
{
    this->context().insert(makeItem(QStringLiteral("ephemeral"), kT0, kT0.addSecs(3600)));
    this->context().save();
    LearningItemStore store = this->store();
    const auto item = store.allItems().first();

    // Never reviewed: the gap is measured from saving (2 hours → 1.5 × 7200 s).
    const QDateTime firstReview = kT0.addSecs(7200);
    store.recordReview(item, ReviewResult::hard, ReviewPromptType::hideTargetInContext, firstReview);
    EXPECT_EQ(item->lastReviewedAt, firstReview);
    EXPECT_EQ(item->updatedAt, firstReview);
    EXPECT_EQ(firstReview.secsTo(item->nextReviewAt), 10800);
    EXPECT_DOUBLE_EQ(item->ease, 2.35);
    EXPECT_EQ(item->reviewCount, 1);
    EXPECT_EQ(item->errorCount, 1);
    EXPECT_EQ(item->familiarity(), Familiarity::mastered);

    // Reviewed before: measured from the last review (a day later: still hard → 1.2 × a day).
    const QDateTime secondReview = firstReview.addDays(1);
    store.recordReview(item, ReviewResult::hard, ReviewPromptType::recallMeaning, secondReview);
    EXPECT_EQ(secondReview.secsTo(item->nextReviewAt), 103680);
    store.recordReview(item, ReviewResult::good, ReviewPromptType::recallMeaning, secondReview.addDays(2));
    EXPECT_EQ(item->reviewCount, 3);
    EXPECT_EQ(item->errorCount, 2);
    EXPECT_EQ(item->consecutiveCorrectCount, 1);

    const QList<ReviewEvent> events = this->context().fetchReviewEvents();
    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events.first().itemId, item->id);
    EXPECT_EQ(events.first().reviewedAt, firstReview);
    EXPECT_EQ(events.first().resultRawValue, QStringLiteral("hard"));
    EXPECT_EQ(events.first().promptTypeRawValue, QStringLiteral("hideTargetInContext"));
    EXPECT_FALSE(this->context().hasChanges());
    EXPECT_TRUE(this->m_posted.isEmpty());
}

TYPED_TEST(LearningItemStoreTest, FailedReviewSaveRestoresTheItemAndLeavesNoEvent)
{
    this->context().insert(makeItem(QStringLiteral("fragile"), kT0, kT0));
    this->context().save();
    LearningItemStore working = this->store();
    const auto item = working.allItems().first();
    working.recordReview(item, ReviewResult::good, ReviewPromptType::recallMeaning, kT0.addSecs(600));
    const LearningItem before = *item;

    LearningItemStore failing(
        this->context(), [] { throw ModelStoreError(QStringLiteral("disk I/O error"), 10); }, {}, this->m_center);
    EXPECT_THROW(failing.recordReview(item, ReviewResult::forgot, ReviewPromptType::recallMeaning, kT0.addDays(1)),
                 ModelStoreError);

    EXPECT_TRUE(RecordCoding::sameStoredFields(*item, before));
    EXPECT_EQ(this->context().fetchReviewEvents().size(), 1);
    EXPECT_FALSE(this->context().hasChanges());
    EXPECT_TRUE(this->m_posted.isEmpty());
}

TYPED_TEST(LearningItemStoreTest, RetryAfterAFailedWriteFinishesIt)
{
    LearningItemStore store = this->store();
    const LookupResult result = makeResult(QStringLiteral("persist"));

    this->failItemWrites("INSERT");
    EXPECT_THROW(store.save(result), ModelStoreError);
    EXPECT_TRUE(this->m_posted.isEmpty());
    EXPECT_EQ(this->storedItemCount(), 0);
    this->restoreItemWrites();
    // The pending item is found, so a plain "already saved" would leave it unwritten.
    store.save(result);
    EXPECT_EQ(this->storedItemCount(), 1);
    EXPECT_EQ(this->m_posted, QList<AppNotification>{AppNotification::collectionDidChange});

    this->failItemWrites("DELETE");
    EXPECT_THROW(store.remove(result), ModelStoreError);
    EXPECT_FALSE(store.contains(result)) << "the delete is pending";
    EXPECT_EQ(this->storedItemCount(), 1);
    this->restoreItemWrites();
    store.remove(result);
    EXPECT_EQ(this->storedItemCount(), 0);
    EXPECT_EQ(this->m_posted, QList<AppNotification>(2, AppNotification::collectionDidChange));
}

} // namespace
