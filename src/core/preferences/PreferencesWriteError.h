#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The user defaults refused to store a preference (a read-only or full disk, a broken
// database file). Carries the key; the message is meant for the user.
class PreferencesWriteError : public std::exception {
public:
    explicit PreferencesWriteError(QString key)
        : m_key(std::move(key)), m_what("could not write the preference " + m_key.toUtf8())
    {
    }

    const QString &key() const { return m_key; }
    QString errorDescription() const
    {
        return QStringLiteral("无法保存设置“%1”：偏好设置数据库无法写入。").arg(m_key);
    }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_key;
    QByteArray m_what;
};
