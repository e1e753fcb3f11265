#include "preferences/UserDefaults.h"

std::optional<bool> UserDefaults::boolValue(const QString &key) const
{
    const auto stored = value(key);
    if (!stored)
        return std::nullopt;
    if (const bool *flag = std::get_if<bool>(&*stored))
        return *flag;
    if (const qint64 *number = std::get_if<qint64>(&*stored))
        return *number != 0;
    return std::nullopt;
}

std::optional<qint64> UserDefaults::integerValue(const QString &key) const
{
    const auto stored = value(key);
    if (!stored)
        return std::nullopt;
    if (const qint64 *number = std::get_if<qint64>(&*stored))
        return *number;
    if (const bool *flag = std::get_if<bool>(&*stored))
        return *flag ? 1 : 0;
    return std::nullopt;
}

std::optional<QString> UserDefaults::stringValue(const QString &key) const
{
    auto stored = value(key);
    if (stored) {
        if (QString *text = std::get_if<QString>(&*stored))
            return std::move(*text);
    }
    return std::nullopt;
}

std::optional<QByteArray> UserDefaults::dataValue(const QString &key) const
{
    auto stored = value(key);
    if (stored) {
        if (QByteArray *bytes = std::get_if<QByteArray>(&*stored))
            return std::move(*bytes);
    }
    return std::nullopt;
}
