#pragma once

#include "preferences/APIKeyStoring.h"

#include <functional>
#include <memory>

// A key store made on its first use: the preferences hold one for each key, and most commands
// never read a key, so the keyring's code stays unloaded for them.
class DeferredAPIKeyStore final : public APIKeyStoring {
public:
    using Maker = std::function<std::shared_ptr<APIKeyStoring>()>;
    explicit DeferredAPIKeyStore(Maker make) : m_make(std::move(make)) {}

    QCoro::Task<QString> loadAPIKey() override;
    QCoro::Task<void> saveAPIKey(QString key) override;

private:
    APIKeyStoring &store();

    Maker m_make;
    std::shared_ptr<APIKeyStoring> m_store;
};
