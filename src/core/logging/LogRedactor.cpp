#include "logging/LogRedactor.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

struct Rule {
    QRegularExpression pattern;
    QString replacement;
};

const auto &rules()
{
    constexpr auto caseless = QRegularExpression::CaseInsensitiveOption;
    // Compiled once; matching through a const expression is safe from any thread.
    static const auto compiled = [] {
        std::array<Rule, 7> list{{
            // Query and form parameters: "?key=…", "&api_key=…", "access_token=…".
            {QRegularExpression(QStringLiteral("(?<![A-Za-z0-9_-])((?:api[_-]?)?key|access_token)=[^\\s&\"'<>]+"), caseless),
             QStringLiteral("\\1=<redacted>")},
            // Keys with a known prefix keep it, which tells the reader which service's key it was.
            {QRegularExpression(QStringLiteral("(sk-|gsk_|xai-|AIza)[A-Za-z0-9._-]{8,}")), QStringLiteral("\\1<redacted>")},
            {QRegularExpression(QStringLiteral("\\b(bearer)\\s+[A-Za-z0-9._~+/-]+=*"), caseless),
             QStringLiteral("\\1 <redacted>")},
            {QRegularExpression(QStringLiteral("\"api[_-]?key\"\\s*:\\s*\"[^\"]+\""), caseless),
             QStringLiteral("\"apiKey\":\"<redacted>\"")},
            // Long hexadecimal secrets (the lookarounds keep to whole runs of token characters).
            {QRegularExpression(QStringLiteral("(?<![A-Za-z0-9])[0-9A-Fa-f]{32,}(?![A-Za-z0-9])")), QStringLiteral("<redacted>")},
            // Long random tokens (base64 and the like): digits and letters of both cases mixed,
            // which words, identifiers and paths hardly ever are.
            {QRegularExpression(QStringLiteral("(?<![A-Za-z0-9+/_=-])(?=[A-Za-z0-9+/_-]*[0-9])(?=[A-Za-z0-9+/_-]*[a-z])"
                                               "(?=[A-Za-z0-9+/_-]*[A-Z])[A-Za-z0-9][A-Za-z0-9+/_-]{31,}={0,2}"
                                               "(?![A-Za-z0-9+/_=-])")),
             QStringLiteral("<redacted>")},
            // Base64 that shows itself by its padding.
            {QRegularExpression(QStringLiteral("(?<![A-Za-z0-9+/=])[A-Za-z0-9+/]{20,}={1,2}(?![A-Za-z0-9+/=])")),
             QStringLiteral("<redacted>")},
        }};
        for (Rule &rule : list)
            rule.pattern.optimize();
        return list;
    }();
    return compiled;
}

} // namespace

void LogRedactor::addSecret(const QString &secret)
{
    const QString trimmed = secret.trimmed();
    if (trimmed.size() < minimumSecretLength)
        return;
    const std::lock_guard lock(m_mutex);
    if (m_secrets.contains(trimmed))
        return;
    const auto position = std::find_if(m_secrets.begin(), m_secrets.end(),
                                       [&](const QString &known) { return known.size() < trimmed.size(); });
    m_secrets.insert(position, trimmed);
}

QString LogRedactor::redacted(const QString &text) const
{
    QString result = text;
    {
        const std::lock_guard lock(m_mutex);
        for (const QString &secret : m_secrets)
            result.replace(secret, QStringLiteral("<redacted>"));
    }
    for (const Rule &rule : rules())
        result.replace(rule.pattern, rule.replacement);
    return result;
}
