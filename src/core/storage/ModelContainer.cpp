#include "storage/ModelContainer.h"

#include "storage/DatabaseSchema.h"
#include "storage/ModelStoreError.h"
#include "foundation/TextNormalization.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

namespace {

void prepareDirectory(const QString &path, bool ownDirectory)
{
    const QString directory = QFileInfo(path).absolutePath();
    const bool existed = QFileInfo::exists(directory);
    if (!QDir().mkpath(directory))
        throw ModelStoreError(QStringLiteral("cannot create the directory %1").arg(directory));
    // The collection is private reading history: its directory is the owner's alone. A
    // directory given by the caller that existed before is not ours to change.
    if (!existed || ownDirectory)
        QFile::setPermissions(directory, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

QString ModelContainer::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Collection.sqlite3");
}

ModelContainer::ModelContainer(const QString &path)
{
    const bool inMemory = path == QLatin1String(SQLiteDatabase::inMemoryPath);
    if (!inMemory)
        prepareDirectory(path, path == defaultPath());
    m_database = std::make_unique<SQLiteDatabase>(path);
    if (!inMemory) {
        // WAL keeps readers off the writer's back; FULL syncs the log at every commit, so a
        // save that returned survives a crash or a power cut, not just a killed process.
        const auto mode = m_database->scalarText(QStringLiteral("PRAGMA journal_mode = WAL"));
        if (mode.value_or(QString()).compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
            throw ModelStoreError(QStringLiteral("cannot switch %1 to write-ahead logging").arg(path));
    }
    m_database->execute(QStringLiteral("PRAGMA synchronous = FULL"));
    DatabaseSchema::prepare(*m_database);
    refreshNormalizedText();
    m_context = std::make_unique<ModelContext>(*m_database);
}

ModelContainer::~ModelContainer() = default;

void ModelContainer::refreshNormalizedText()
{
    // Lower-casing follows the user's locale (Turkish dotless i and the like); when the locale
    // changed since the column was written, rewrite it so duplicate checks stay exact.
    const QString locale = QLocale().name();
    SQLiteDatabase &database = *m_database;
    const auto stored = database.scalarText(QStringLiteral("SELECT value FROM metadata WHERE key = 'normalizedTextLocale'"));
    if (stored == locale)
        return;
    database.execute(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        struct Row {
            QString id;
            QString text;
        };
        QList<Row> rows;
        {
            SQLiteDatabase::Statement select = database.statement("SELECT id, text FROM LearningItem");
            while (select.step())
                rows.append(Row{select.text(0), select.text(1)});
        }
        for (const Row &row : rows) {
            database.statement("UPDATE LearningItem SET normalizedText = ?1 WHERE id = ?2")
                .bind(1, normalizedItemText(row.text))
                .bind(2, row.id)
                .run();
        }
        database.statement("INSERT OR REPLACE INTO metadata (key, value) VALUES ('normalizedTextLocale', ?1)")
            .bind(1, locale)
            .run();
        database.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        database.rollbackQuietly();
        throw;
    }
}
