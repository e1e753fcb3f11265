#pragma once

#include "preferences/UserDefaults.h"

struct sqlite3;
struct sqlite3_stmt;

// Preferences kept in one SQLite file. Every write is committed and synced before it
// returns (WAL journal, synchronous=FULL), and every read goes to the file, so several
// instances over one file, in one process or several, see each other's values.
// A store that cannot be opened reads as empty and refuses every write.
class SQLiteUserDefaults : public UserDefaults {
public:
    explicit SQLiteUserDefaults(QString path = defaultPath());
    ~SQLiteUserDefaults() override;
    SQLiteUserDefaults(const SQLiteUserDefaults &) = delete;
    SQLiteUserDefaults &operator=(const SQLiteUserDefaults &) = delete;

    // "UserDefaults.sqlite3" in the application's data directory (below XDG_DATA_HOME).
    static QString defaultPath();

    std::optional<UserDefaultsValue> value(const QString &key) const override;
    bool setValue(const QString &key, const UserDefaultsValue &newValue) override;
    bool remove(const QString &key) override;
    QStringList keys(const QString &prefix) const override;

    const QString &path() const { return m_path; }
    bool isOpen() const { return m_database != nullptr; }
    // SQLite's account of the last failed open, read or write; empty when none failed.
    const QString &lastError() const { return m_lastError; }

private:
    bool open();
    void close();
    void recordError(const char *operation) const;

    QString m_path;
    sqlite3 *m_database = nullptr;
    sqlite3_stmt *m_select = nullptr;
    sqlite3_stmt *m_upsert = nullptr;
    sqlite3_stmt *m_delete = nullptr;
    sqlite3_stmt *m_keys = nullptr;
    mutable QString m_lastError;
};
