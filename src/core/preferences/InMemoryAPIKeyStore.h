#pragma once

#include "preferences/APIKeyStoring.h"
#include "preferences/KeychainAPIKeyStoreError.h"

#include <optional>

// A key held in memory: for tests of the key's users and for benchmarks. It can be told
// to fail, as a locked or missing keyring would.
class InMemoryAPIKeyStore : public APIKeyStoring {
public:
    explicit InMemoryAPIKeyStore(QString key = {}) : m_key(std::move(key)) {}

    QCoro::Task<QString> loadAPIKey() override;
    QCoro::Task<void> saveAPIKey(QString key) override;

    const QString &key() const { return m_key; }
    int saveCount() const { return m_saveCount; }
    // Every following load and save throws this error; none to succeed again.
    void setFailure(std::optional<KeychainAPIKeyStoreError> failure) { m_failure = std::move(failure); }

private:
    QString m_key;
    int m_saveCount = 0;
    std::optional<KeychainAPIKeyStoreError> m_failure;
};
