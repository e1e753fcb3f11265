#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <exception>

// Why a JSON value could not be turned into one of our records. The coding path lists the
// keys (array positions as their decimal index) leading to the container that failed;
// for keyNotFound the missing key is kept apart from it.
class JSONDecodingError : public std::exception {
public:
    enum class Kind { typeMismatch, valueNotFound, keyNotFound, dataCorrupted };

    static JSONDecodingError typeMismatch(const QString &expectedType, const QStringList &codingPath,
                                          const QString &debugDescription);
    static JSONDecodingError valueNotFound(const QString &expectedType, const QStringList &codingPath,
                                           const QString &debugDescription);
    static JSONDecodingError keyNotFound(const QString &key, const QStringList &codingPath,
                                         const QString &debugDescription);
    static JSONDecodingError dataCorrupted(const QStringList &codingPath, const QString &debugDescription);

    Kind kind() const { return m_kind; }
    // Type name for typeMismatch and valueNotFound; empty otherwise.
    const QString &expectedType() const { return m_expectedType; }
    // The missing key for keyNotFound; empty otherwise.
    const QString &key() const { return m_key; }
    const QStringList &codingPath() const { return m_codingPath; }
    const QString &debugDescription() const { return m_debugDescription; }

    const char *what() const noexcept override { return m_utf8.constData(); }

    bool operator==(const JSONDecodingError &other) const
    {
        return m_kind == other.m_kind && m_expectedType == other.m_expectedType && m_key == other.m_key
               && m_codingPath == other.m_codingPath && m_debugDescription == other.m_debugDescription;
    }

private:
    JSONDecodingError(Kind kind, QString expectedType, QString key, QStringList codingPath,
                      QString debugDescription);

    Kind m_kind;
    QString m_expectedType;
    QString m_key;
    QStringList m_codingPath;
    QString m_debugDescription;
    QByteArray m_utf8;
};
