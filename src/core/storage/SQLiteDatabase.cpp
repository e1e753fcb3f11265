#include "storage/SQLiteDatabase.h"

#include "storage/ModelStoreError.h"

#include <sqlite3.h>

SQLiteDatabase::SQLiteDatabase(const QString &path) : m_path(path)
{
    const QByteArray encoded = path.toUtf8();
    // Our own serialisation is the main thread, so SQLite's per-connection mutex is not needed.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    const int code = sqlite3_open_v2(encoded.constData(), &m_handle, flags, nullptr);
    if (code != SQLITE_OK) {
        const QString message = m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle)) : QString::fromUtf8(sqlite3_errstr(code));
        sqlite3_close(m_handle);
        m_handle = nullptr;
        throw ModelStoreError(QStringLiteral("cannot open %1: %2").arg(path, message), code);
    }
    sqlite3_extended_result_codes(m_handle, 1);
    // Another process holding the write lock briefly (a backup tool, a second instance)
    // should delay us rather than fail a save.
    sqlite3_busy_timeout(m_handle, 5000);
}

SQLiteDatabase::~SQLiteDatabase()
{
    for (sqlite3_stmt *statement : std::as_const(m_cache))
        sqlite3_finalize(statement);
    sqlite3_close(m_handle);
}

void SQLiteDatabase::fail(int code, const QString &context) const
{
    throw ModelStoreError(QStringLiteral("%1: %2").arg(context, QString::fromUtf8(sqlite3_errmsg(m_handle))), code);
}

SQLiteDatabase::Statement SQLiteDatabase::statement(const char *sql)
{
    const QByteArray key = QByteArray::fromRawData(sql, qsizetype(qstrlen(sql)));
    if (const auto cached = m_cache.constFind(key); cached != m_cache.cend())
        return Statement(*this, cached.value(), false);
    sqlite3_stmt *prepared = nullptr;
    const int code = sqlite3_prepare_v3(m_handle, sql, -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr);
    if (code != SQLITE_OK)
        fail(code, QStringLiteral("cannot prepare \"%1\"").arg(QString::fromUtf8(sql)));
    // The key must own its bytes: the caller's text may not outlive the cache.
    m_cache.insert(QByteArray(sql), prepared);
    return Statement(*this, prepared, false);
}

void SQLiteDatabase::execute(const QString &sql)
{
    char *error = nullptr;
    const int code = sqlite3_exec(m_handle, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (code != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : QString::fromUtf8(sqlite3_errstr(code));
        sqlite3_free(error);
        throw ModelStoreError(message, code);
    }
}

std::optional<QString> SQLiteDatabase::scalarText(const QString &sql)
{
    const QByteArray encoded = sql.toUtf8();
    sqlite3_stmt *prepared = nullptr;
    const int code = sqlite3_prepare_v2(m_handle, encoded.constData(), -1, &prepared, nullptr);
    if (code != SQLITE_OK)
        fail(code, QStringLiteral("cannot prepare \"%1\"").arg(sql));
    Statement statement(*this, prepared, true);
    if (!statement.step())
        return std::nullopt;
    return statement.optionalText(0);
}

void SQLiteDatabase::rollbackQuietly() noexcept
{
    if (!sqlite3_get_autocommit(m_handle))
        sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
}

void SQLiteDatabase::transaction(const std::function<void()> &work)
{
    if (sqlite3_get_autocommit(m_handle)) {
        execute(QStringLiteral("BEGIN IMMEDIATE"));
        try {
            work();
            execute(QStringLiteral("COMMIT"));
        } catch (...) {
            rollbackQuietly();
            throw;
        }
        return;
    }
    execute(QStringLiteral("SAVEPOINT unit"));
    try {
        work();
        execute(QStringLiteral("RELEASE unit"));
    } catch (...) {
        // Only this unit is undone; the enclosing transaction decides about the rest.
        sqlite3_exec(m_handle, "ROLLBACK TO unit; RELEASE unit", nullptr, nullptr, nullptr);
        throw;
    }
}

qint64 SQLiteDatabase::changedRowCount() const { return sqlite3_changes64(m_handle); }

qint64 SQLiteDatabase::dataVersion()
{
    Statement statement = this->statement("PRAGMA data_version");
    return statement.step() ? statement.integer(0) : 0;
}

SQLiteDatabase::Statement::Statement(SQLiteDatabase &database, sqlite3_stmt *statement, bool owned)
    : m_database(&database), m_statement(statement), m_owned(owned)
{
}

SQLiteDatabase::Statement::Statement(Statement &&other) noexcept
    : m_database(other.m_database), m_statement(other.m_statement), m_owned(other.m_owned)
{
    other.m_statement = nullptr;
}

SQLiteDatabase::Statement::~Statement()
{
    if (!m_statement)
        return;
    if (m_owned) {
        sqlite3_finalize(m_statement);
        return;
    }
    // A cached statement left mid-step would keep its read transaction open.
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

SQLiteDatabase::Statement &SQLiteDatabase::Statement::bind(int index, const QString &value)
{
    const QByteArray encoded = value.toUtf8();
    const int code = sqlite3_bind_text(m_statement, index, encoded.constData(), int(encoded.size()), SQLITE_TRANSIENT);
    if (code != SQLITE_OK)
        m_database->fail(code, QStringLiteral("cannot bind parameter %1").arg(index));
    return *this;
}

SQLiteDatabase::Statement &SQLiteDatabase::Statement::bind(int index, const std::optional<QString> &value)
{
    return value ? bind(index, *value) : bindNull(index);
}

SQLiteDatabase::Statement &SQLiteDatabase::Statement::bind(int index, qint64 value)
{
    const int code = sqlite3_bind_int64(m_statement, index, value);
    if (code != SQLITE_OK)
        m_database->fail(code, QStringLiteral("cannot bind parameter %1").arg(index));
    return *this;
}

SQLiteDatabase::Statement &SQLiteDatabase::Statement::bind(int index, std::optional<qint64> value)
{
    return value ? bind(index, *value) : bindNull(index);
}

SQLiteDatabase::Statement &SQLiteDatabase::Statement::bind(int index, double value)
{
    const int code = sqlite3_bind_double(m_statement, index, value);
    if (code != SQLITE_OK)
        m_database->fail(code, QStringLiteral("cannot bind parameter %1").arg(index));
    return *this;
}

SQLiteDatabase::Statement &SQLiteDatabase::Statement::bindNull(int index)
{
    const int code = sqlite3_bind_null(m_statement, index);
    if (code != SQLITE_OK)
        m_database->fail(code, QStringLiteral("cannot bind parameter %1").arg(index));
    return *this;
}

bool SQLiteDatabase::Statement::step()
{
    const int code = sqlite3_step(m_statement);
    if (code == SQLITE_ROW)
        return true;
    if (code == SQLITE_DONE)
        return false;
    m_database->fail(code, QStringLiteral("cannot run \"%1\"").arg(QString::fromUtf8(sqlite3_sql(m_statement))));
}

void SQLiteDatabase::Statement::run()
{
    while (step()) {
    }
}

bool SQLiteDatabase::Statement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

QString SQLiteDatabase::Statement::text(int column) const
{
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(bytes, sqlite3_column_bytes(m_statement, column));
}

std::optional<QString> SQLiteDatabase::Statement::optionalText(int column) const
{
    if (isNull(column))
        return std::nullopt;
    return text(column);
}

qint64 SQLiteDatabase::Statement::integer(int column) const { return sqlite3_column_int64(m_statement, column); }

std::optional<qint64> SQLiteDatabase::Statement::optionalInteger(int column) const
{
    if (isNull(column))
        return std::nullopt;
    return integer(column);
}

double SQLiteDatabase::Statement::real(int column) const { return sqlite3_column_double(m_statement, column); }
