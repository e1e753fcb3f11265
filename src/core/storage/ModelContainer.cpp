#include "storage/ModelContainer.h"

#include "storage/DatabaseSchema.h"
#include "storage/ModelStoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    m_context = std::make_unique<ModelContext>(*m_database);
}

ModelContainer::~ModelContainer() = default;
