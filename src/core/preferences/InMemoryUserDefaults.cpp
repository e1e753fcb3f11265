#include "preferences/InMemoryUserDefaults.h"

std::optional<UserDefaultsValue> InMemoryUserDefaults::value(const QString &key) const
{
    const auto found = m_values.constFind(key);
    if (found == m_values.constEnd())
        return std::nullopt;
    return *found;
}

bool InMemoryUserDefaults::setValue(const QString &key, const UserDefaultsValue &newValue)
{
    if (m_failsWrites)
        return false;
    m_values.insert(key, newValue);
    return true;
}

bool InMemoryUserDefaults::remove(const QString &key)
{
    if (m_failsWrites)
        return false;
    m_values.remove(key);
    return true;
}
