#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// A thin owner of one SQLite connection. Every failure becomes a ModelStoreError carrying
// SQLite's message. Statements prepared through statement() are cached for the lifetime of
// the connection, so hot queries are compiled once. Main thread only.
class SQLiteDatabase {
public:
    static constexpr const char *inMemoryPath = ":memory:";

    // Opens (creating if needed) the database file at `path`, or a private in-memory
    // database for ":memory:".
    explicit SQLiteDatabase(const QString &path);
    ~SQLiteDatabase();
    SQLiteDatabase(const SQLiteDatabase &) = delete;
    SQLiteDatabase &operator=(const SQLiteDatabase &) = delete;

    // A prepared statement, reset and cleared of bindings when the Statement goes away.
    class Statement {
    public:
        Statement(Statement &&other) noexcept;
        Statement(const Statement &) = delete;
        Statement &operator=(const Statement &) = delete;
        Statement &operator=(Statement &&) = delete;
        ~Statement();

        // Parameters are numbered from 1, as in SQLite.
        Statement &bind(int index, const QString &value);
        Statement &bind(int index, const std::optional<QString> &value);
        Statement &bind(int index, qint64 value);
        Statement &bind(int index, std::optional<qint64> value);
        Statement &bind(int index, double value);
        Statement &bindNull(int index);

        // True while a row is available; false when the statement has finished.
        bool step();
        // Runs a statement that returns no rows.
        void run();

        // Columns are numbered from 0, as in SQLite.
        bool isNull(int column) const;
        QString text(int column) const;
        std::optional<QString> optionalText(int column) const;
        qint64 integer(int column) const;
        std::optional<qint64> optionalInteger(int column) const;
        double real(int column) const;

    private:
        friend class SQLiteDatabase;
        Statement(SQLiteDatabase &database, sqlite3_stmt *statement, bool owned);

        SQLiteDatabase *m_database;
        sqlite3_stmt *m_statement;
        bool m_owned;
    };

    // A cached prepared statement for `sql` (which must be a single statement). The cache
    // holds one statement per text, so keep at most one Statement per text alive at a time.
    Statement statement(const char *sql);
    // Runs one or more statements that return no rows.
    void execute(const QString &sql);
    // The first column of the first row, or none when there is no row.
    std::optional<QString> scalarText(const QString &sql);
    // Undoes an open transaction, if any, without throwing: used on the way out of a
    // failure, where the original error is the one to report.
    void rollbackQuietly() noexcept;
    // Runs `work` as one unit: a transaction that takes the write lock up front, so what it
    // reads stays current until it commits, or a savepoint inside a transaction already
    // open. Any exception undoes the unit's writes and is rethrown.
    void transaction(const std::function<void()> &work);
    // Rows changed by the last INSERT, UPDATE or DELETE on this connection.
    qint64 changedRowCount() const;
    // Counts commits made through other connections to the same file (PRAGMA data_version):
    // a different value than last time means somebody else wrote.
    qint64 dataVersion();

    const QString &path() const { return m_path; }
    bool isInMemory() const { return m_path == QLatin1String(inMemoryPath); }

private:
    [[noreturn]] void fail(int code, const QString &context) const;

    QString m_path;
    sqlite3 *m_handle = nullptr;
    QHash<QByteArray, sqlite3_stmt *> m_cache;
};
