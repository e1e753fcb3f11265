#include "storage/DatabaseChangeMonitor.h"
#include "storage/DatabaseSchema.h"
#include "storage/ModelContainer.h"
#include "storage/ModelStoreError.h"
#include "storage/RecordCoding.h"
#include "support/TestSupport.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

const QDateTime kT0(QDate(2024, 5, 1), QTime(8, 0, 0, 123), QTimeZone::utc());

LearningItem makeItem(const QString &text, const QDateTime &createdAt = kT0)
{
    return LearningItem(QUuid::createUuid(), text, LearningItemType::phrase, std::nullopt, std::nullopt, std::nullopt,
                        std::nullopt, QStringLiteral("意思"), {}, {}, Familiarity::new_, createdAt, createdAt,
                        std::nullopt, createdAt.addSecs(3600), 2.5, 0);
}

// A collection file in a folder of its own, reopened as the next start of the program would.
class ModelContextTest : public ::testing::Test {
protected:
    QString path() const { return directory.filePath("collection/Collection.sqlite3"); }
    void reopen() { container = std::make_unique<ModelContainer>(path()); }
    ModelContext &context() { return container->mainContext(); }
    std::shared_ptr<LearningItem> only() { const auto items = context().fetchItems(); return items.size() == 1 ? items.first() : nullptr; }
    QString scalar(const QString &sql) { return container->database().scalarText(sql).value_or(QString()); }

    QTemporaryDir directory;
    std::unique_ptr<ModelContainer> container = std::make_unique<ModelContainer>(path());
};

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
    // Unknown raw values are kept, and read by fallback; missing lists read empty.
    EXPECT_EQ(item->type(), LearningItemType::word);
    EXPECT_EQ(item->familiarity(), Familiarity::new_);
    EXPECT_TRUE(item->tags().isEmpty());
    const QList<ReviewEvent> events = context().fetchReviewEvents();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events.first().reviewedAt, kT0.addMSecs(999));
    EXPECT_EQ(events.first().promptTypeRawValue, rawValue(ReviewPromptType::explainOrRewriteSentence));
}

TEST_F(ModelContextTest, HandsOutOneObjectPerIdAndKeepsChangesOfItemsNobodyHoldsUntilSaved)
{
    context().insert(makeItem(QStringLiteral("one")));
    context().save();
    auto first = only();
    auto due = context().fetchItems({LearningItemPredicate::nextReviewAtOrBefore(kT0.addDays(1)), {}});
    EXPECT_EQ(due.value(0).get(), first.get());
    EXPECT_THROW(context().insert(LearningItem(*first)), ModelStoreError) << "an id lives once in a context";
    first.reset();
    due.clear();

    // Each change is made on an object nobody holds afterwards; it must survive until the save.
    only()->reviewCount = 5;
    only()->text = QStringLiteral("Renamed");
    EXPECT_TRUE(context().hasChanges());
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
    items[0]->ease = 1.3;
    items[0]->lastReviewedAt = kT0;
    context().deleteItem(items[1]);
    context().insert(makeItem(QStringLiteral("inserted")));
    context().insert(ReviewEvent(QUuid::createUuid(), items[0]->id, kT0, ReviewResult::forgot, ReviewPromptType::recallMeaning));
    EXPECT_EQ(context().fetchItems().size(), 2) << "pending insert in, pending delete out";

    context().rollback();
    EXPECT_EQ(items[0]->ease, 2.5);
    EXPECT_FALSE(items[0]->lastReviewedAt.has_value());
    EXPECT_FALSE(context().hasChanges()) << "the pending review event is gone too";
    EXPECT_EQ(context().fetchItems({LearningItemPredicate::all(), {LearningItemSortKey::createdAtDescending}}), items)
        << "the deleted item is back, the same object; the insert is gone";
}

TEST_F(ModelContextTest, AFailedSaveWritesNothingAndKeepsEverythingPending)
{
    const QUuid eventId = QUuid::createUuid();
    context().insert(makeItem(QStringLiteral("first")));
    for (int i = 0; i < 2; ++i) // the same id twice
        context().insert(ReviewEvent(eventId, QUuid::createUuid(), kT0, ReviewResult::good, ReviewPromptType::recallMeaning));
    EXPECT_THROW(context().save(), ModelStoreError);
    EXPECT_EQ(scalar("SELECT (SELECT count(*) FROM LearningItem) + (SELECT count(*) FROM ReviewEvent)"), "0");
    EXPECT_TRUE(context().hasChanges());
    EXPECT_EQ(context().fetchItems().size(), 1);

    context().rollback();
    context().insert(makeItem(QStringLiteral("Title")));
    context().insert(makeItem(QStringLiteral(" TITLE")));
    EXPECT_THROW(context().save(), ModelStoreError) << "one item per type and case-folded text";
}

// A second container on the same file stands for the command line running beside the tray.
TEST_F(ModelContextTest, SeesWhatAnotherProcessWroteAndFailsToChangeWhatItRemoved)
{
    context().insert(makeItem(QStringLiteral("shared")));
    context().save();
    const auto held = only();
    DatabaseChangeMonitor monitor(container->database());
    ModelContainer other(path());
    const auto theirs = other.mainContext().fetchItems().value(0);
    theirs->reviewCount = 4;
    other.mainContext().save();
    EXPECT_TRUE(monitor.check());
    EXPECT_FALSE(monitor.check()) << "one change, one notice";
    EXPECT_EQ(only(), held);
    EXPECT_EQ(held->reviewCount, 4) << "the held object shows the row";
    held->ease = 1.3;
    context().save();
    EXPECT_FALSE(monitor.check()) << "our own commits are no news";

    other.mainContext().deleteItem(theirs);
    other.mainContext().save();
    held->ease = 2.1;
    EXPECT_THROW(context().save(), ModelStoreError) << "an update of no row";
    EXPECT_THROW(context().refresh(held), ModelStoreError);
    EXPECT_TRUE(context().fetchItems().isEmpty());
}

TEST_F(ModelContextTest, MigratesA100FileToLocaleFreeTextsKeepingDuplicatesRankedByAge)
{
    // The 1.0.0 layout: no rank, no unique index, texts lower-cased by some process's locale.
    container->database().execute(QStringLiteral(
        "DROP INDEX LearningItem_type_normalizedText_unique; ALTER TABLE LearningItem DROP COLUMN duplicateRank;"
        "CREATE INDEX LearningItem_type_normalizedText ON LearningItem (typeRawValue, normalizedText, createdAt);"
        "UPDATE metadata SET value = '1.0.0' WHERE key = 'schemaVersion'"));
    for (const char *text : {"TITLE", "Title", "apple"})
        context().insert(makeItem(QString::fromLatin1(text), kT0.addSecs(text[1] == 'I' ? 1 : 0)));
    context().save();
    container->database().execute(QStringLiteral("UPDATE LearningItem SET normalizedText = 'tıtle' WHERE text = 'Title'"));
    container.reset();

    const QLocale previous;
    QLocale::setDefault(QLocale(QStringLiteral("tr_TR")));
    reopen();
    QLocale::setDefault(previous);
    EXPECT_EQ(DatabaseSchema::storedVersion(container->database()), QStringLiteral("1.1.0"));
    EXPECT_EQ(scalar("SELECT group_concat(text || ':' || normalizedText || ':' || duplicateRank, ' ') FROM "
                     "(SELECT * FROM LearningItem ORDER BY text)"),
              "TITLE:title:1 Title:title:0 apple:apple:0");
    context().insert(makeItem(QStringLiteral("APPLE")));
    EXPECT_THROW(context().save(), ModelStoreError);
}

TEST_F(ModelContextTest, RefusesFilesItCannotReadAndLeavesThemAlone)
{
    container->database().execute(QStringLiteral("UPDATE metadata SET value = '99.0.0' WHERE key = 'schemaVersion'"));
    container.reset();
    EXPECT_THROW(reopen(), ModelStoreError) << "a newer file";
    EXPECT_EQ(SQLiteDatabase(path()).scalarText(QStringLiteral("SELECT value FROM metadata WHERE key = 'schemaVersion'")),
              QStringLiteral("99.0.0"));

    SQLiteDatabase(directory.filePath("foreign.sqlite3")).execute(QStringLiteral("CREATE TABLE notes (body TEXT)"));
    EXPECT_THROW(ModelContainer(directory.filePath("foreign.sqlite3")), ModelStoreError);
}

TEST(DatabaseSchemaTest, MigratesOlderFilesStepByStepInOneTransaction)
{
    SQLiteDatabase database(QString::fromLatin1(SQLiteDatabase::inMemoryPath));
    DatabaseSchema::prepare(database, {}, QStringLiteral("0.8.0"));
    QStringList ran;
    const QList<DatabaseSchema::MigrationStep> steps{
        {QStringLiteral("0.9.0"), QStringLiteral("1.2.3"),
         [&ran](SQLiteDatabase &db) {
             ran << "0.9.0";
             db.execute(QStringLiteral("ALTER TABLE LearningItem ADD COLUMN note TEXT"));
         }},
        {QStringLiteral("0.8.0"), QStringLiteral("0.9.0"), [&ran](SQLiteDatabase &) { ran << "0.8.0"; }},
    };
    // A chain with a missing link changes nothing.
    EXPECT_THROW(DatabaseSchema::prepare(database, {steps[0]}, QStringLiteral("1.2.3")), ModelStoreError);
    EXPECT_EQ(DatabaseSchema::storedVersion(database), QStringLiteral("0.8.0"));

    DatabaseSchema::prepare(database, steps, QStringLiteral("1.2.3"));
    EXPECT_EQ(ran, (QStringList{"0.8.0", "0.9.0"}));
    EXPECT_EQ(DatabaseSchema::storedVersion(database), QStringLiteral("1.2.3"));
    EXPECT_EQ(database.scalarText(QStringLiteral("PRAGMA user_version")), QStringLiteral("10203"));
    database.execute(QStringLiteral("SELECT note FROM LearningItem"));
}

} // namespace
