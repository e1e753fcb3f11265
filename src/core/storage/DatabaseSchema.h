#pragma once

#include <QList>
#include <QString>

#include <functional>

class SQLiteDatabase;

// The tables of the collection database and the steps that bring an older file up to the
// current layout. The version is kept as text in the "metadata" table (and mirrored as an
// integer in PRAGMA user_version for outside tools).
class DatabaseSchema {
public:
    static constexpr const char *currentVersion = "1.1.0";

    // Turns a file stored at `fromVersion` into one at `toVersion`; runs inside the
    // transaction that also records the new version.
    struct MigrationStep {
        QString fromVersion;
        QString toVersion;
        std::function<void(SQLiteDatabase &)> migrate;
    };

    // The steps this build knows, in order.
    static QList<MigrationStep> migrationSteps();

    // Creates the tables in an empty database, or migrates an older one to
    // `targetVersion` with `steps`. Throws ModelStoreError for a file from a newer
    // version, one no step leads from, or one that is not a collection database at all.
    static void prepare(SQLiteDatabase &database, const QList<MigrationStep> &steps = migrationSteps(),
                        const QString &targetVersion = QString::fromLatin1(currentVersion));

    // The version recorded in the file, or none for an empty database.
    static std::optional<QString> storedVersion(SQLiteDatabase &database);

private:
    static void migrateToUniqueNormalizedText(SQLiteDatabase &database);
    static void create(SQLiteDatabase &database, const QString &version);
    static void recordVersion(SQLiteDatabase &database, const QString &version);
};
