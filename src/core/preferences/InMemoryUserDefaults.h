#pragma once

#include "preferences/UserDefaults.h"

#include <QHash>

// Preferences that live as long as the object: for tests and benchmarks. Writes can be
// made to fail, to exercise callers' handling of a store that cannot be written.
class InMemoryUserDefaults : public UserDefaults {
public:
    std::optional<UserDefaultsValue> value(const QString &key) const override;
    bool setValue(const QString &key, const UserDefaultsValue &newValue) override;
    bool remove(const QString &key) override;
    QStringList keys(const QString &prefix) const override;

    void setFailsWrites(bool fails) { m_failsWrites = fails; }

private:
    QHash<QString, UserDefaultsValue> m_values;
    // Every key, least recently stored first.
    QStringList m_order;
    bool m_failsWrites = false;
};
