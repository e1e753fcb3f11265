#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A failure of the local database: opening, fetching or saving. Carries SQLite's own
// message (and result code when SQLite produced one); callers turn it into their own text.
class ModelStoreError : public std::exception {
public:
    explicit ModelStoreError(QString message, int sqliteCode = 0)
        : m_message(std::move(message)), m_sqliteCode(sqliteCode), m_utf8(m_message.toUtf8())
    {
    }

    const QString &message() const { return m_message; }
    // 0 when the failure did not come from SQLite itself.
    int sqliteCode() const { return m_sqliteCode; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    int m_sqliteCode;
    QByteArray m_utf8;
};
