#include "app/DeferredAPIKeyStore.h"

APIKeyStoring &DeferredAPIKeyStore::store()
{
    if (!m_store)
        m_store = m_make();
    return *m_store;
}

QCoro::Task<QString> DeferredAPIKeyStore::loadAPIKey() { co_return co_await store().loadAPIKey(); }

QCoro::Task<void> DeferredAPIKeyStore::saveAPIKey(QString key) { co_await store().saveAPIKey(std::move(key)); }
