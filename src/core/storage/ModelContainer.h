#pragma once

#include "storage/ModelContext.h"
#include "storage/SQLiteDatabase.h"

#include <QString>

#include <memory>

// The collection database of the application: one SQLite file holding learning items,
// review events and the settings record type, opened with the journal settings that keep
// every acknowledged save across a crash or power loss. Owns the main-thread context.
class ModelContainer {
public:
    // The file in the application's data directory.
    static QString defaultPath();

    // Opens the database at `path` (":memory:" for a private in-memory one), creating the
    // file, its directory (owner-only) and its tables as needed and migrating an older file.
    // Throws ModelStoreError when any of that fails or the file comes from a newer version.
    explicit ModelContainer(const QString &path);
    ~ModelContainer();
    ModelContainer(const ModelContainer &) = delete;
    ModelContainer &operator=(const ModelContainer &) = delete;

    ModelContext &mainContext() { return *m_context; }
    SQLiteDatabase &database() { return *m_database; }
    const QString &path() const { return m_database->path(); }

private:
    std::unique_ptr<SQLiteDatabase> m_database;
    std::unique_ptr<ModelContext> m_context;
};
