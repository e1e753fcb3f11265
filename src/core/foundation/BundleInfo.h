#pragma once

#include <QHash>
#include <QString>

#include <optional>

// The application's information dictionary: build-time KEY=value settings compiled into
// the binary. Queries that read it take a `const BundleInfo &` defaulting to main(), so a
// test hands in its own dictionary instead of changing a global.
class BundleInfo {
public:
    BundleInfo() = default;
    explicit BundleInfo(QHash<QString, QString> values);

    // The dictionary compiled into this binary; parsed once, never changes.
    static const BundleInfo &main();

    // Lines of KEY=value. Blank lines and lines starting with '#' are skipped, as are lines
    // without '='; the key is trimmed, the value kept as written (split at the first '=').
    // A key given twice keeps its last value.
    static BundleInfo fromText(const QString &text);

    // The raw value stored for the key, or nothing when the key is absent.
    std::optional<QString> value(const QString &key) const;
    const QHash<QString, QString> &values() const { return m_values; }

private:
    QHash<QString, QString> m_values;
};
