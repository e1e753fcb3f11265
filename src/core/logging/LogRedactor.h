#pragma once

#include <QString>
#include <QStringList>

#include <mutex>

// Masks secrets in a log line: the configured API keys literally, wherever they appear, then
// the shapes keys and tokens usually have. Safe to use from any thread: the log writer runs
// on its own.
class LogRedactor {
public:
    // Shorter secrets are not registered: masking them would garble ordinary text.
    static constexpr qsizetype minimumSecretLength = 6;

    // Masks `secret` (surrounding spaces ignored) in every later line.
    void addSecret(const QString &secret);
    QString redacted(const QString &text) const;

private:
    mutable std::mutex m_mutex;
    QStringList m_secrets; // longest first, so a key containing another is masked whole
};
