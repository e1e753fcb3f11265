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
    m_order.removeOne(key);
    m_order.append(key);
    return true;
}

bool InMemoryUserDefaults::remove(const QString &key)
{
    if (m_failsWrites)
        return false;
    m_values.remove(key);
    m_order.removeOne(key);
    return true;
}

QStringList InMemoryUserDefaults::keys(const QString &prefix) const
{
    QStringList matching;
    for (const QString &key : m_order) {
        if (key.startsWith(prefix))
            matching.append(key);
    }
    return matching;
}
