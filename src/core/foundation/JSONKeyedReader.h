#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// Reads the fields of one JSON object the forgiving way model output needs: a field that is
// missing, null, of the wrong type or blank reads as absent instead of failing the record.
class JSONKeyedReader {
public:
    explicit JSONKeyedReader(QJsonObject object, QStringList codingPath = {});

    // The object held by `data`; throws JSONDecodingError when the bytes are not JSON
    // (dataCorrupted) or hold an array (typeMismatch).
    static QJsonObject objectFromJSONData(const QByteArray &data);

    // The string at `key` as sent (untrimmed), or no value when it is not a string or
    // holds only whitespace and newlines.
    std::optional<QString> lossyString(const QString &key) const;
    // The non-blank elements of a list of strings, in order; a value that is not such a list
    // is read with lossyString and gives a list of at most one element.
    QStringList lossyStringArray(const QString &key) const;
    // The string at `key` exactly as sent, or no value when it is missing or not a string.
    std::optional<QString> string(const QString &key) const;

    const QStringList &codingPath() const { return m_codingPath; }
    [[noreturn]] void throwKeyNotFound(const QString &key, const QString &debugDescription) const;

private:
    QJsonObject m_object;
    QStringList m_codingPath;
};
