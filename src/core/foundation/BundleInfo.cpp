#include "foundation/BundleInfo.h"

#include <QStringList>

namespace bundle_info_data {
// Generated from the build's information file (empty when the build has none).
extern const char *const kCompiledText;
}

BundleInfo::BundleInfo(QHash<QString, QString> values) : m_values(std::move(values)) {}

const BundleInfo &BundleInfo::main()
{
    static const BundleInfo compiled = fromText(QString::fromUtf8(bundle_info_data::kCompiledText));
    return compiled;
}

BundleInfo BundleInfo::fromText(const QString &text)
{
    QHash<QString, QString> values;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype separator = line.indexOf(QLatin1Char('='));
        if (separator < 0)
            continue;
        const QString key = line.left(separator).trimmed();
        if (key.isEmpty())
            continue;
        // Keep the value untrimmed apart from a Windows line ending: readers decide how
        // much whitespace matters (bundleTrimmedValue trims).
        QString value = line.mid(separator + 1);
        if (value.endsWith(QLatin1Char('\r')))
            value.chop(1);
        values.insert(key, value);
    }
    return BundleInfo(std::move(values));
}

std::optional<QString> BundleInfo::value(const QString &key) const
{
    const auto found = m_values.constFind(key);
    if (found == m_values.constEnd())
        return std::nullopt;
    return *found;
}
