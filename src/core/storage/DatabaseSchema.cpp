#include "storage/DatabaseSchema.h"

#include "storage/ModelStoreError.h"
#include "storage/SQLiteDatabase.h"
#include "foundation/TextNormalization.h"

#include <QHash>
#include <QPair>
#include <QVersionNumber>

#include <algorithm>

namespace {

// Column order follows the record's field order; normalizedText is ours, kept so that the
// "already saved?" question is one indexed lookup, and unique per type. duplicateRank is 0
// except on the younger copies of an item saved twice before the index existed, which are
// kept rather than deleted behind the learner's back.
const char *const kCreateTables = R"sql(
CREATE TABLE metadata (
    key TEXT PRIMARY KEY NOT NULL,
    value TEXT NOT NULL
);
CREATE TABLE LearningItem (
    id TEXT PRIMARY KEY NOT NULL,
    text TEXT NOT NULL,
    typeRawValue TEXT NOT NULL,
    sourceApp TEXT,
    sourceTitle TEXT,
    contextBefore TEXT,
    contextAfter TEXT,
    explanation TEXT NOT NULL,
    examplesStorage TEXT,
    tagsStorage TEXT,
    familiarityRawValue TEXT NOT NULL,
    createdAt INTEGER NOT NULL,
    updatedAt INTEGER NOT NULL,
    lastReviewedAt INTEGER,
    nextReviewAt INTEGER NOT NULL,
    reviewCount INTEGER NOT NULL,
    errorCount INTEGER NOT NULL,
    ease REAL NOT NULL,
    consecutiveCorrectCount INTEGER NOT NULL,
    normalizedText TEXT NOT NULL,
    duplicateRank INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX LearningItem_type_normalizedText_unique ON LearningItem (typeRawValue, normalizedText, duplicateRank);
CREATE INDEX LearningItem_createdAt ON LearningItem (createdAt);
CREATE INDEX LearningItem_nextReviewAt ON LearningItem (nextReviewAt, createdAt);
CREATE TABLE ReviewEvent (
    id TEXT PRIMARY KEY NOT NULL,
    itemId TEXT NOT NULL,
    reviewedAt INTEGER NOT NULL,
    resultRawValue TEXT NOT NULL,
    promptTypeRawValue TEXT NOT NULL
);
CREATE INDEX ReviewEvent_itemId ON ReviewEvent (itemId, reviewedAt);
CREATE TABLE UserSettings (
    id TEXT PRIMARY KEY NOT NULL,
    globalShortcut TEXT NOT NULL,
    aiProvider TEXT NOT NULL,
    aiModel TEXT NOT NULL,
    apiKey TEXT NOT NULL,
    baseURL TEXT NOT NULL,
    reminderEnabled INTEGER NOT NULL,
    reminderTimeHour INTEGER NOT NULL,
    reminderTimeMinute INTEGER NOT NULL,
    clipboardFallbackEnabled INTEGER NOT NULL,
    languagePreference TEXT NOT NULL,
    selectionBadgeEnabled INTEGER NOT NULL DEFAULT 0,
    optionDHotkeyEnabled INTEGER NOT NULL DEFAULT 1,
    ttsProvider TEXT NOT NULL DEFAULT 'openai',
    ttsBaseURL TEXT NOT NULL DEFAULT 'https://api.openai.com/v1/audio/speech',
    ttsModel TEXT NOT NULL DEFAULT 'gpt-4o-mini-tts',
    ttsVoice TEXT NOT NULL DEFAULT 'alloy',
    ttsResponseFormat TEXT NOT NULL DEFAULT 'mp3',
    ttsAPIKey TEXT NOT NULL DEFAULT '',
    systemPronunciationAccent TEXT NOT NULL DEFAULT 'american'
);
)sql";

// 1.2.3 → 10203, for PRAGMA user_version.
int integerVersion(const QString &version)
{
    const QVersionNumber number = QVersionNumber::fromString(version);
    return number.majorVersion() * 10000 + number.minorVersion() * 100 + number.microVersion();
}

} // namespace

QList<DatabaseSchema::MigrationStep> DatabaseSchema::migrationSteps()
{
    return {{QStringLiteral("1.0.0"), QStringLiteral("1.1.0"), &migrateToUniqueNormalizedText}};
}

void DatabaseSchema::migrateToUniqueNormalizedText(SQLiteDatabase &database)
{
    // 1.0.0 lower-cased by the locale of whichever process started last and checked for
    // duplicates outside the write lock. The texts are normalised again, locale-free; items
    // that then share a type and text all stay, with their reviews: the oldest at rank 0, the
    // others ranked behind it in the order they were saved.
    database.execute(QStringLiteral("ALTER TABLE LearningItem ADD COLUMN duplicateRank INTEGER NOT NULL DEFAULT 0;"
                                    "DROP INDEX LearningItem_type_normalizedText;"
                                    "DELETE FROM metadata WHERE key = 'normalizedTextLocale'"));
    struct Row {
        QString id;
        QString type;
        QString normalizedText;
    };
    QList<Row> rows;
    {
        SQLiteDatabase::Statement select =
            database.statement("SELECT id, typeRawValue, text FROM LearningItem ORDER BY createdAt, id");
        while (select.step())
            rows.append(Row{select.text(0), select.text(1), normalizedItemText(select.text(2))});
    }
    QHash<QPair<QString, QString>, qint64> seen;
    for (const Row &row : rows) {
        qint64 &count = seen[qMakePair(row.type, row.normalizedText)];
        database.statement("UPDATE LearningItem SET normalizedText = ?1, duplicateRank = ?2 WHERE id = ?3")
            .bind(1, row.normalizedText)
            .bind(2, count++)
            .bind(3, row.id)
            .run();
    }
    database.execute(QStringLiteral("CREATE UNIQUE INDEX LearningItem_type_normalizedText_unique ON LearningItem "
                                    "(typeRawValue, normalizedText, duplicateRank)"));
}

std::optional<QString> DatabaseSchema::storedVersion(SQLiteDatabase &database)
{
    const auto hasMetadata = database.scalarText(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'metadata'"));
    if (!hasMetadata)
        return std::nullopt;
    return database.scalarText(QStringLiteral("SELECT value FROM metadata WHERE key = 'schemaVersion'"));
}

void DatabaseSchema::prepare(SQLiteDatabase &database, const QList<MigrationStep> &steps, const QString &targetVersion)
{
    // IMMEDIATE takes the write lock up front, so two processes opening a fresh file
    // cannot both decide to create the tables.
    database.execute(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        std::optional<QString> version = storedVersion(database);
        if (!version) {
            const auto anyTable = database.scalarText(QStringLiteral("SELECT name FROM sqlite_master LIMIT 1"));
            if (anyTable)
                throw ModelStoreError(QStringLiteral("%1 is not a collection database (it has no schema version)")
                                          .arg(database.path()));
            create(database, targetVersion);
        } else {
            const QVersionNumber target = QVersionNumber::fromString(targetVersion);
            while (*version != targetVersion) {
                if (QVersionNumber::fromString(*version) > target)
                    throw ModelStoreError(QStringLiteral("the collection database has schema version %1, newer than "
                                                         "the %2 this program knows")
                                              .arg(*version, targetVersion));
                const auto step = std::find_if(steps.cbegin(), steps.cend(),
                                               [&](const MigrationStep &candidate) { return candidate.fromVersion == *version; });
                if (step == steps.cend())
                    throw ModelStoreError(
                        QStringLiteral("no migration leads from schema version %1 to %2").arg(*version, targetVersion));
                step->migrate(database);
                recordVersion(database, step->toVersion);
                version = step->toVersion;
            }
        }
        database.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        database.rollbackQuietly();
        throw;
    }
}

void DatabaseSchema::create(SQLiteDatabase &database, const QString &version)
{
    database.execute(QString::fromUtf8(kCreateTables));
    recordVersion(database, version);
}

void DatabaseSchema::recordVersion(SQLiteDatabase &database, const QString &version)
{
    database.statement("INSERT OR REPLACE INTO metadata (key, value) VALUES ('schemaVersion', ?1)").bind(1, version).run();
    database.execute(QStringLiteral("PRAGMA user_version = %1").arg(integerVersion(version)));
}
