#include "preferences/SQLiteUserDefaults.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <sqlite3.h>

namespace {

// The type column keeps booleans apart from integers; SQLite stores both as INTEGER.
constexpr char boolType[] = "bool";
constexpr char integerType[] = "integer";
constexpr char stringType[] = "string";
constexpr char dataType[] = "data";

// Resets a statement whatever way the caller leaves, so no read transaction stays open.
class StatementReset {
public:
    explicit StatementReset(sqlite3_stmt *statement) : m_statement(statement) {}
    ~StatementReset()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    StatementReset(const StatementReset &) = delete;
    StatementReset &operator=(const StatementReset &) = delete;

private:
    sqlite3_stmt *m_statement;
};

bool bindKey(sqlite3_stmt *statement, const QString &key)
{
    const QByteArray utf8 = key.toUtf8();
    return sqlite3_bind_text64(statement, 1, utf8.constData(), static_cast<sqlite3_uint64>(utf8.size()),
                               SQLITE_TRANSIENT, SQLITE_UTF8)
        == SQLITE_OK;
}

// Creates each missing directory of the path readable by the owner only.
bool makePrivateDirectory(const QString &path)
{
    const QDir directory(path);
    if (directory.exists())
        return true;
    const QString parent = QFileInfo(directory.absolutePath()).path();
    if (parent != directory.absolutePath() && !makePrivateDirectory(parent))
        return false;
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    // Another process may create it at the same moment; its existence is what counts.
    return QDir().mkdir(directory.absolutePath(), ownerOnly) || directory.exists();
}

} // namespace

SQLiteUserDefaults::SQLiteUserDefaults(QString path) : m_path(std::move(path))
{
    open();
}

SQLiteUserDefaults::~SQLiteUserDefaults() { close(); }

QString SQLiteUserDefaults::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/UserDefaults.sqlite3");
}

bool SQLiteUserDefaults::open()
{
    const QString directory = QFileInfo(m_path).absolutePath();
    if (!makePrivateDirectory(directory)) {
        m_lastError = QStringLiteral("cannot create the directory %1").arg(directory);
        return false;
    }
    const QByteArray path = QFile::encodeName(m_path);
    const int opened = sqlite3_open_v2(path.constData(), &m_database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (opened != SQLITE_OK) {
        recordError("open");
        close();
        return false;
    }
    // Another process may be mid-write; wait for it briefly rather than fail at once.
    sqlite3_busy_timeout(m_database, 2000);
    const char *setup = "PRAGMA journal_mode=WAL;"
                        "PRAGMA synchronous=FULL;"
                        "CREATE TABLE IF NOT EXISTS defaults ("
                        "  key TEXT PRIMARY KEY NOT NULL,"
                        "  type TEXT NOT NULL,"
                        "  value BLOB);";
    const bool ready =
        sqlite3_exec(m_database, setup, nullptr, nullptr, nullptr) == SQLITE_OK
        && sqlite3_prepare_v3(m_database, "SELECT type, value FROM defaults WHERE key = ?1", -1,
                              SQLITE_PREPARE_PERSISTENT, &m_select, nullptr)
               == SQLITE_OK
        // REPLACE gives the row a new, highest rowid, which keeps the order of the stores.
        && sqlite3_prepare_v3(m_database, "INSERT OR REPLACE INTO defaults (key, type, value) VALUES (?1, ?2, ?3)",
                              -1, SQLITE_PREPARE_PERSISTENT, &m_upsert, nullptr)
               == SQLITE_OK
        && sqlite3_prepare_v3(m_database, "SELECT key FROM defaults WHERE instr(key, ?1) = 1 ORDER BY rowid", -1,
                              SQLITE_PREPARE_PERSISTENT, &m_keys, nullptr)
               == SQLITE_OK
        && sqlite3_prepare_v3(m_database, "DELETE FROM defaults WHERE key = ?1", -1, SQLITE_PREPARE_PERSISTENT,
                              &m_delete, nullptr)
               == SQLITE_OK;
    if (!ready) {
        // A file that is not our database (or not a database) is left as it is.
        recordError("open");
        close();
        return false;
    }
    m_lastError.clear();
    return true;
}

void SQLiteUserDefaults::close()
{
    sqlite3_finalize(m_select);
    sqlite3_finalize(m_upsert);
    sqlite3_finalize(m_delete);
    sqlite3_finalize(m_keys);
    m_select = m_upsert = m_delete = m_keys = nullptr;
    sqlite3_close(m_database);
    m_database = nullptr;
}

void SQLiteUserDefaults::recordError(const char *operation) const
{
    m_lastError = QStringLiteral("%1 %2: %3")
                      .arg(QString::fromLatin1(operation), m_path,
                           m_database ? QString::fromUtf8(sqlite3_errmsg(m_database)) : QStringLiteral("out of memory"));
}

std::optional<UserDefaultsValue> SQLiteUserDefaults::value(const QString &key) const
{
    if (!m_select)
        return std::nullopt;
    StatementReset reset(m_select);
    if (!bindKey(m_select, key))
        return std::nullopt;
    const int stepped = sqlite3_step(m_select);
    if (stepped != SQLITE_ROW) {
        if (stepped != SQLITE_DONE)
            recordError("read");
        return std::nullopt;
    }

    const auto type = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(m_select, 0)));
    if (type == boolType)
        return UserDefaultsValue(sqlite3_column_int64(m_select, 1) != 0);
    if (type == integerType)
        return UserDefaultsValue(static_cast<qint64>(sqlite3_column_int64(m_select, 1)));
    if (type == stringType) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_select, 1));
        return UserDefaultsValue(QString::fromUtf8(text, sqlite3_column_bytes(m_select, 1)));
    }
    if (type == dataType) {
        const auto *bytes = static_cast<const char *>(sqlite3_column_blob(m_select, 1));
        return UserDefaultsValue(QByteArray(bytes, sqlite3_column_bytes(m_select, 1)));
    }
    // A type written by a newer version: not a value this one can read.
    return std::nullopt;
}

bool SQLiteUserDefaults::setValue(const QString &key, const UserDefaultsValue &newValue)
{
    if (!m_upsert)
        return false;
    QByteArray payload; // keeps string or byte data alive until the statement is reset
    StatementReset reset(m_upsert);
    const auto bindType = [this](const char *type) {
        return sqlite3_bind_text(m_upsert, 2, type, -1, SQLITE_STATIC) == SQLITE_OK;
    };
    bool bound = bindKey(m_upsert, key);
    if (const bool *flag = std::get_if<bool>(&newValue)) {
        bound = bound && bindType(boolType) && sqlite3_bind_int64(m_upsert, 3, *flag ? 1 : 0) == SQLITE_OK;
    } else if (const qint64 *number = std::get_if<qint64>(&newValue)) {
        bound = bound && bindType(integerType) && sqlite3_bind_int64(m_upsert, 3, *number) == SQLITE_OK;
    } else if (const QString *text = std::get_if<QString>(&newValue)) {
        payload = text->toUtf8();
        bound = bound && bindType(stringType)
            && sqlite3_bind_text64(m_upsert, 3, payload.constData(), static_cast<sqlite3_uint64>(payload.size()),
                                   SQLITE_STATIC, SQLITE_UTF8)
                == SQLITE_OK;
    } else {
        payload = std::get<QByteArray>(newValue);
        // A zero-length blob rather than NULL, so empty bytes stay bytes.
        bound = bound && bindType(dataType)
            && (payload.isEmpty() ? sqlite3_bind_zeroblob(m_upsert, 3, 0)
                                  : sqlite3_bind_blob64(m_upsert, 3, payload.constData(),
                                                        static_cast<sqlite3_uint64>(payload.size()), SQLITE_STATIC))
                == SQLITE_OK;
    }
    if (!bound || sqlite3_step(m_upsert) != SQLITE_DONE) {
        recordError("write");
        return false;
    }
    return true;
}

bool SQLiteUserDefaults::remove(const QString &key)
{
    if (!m_delete)
        return false;
    StatementReset reset(m_delete);
    if (!bindKey(m_delete, key) || sqlite3_step(m_delete) != SQLITE_DONE) {
        recordError("remove");
        return false;
    }
    return true;
}

QStringList SQLiteUserDefaults::keys(const QString &prefix) const
{
    QStringList matching;
    if (!m_keys)
        return matching;
    StatementReset reset(m_keys);
    if (!bindKey(m_keys, prefix))
        return matching;
    int stepped = SQLITE_ROW;
    while ((stepped = sqlite3_step(m_keys)) == SQLITE_ROW) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_keys, 0));
        matching.append(QString::fromUtf8(text, sqlite3_column_bytes(m_keys, 0)));
    }
    if (stepped != SQLITE_DONE)
        recordError("read");
    return matching;
}
