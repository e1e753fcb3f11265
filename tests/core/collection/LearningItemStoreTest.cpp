#include "collection/LearningItemStore.h"

#include "foundation/StringList.h"
#include "storage/ModelContainer.h"
#include "storage/ModelStoreError.h"
#include "storage/RecordCoding.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QDateTime kT0(QDate(2024, 5, 1), QTime(8, 0), QTimeZone::utc());

LookupResult result(const QString &text, LearningItemType type = LearningItemType::word)
{
    LookupResult result;
    std::tie(result.selectedText, result.itemType, result.contextualMeaning, result.examples) =
        std::tuple(text, type, QStringLiteral("意思"), QStringList{QStringLiteral("An example.")});
    return result;
}

LearningItem item(const QString &text, const QDateTime &createdAt, const QDateTime &nextReviewAt)
{
    return LearningItem(QUuid::createUuid(), text, LearningItemType::word, std::nullopt, std::nullopt, std::nullopt,
                        std::nullopt, QStringLiteral("意思"), {}, {}, Familiarity::new_, createdAt, createdAt,
                        std::nullopt, nextReviewAt, 2.5, 0);
}

QStringList textsOf(const QList<std::shared_ptr<LearningItem>> &items)
{
    QStringList texts;
    for (const auto &item : items)
        texts.append(item->text);
    return texts;
}

class LearningItemStoreTest : public ::testing::Test {
protected:
    LearningItemStoreTest()
    {
        QObject::connect(&center, &AppNotificationCenter::posted, [this](AppNotification name) { posted.append(name); });
    }
    qint64 storedCount() { return db().scalarText(QStringLiteral("SELECT count(*) FROM LearningItem"))->toLongLong(); }
    SQLiteDatabase &db() { return container.database(); }
    // Makes every write of one kind on items fail, the way a full disk would.
    void failItemWrites(const char *statement)
    {
        db().execute(QStringLiteral("CREATE TEMP TRIGGER failing BEFORE %1 ON LearningItem "
                                    "BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END")
                         .arg(QLatin1String(statement)));
    }

    ModelContainer container{QString::fromLatin1(SQLiteDatabase::inMemoryPath)};
    ModelContext &context = container.mainContext();
    AppNotificationCenter center;
    QList<AppNotification> posted;
    LearningItemStore store{context, {}, {}, center};
    const QList<AppNotification> changedOnce{AppNotification::collectionDidChange};
};

TEST_F(LearningItemStoreTest, SavesAResultOnceByTypeAndNormalisedTextDueOneHourLater)
{
    const QDateTime before = QDateTime::currentDateTimeUtc();
    store.save(result(QStringLiteral("  Serendipity\n")), QStringLiteral("Firefox"), QStringLiteral("Reading list"));
    store.save(result(QStringLiteral("serendipity")));
    EXPECT_EQ(posted, changedOnce) << "the second save found the first";
    EXPECT_TRUE(store.contains(result(QStringLiteral("SERENDIPITY\t"))));
    EXPECT_FALSE(store.contains(result(QStringLiteral("serendipity"), LearningItemType::phrase)));

    const auto items = store.allItems();
    ASSERT_EQ(items.size(), 1);
    const LearningItem &saved = *items.first();
    EXPECT_EQ(saved.text, QStringLiteral("  Serendipity\n")) << "kept as selected";
    EXPECT_TRUE(saved.sourceApp == QStringLiteral("Firefox") && saved.sourceTitle == QStringLiteral("Reading list"));
    EXPECT_EQ(saved.explanation, result({}).markdownExplanation());
    EXPECT_EQ(saved.examples(), result({}).examples);
    EXPECT_GE(saved.createdAt, before.addMSecs(-1));
    EXPECT_TRUE(store.dueItems(saved.createdAt.addSecs(3600).addMSecs(-1)).isEmpty());
    EXPECT_EQ(store.dueItems(saved.createdAt.addSecs(3600)), items);
}

TEST_F(LearningItemStoreTest, OrdersDueItemsByDueTimeThenSavingTimeThenNaturalTextAndAllItemsNewestFirst)
{
    const QDateTime due = kT0.addDays(1);
    context.insert(item(QStringLiteral("x 10"), kT0, due));
    context.insert(item(QStringLiteral("x 2"), kT0, due));
    context.insert(item(QStringLiteral("X 3"), kT0, due));
    context.insert(item(QStringLiteral("older"), kT0.addSecs(-7200), due));
    context.insert(item(QStringLiteral("due later"), kT0.addSecs(-9000), due.addSecs(1)));
    context.insert(item(QStringLiteral("not yet"), kT0, due.addSecs(2)));
    // The order must hold both for pending inserts and for rows read back from SQLite.
    const QStringList expected{"older", "x 2", "X 3", "x 10", "due later"};
    EXPECT_EQ(textsOf(store.dueItems(due.addSecs(1))), expected);
    context.save();
    EXPECT_EQ(textsOf(store.dueItems(due.addSecs(1))), expected);
    EXPECT_EQ(textsOf(store.allItems()), (QStringList{"not yet", "x 2", "X 3", "x 10", "older", "due later"}));
}

TEST_F(LearningItemStoreTest, RemovesItemsButKeepsTheirReviewLog)
{
    store.remove(result(QStringLiteral("never saved")));
    EXPECT_TRUE(posted.isEmpty());
    store.save(result(QStringLiteral("keep")));
    store.save(result(QStringLiteral("Drop")));
    store.save(result(QStringLiteral("reviewed")));
    posted.clear();

    store.remove(result(QStringLiteral(" drop ")));
    const auto remaining = store.allItems();
    const auto reviewed = *std::find_if(remaining.cbegin(), remaining.cend(),
                                        [](const auto &item) { return item->text == QStringLiteral("reviewed"); });
    store.recordReview(reviewed, ReviewResult::good, ReviewPromptType::recallMeaning, kT0);
    store.remove(reviewed);
    EXPECT_EQ(textsOf(store.allItems()), QStringList{"keep"});
    EXPECT_EQ(storedCount(), 1);
    ASSERT_EQ(context.fetchReviewEvents().size(), 1);
    EXPECT_EQ(context.fetchReviewEvents().first().itemId, reviewed->id);
    EXPECT_EQ(posted, changedOnce + changedOnce) << "one post per removal, none for the review";
}

TEST_F(LearningItemStoreTest, RecordsReviewsAgainstTheirPreviousReviewTime)
{
    context.insert(item(QStringLiteral("ephemeral"), kT0, kT0.addSecs(3600)));
    context.save();
    const auto reviewed = store.allItems().first();

    // Never reviewed: the gap is measured from saving (2 hours, hard: 1.5 × 7200 s).
    const QDateTime first = kT0.addSecs(7200);
    store.recordReview(reviewed, ReviewResult::hard, ReviewPromptType::hideTargetInContext, first);
    EXPECT_EQ(first.secsTo(reviewed->nextReviewAt), 10800);
    EXPECT_TRUE(reviewed->lastReviewedAt == first && reviewed->updatedAt == first);
    // Reviewed before: from the last review (a day later, hard again: 1.2 × a day).
    const QDateTime second = first.addDays(1);
    store.recordReview(reviewed, ReviewResult::hard, ReviewPromptType::recallMeaning, second);
    EXPECT_EQ(second.secsTo(reviewed->nextReviewAt), 103680);
    store.recordReview(reviewed, ReviewResult::good, ReviewPromptType::recallMeaning, second.addDays(2));
    EXPECT_EQ(reviewed->reviewCount, 3);
    EXPECT_EQ(reviewed->errorCount, 2);
    EXPECT_EQ(reviewed->consecutiveCorrectCount, 1);

    const QList<ReviewEvent> events = context.fetchReviewEvents();
    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events.first().reviewedAt, first);
    EXPECT_EQ(events.first().resultRawValue, rawValue(ReviewResult::hard));
    EXPECT_EQ(events.first().promptTypeRawValue, rawValue(ReviewPromptType::hideTargetInContext));
    EXPECT_FALSE(context.hasChanges());
    EXPECT_TRUE(posted.isEmpty());
}

TEST_F(LearningItemStoreTest, AFailedReviewSaveRestoresTheItemAndLeavesNoEvent)
{
    context.insert(item(QStringLiteral("fragile"), kT0, kT0));
    context.save();
    const auto reviewed = store.allItems().first();
    store.recordReview(reviewed, ReviewResult::good, ReviewPromptType::recallMeaning, kT0.addSecs(600));
    const LearningItem before = *reviewed;

    LearningItemStore failing(context, [] { throw ModelStoreError(QStringLiteral("disk I/O error"), 10); }, {}, center);
    EXPECT_THROW(failing.recordReview(reviewed, ReviewResult::forgot, ReviewPromptType::recallMeaning, kT0.addDays(1)),
                 ModelStoreError);
    EXPECT_TRUE(RecordCoding::sameStoredFields(*reviewed, before));
    EXPECT_EQ(context.fetchReviewEvents().size(), 1);
    EXPECT_FALSE(context.hasChanges());
}

TEST_F(LearningItemStoreTest, AskingAgainAfterAFailedWriteFinishesIt)
{
    const LookupResult persist = result(QStringLiteral("persist"));
    failItemWrites("INSERT");
    EXPECT_THROW(store.save(persist), ModelStoreError);
    EXPECT_EQ(storedCount(), 0);
    db().execute(QStringLiteral("DROP TRIGGER failing"));
    // The pending item is found, so a plain "already saved" would leave it unwritten.
    store.save(persist);
    EXPECT_EQ(storedCount(), 1);

    failItemWrites("DELETE");
    EXPECT_THROW(store.remove(persist), ModelStoreError);
    EXPECT_FALSE(store.contains(persist)) << "the delete is pending";
    db().execute(QStringLiteral("DROP TRIGGER failing"));
    store.remove(persist);
    EXPECT_EQ(storedCount(), 0);
    EXPECT_EQ(posted, changedOnce + changedOnce);
}

// The review window and a command line, each with its own connection to the file.
TEST(LearningItemStoreSharedFileTest, AReviewContinuesFromWhatAnotherProcessRecordedAndFailsOnARemovedItem)
{
    QTemporaryDir directory;
    ModelContainer window(directory.filePath("Collection.sqlite3")), terminal(directory.filePath("Collection.sqlite3"));
    AppNotificationCenter center;
    LearningItemStore windowStore(window.mainContext(), center), terminalStore(terminal.mainContext(), center);
    terminalStore.save(result(QStringLiteral("ephemeral")));
    const QDateTime later = QDateTime::currentDateTimeUtc().addDays(1);
    const auto shown = windowStore.dueItems(later).value(0);
    ASSERT_TRUE(shown);

    terminalStore.recordReview(terminalStore.allItems().first(), ReviewResult::good, ReviewPromptType::recallMeaning, later);
    windowStore.recordReview(shown, ReviewResult::good, ReviewPromptType::recallMeaning, later.addDays(3));
    const auto stored = terminalStore.allItems().first();
    EXPECT_EQ(stored->reviewCount, 2);
    EXPECT_EQ(stored->consecutiveCorrectCount, 2);
    EXPECT_TRUE(RecordCoding::sameStoredFields(*stored, *shown));

    terminalStore.remove(stored);
    EXPECT_THROW(windowStore.recordReview(shown, ReviewResult::easy, ReviewPromptType::recallMeaning, later.addDays(9)),
                 ModelStoreError);
    EXPECT_EQ(window.mainContext().fetchReviewEvents().size(), 2) << "no event for a removed item";
}

// The stored form of an item's examples and tags.
TEST(StringListTest, EncodesAsValuesMemberRoundTripsAndRejectsMalformedEncodings)
{
    const StringList list{{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("例句"), QString()}};
    EXPECT_EQ(list.toJSONData(), QByteArray(R"({"values":["b","a","例句",""]})"));
    EXPECT_EQ(StringList::fromJSONData(list.toJSONData()), list);
    for (const char *data : {"", "[]", "{}", R"({"values":"a"})", R"({"values":["a",1]})", R"({"values":[null]})"})
        EXPECT_FALSE(StringList::fromJSONData(QByteArray(data)).has_value()) << data;
}

} // namespace
