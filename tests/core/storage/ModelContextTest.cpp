#include "storage/ModelContext.h"

#include "storage/DatabaseSchema.h"
#include "storage/ModelContainer.h"
#include "storage/ModelStoreError.h"
#include "storage/RecordCoding.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

const QDateTime kT0(QDate(2024, 5, 1), QTime(8, 0, 0, 123), QTimeZone::utc());

LearningItem makeItem(const QString &text, const QDateTime &createdAt = kT0)
{
    return LearningItem(QUuid::createUuid(), text, LearningItemType::phrase, std::nullopt, std::nullopt, std::nullopt,
                        std::nullopt, QStringLiteral("### 释义\n\n意思"), {}, {}, Familiarity::new_, createdAt,
                        createdAt, std::nullopt, createdAt.addSecs(3600), 2.5, 0);
}

class ModelContextTest : public ::testing::Test {
protected:
    QString path() const { return m_directory.filePath("collection/Collection.sqlite3"); }
    void reopen() { m_container = std::make_unique<ModelContainer>(path()); }
    ModelContext &context() { return m_container->mainContext(); }
    std::shared_ptr<LearningItem> only()
    {
        const auto items = context().fetchItems();
        return items.size() == 1 ? items.first() : nullptr;
    }
    QString scalar(const QString &sql) { return m_container->database().scalarText(sql).value_or(QString()); }

    QTemporaryDir m_directory;
    std::unique_ptr<ModelContainer> m_container = std::make_unique<ModelContainer>(path());
};

TEST_F(ModelContextTest, CreatesAPrivateWriteAheadLoggedFileSyncedAtEveryCommit)
{
    EXPECT_EQ(scalar("PRAGMA journal_mode"), QStringLiteral("wal"));
    EXPECT_EQ(scalar("PRAGMA synchronous"), QStringLiteral("2")) << "FULL";
    const QFileDevice::Permissions directory = QFileInfo(QFileInfo(path()).absolutePath()).permissions();
    EXPECT_EQ(directory.toInt() & 0x7077, 0x7000) << "the owner's alone";
}

TEST_F(ModelContextTest, ReopeningSeesEveryFieldAsSaved)
{
    LearningItem original = makeItem(QStringLiteral("  Break the Ice\n"));
    original.sourceApp = QStringLiteral("Okular");
    original.contextAfter = QString();
    original.examplesStorage = StringList{{QStringLiteral("He \"broke\" the ice."), QStringLiteral("破冰 ✓"), {}}};
    original.tagsStorage = std::nullopt;
    original.typeRawValue = QStringLiteral("Phrase");
    original.familiarityRawValue = QStringLiteral("someday");
    original.lastReviewedAt = kT0.addMSecs(1).toTimeZone(QTimeZone(3600 * 8));
    original.reviewCount = 7;
    original.errorCount = 3;
    original.ease = 2.3499999999999996;
    original.consecutiveCorrectCount = 4;
    context().insert(original);
    context().insert(ReviewEvent(QUuid::createUuid(), original.id, kT0.addMSecs(999), ReviewResult::easy,
                                 ReviewPromptType::explainOrRewriteSentence));
    context().save();

    reopen();
    const auto item = only();
    ASSERT_TRUE(item);
    EXPECT_TRUE(RecordCoding::sameStoredFields(*item, original));
    EXPECT_EQ(item->contextAfter, QString()) << "an empty text is not none";
    EXPECT_EQ(item->lastReviewedAt->toMSecsSinceEpoch(), original.lastReviewedAt->toMSecsSinceEpoch());
    // Unknown raw values are kept, and read by fallback; missing lists read empty.
    EXPECT_EQ(item->type(), LearningItemType::word);
    EXPECT_EQ(item->familiarity(), Familiarity::new_);
    EXPECT_TRUE(item->tags().isEmpty());
    const QList<ReviewEvent> events = context().fetchReviewEvents();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events.first().reviewedAt, kT0.addMSecs(999));
    EXPECT_EQ(events.first().promptTypeRawValue, QStringLiteral("explainOrRewriteSentence"));
}

TEST_F(ModelContextTest, HandsOutOneObjectPerIdWhileItIsHeld)
{
    context().insert(makeItem(QStringLiteral("one")));
    context().save();
    auto first = only();
    auto second = context().fetchItems({LearningItemPredicate::nextReviewAtOrBefore(kT0.addDays(1)), {}});
    ASSERT_EQ(second.size(), 1);
    EXPECT_EQ(first.get(), second.first().get());
    EXPECT_THROW(context().insert(LearningItem(*first)), ModelStoreError) << "an id lives once in a context";
}

TEST_F(ModelContextTest, KeepsChangesOfItemsNobodyHoldsUntilSaved)
{
    context().insert(makeItem(QStringLiteral("orphan")));
    context().save();
    // Each change is made on an object nobody holds afterwards; it must survive until the save.
    only()->reviewCount = 5;
    only()->text = QStringLiteral("Renamed");
    EXPECT_TRUE(context().hasChanges());
    EXPECT_EQ(only()->reviewCount, 5);
    context().save();
    reopen();
    EXPECT_EQ(only()->reviewCount, 5);
    const auto renamed = context().fetchItems(
        {LearningItemPredicate::typeAndNormalizedText(QStringLiteral("phrase"), QStringLiteral("renamed")), {}});
    EXPECT_EQ(renamed.size(), 1) << "the normalised text follows the text";
}

TEST_F(ModelContextTest, RollbackDiscardsPendingWorkAndRestoresLiveObjects)
{
    context().insert(makeItem(QStringLiteral("kept")));
    context().insert(makeItem(QStringLiteral("deleted"), kT0.addSecs(-1)));
    context().save();
    const auto items = context().fetchItems({LearningItemPredicate::all(), {LearningItemSortKey::createdAtDescending}});
    ASSERT_EQ(items.size(), 2);
    const auto kept = items[0];
    kept->ease = 1.3;
    kept->lastReviewedAt = kT0;
    context().deleteItem(items[1]);
    const auto inserted = context().insert(makeItem(QStringLiteral("inserted")));
    context().insert(ReviewEvent(QUuid::createUuid(), kept->id, kT0, ReviewResult::forgot, ReviewPromptType::recallMeaning));
    EXPECT_EQ(context().fetchItems().size(), 2) << "pending insert in, pending delete out";

    context().rollback();

    EXPECT_EQ(kept->ease, 2.5);
    EXPECT_FALSE(kept->lastReviewedAt.has_value());
    EXPECT_FALSE(context().hasChanges());
    EXPECT_TRUE(context().fetchReviewEvents().isEmpty());
    const auto after = context().fetchItems({LearningItemPredicate::all(), {LearningItemSortKey::createdAtDescending}});
    EXPECT_EQ(after, items) << "the deleted item is back, the same object; the insert is gone";
    context().save();
    reopen();
    EXPECT_EQ(context().fetchItems().size(), 2);
}

TEST_F(ModelContextTest, FailedSaveWritesNothingAndKeepsEverythingPending)
{
    const QUuid eventId = QUuid::createUuid();
    context().insert(makeItem(QStringLiteral("first")));
    context().insert(ReviewEvent(eventId, QUuid::createUuid(), kT0, ReviewResult::good, ReviewPromptType::recallMeaning));
    context().insert(ReviewEvent(eventId, QUuid::createUuid(), kT0, ReviewResult::good, ReviewPromptType::recallMeaning));

    try {
        context().save();
        FAIL() << "a duplicate id must fail the save";
    } catch (const ModelStoreError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("UNIQUE constraint failed"))) << error.what();
    }
    EXPECT_EQ(scalar("SELECT count(*) FROM LearningItem"), QStringLiteral("0"));
    EXPECT_EQ(scalar("SELECT count(*) FROM ReviewEvent"), QStringLiteral("0"));
    EXPECT_TRUE(context().hasChanges());
    EXPECT_EQ(context().fetchItems().size(), 1);

    context().rollback();
    EXPECT_TRUE(context().fetchItems().isEmpty());
}

TEST_F(ModelContextTest, RefusesFilesItCannotRead)
{
    m_container->database().execute(QStringLiteral("UPDATE metadata SET value = '2.0.0' WHERE key = 'schemaVersion'"));
    m_container.reset();
    try {
        reopen();
        FAIL() << "a newer file must not be opened";
    } catch (const ModelStoreError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("2.0.0"))) << error.what();
    }
    SQLiteDatabase raw(path());
    EXPECT_EQ(raw.scalarText(QStringLiteral("SELECT value FROM metadata WHERE key = 'schemaVersion'")),
              QStringLiteral("2.0.0"));

    SQLiteDatabase foreign(m_directory.filePath("foreign.sqlite3"));
    foreign.execute(QStringLiteral("CREATE TABLE notes (body TEXT)"));
    EXPECT_THROW(ModelContainer(m_directory.filePath("foreign.sqlite3")), ModelStoreError);
}

TEST(DatabaseSchemaTest, MigratesOlderFilesStepByStepInOneTransaction)
{
    SQLiteDatabase database(QString::fromLatin1(SQLiteDatabase::inMemoryPath));
    DatabaseSchema::prepare(database, {}, QStringLiteral("0.8.0"));
    QStringList ran;
    const QList<DatabaseSchema::MigrationStep> steps{
        {QStringLiteral("0.9.0"), QStringLiteral("1.0.0"),
         [&ran](SQLiteDatabase &db) {
             ran << "0.9.0";
             db.execute(QStringLiteral("ALTER TABLE LearningItem ADD COLUMN note TEXT"));
         }},
        {QStringLiteral("0.8.0"), QStringLiteral("0.9.0"), [&ran](SQLiteDatabase &) { ran << "0.8.0"; }},
    };

    // A chain with a missing link changes nothing.
    EXPECT_THROW(DatabaseSchema::prepare(database, {steps[0]}, QStringLiteral("1.0.0")), ModelStoreError);
    EXPECT_EQ(DatabaseSchema::storedVersion(database), QStringLiteral("0.8.0"));

    DatabaseSchema::prepare(database, steps, QStringLiteral("1.0.0"));
    EXPECT_EQ(ran, (QStringList{"0.8.0", "0.9.0"}));
    EXPECT_EQ(DatabaseSchema::storedVersion(database), QStringLiteral("1.0.0"));
    EXPECT_EQ(database.scalarText(QStringLiteral("PRAGMA user_version")), QStringLiteral("10000"));
    database.execute(QStringLiteral("SELECT note FROM LearningItem"));
}

} // namespace
