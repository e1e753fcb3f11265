#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

// One stored preference value: a boolean, an integer, a string or bytes.
using UserDefaultsValue = std::variant<bool, qint64, QString, QByteArray>;

// The preferences database: typed values under string keys. A key is absent until a value
// is stored under it, so "absent" is always distinct from false, 0, "" or empty bytes.
// Main thread only; several instances over the same storage see the same values.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    // The stored value; absent when nothing is stored or the store cannot be read.
    virtual std::optional<UserDefaultsValue> value(const QString &key) const = 0;
    // Replaces whatever was stored under the key (of any type). Returns false when the value
    // could not be stored durably; the previous value then remains.
    virtual bool setValue(const QString &key, const UserDefaultsValue &value) = 0;
    // Returns true when nothing is stored under the key afterwards (also when nothing was).
    virtual bool remove(const QString &key) = 0;
    // The keys that start with `prefix`, least recently stored first (a store that cannot
    // be read has none).
    virtual QStringList keys(const QString &prefix) const = 0;

    bool contains(const QString &key) const { return value(key).has_value(); }

    // Typed reads are absent when nothing is stored or the stored value has no reading of
    // that type. Booleans and integers read as each other (false/true as 0/1, any non-zero
    // integer as true); strings and bytes only read as themselves.
    std::optional<bool> boolValue(const QString &key) const;
    std::optional<qint64> integerValue(const QString &key) const;
    std::optional<QString> stringValue(const QString &key) const;
    std::optional<QByteArray> dataValue(const QString &key) const;

    bool setBool(const QString &key, bool newValue) { return setValue(key, newValue); }
    bool setInteger(const QString &key, qint64 newValue) { return setValue(key, newValue); }
    bool setString(const QString &key, const QString &newValue) { return setValue(key, newValue); }
    bool setData(const QString &key, const QByteArray &newValue) { return setValue(key, newValue); }
};
